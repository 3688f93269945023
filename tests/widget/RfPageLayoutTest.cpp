#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "ids/DocumentsFolder.h"
#include "res/ComboBox.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "res/TemplateBuilder.h"
#include "rfconfig/RFConfigDlg.h"
#include "support/Texts.h"

namespace {

class RfPage : public testing::Test {
protected:
    void SetUp() override {
        host.resize(1700, 900);
        page.Create(&host);
        page.resize(1650, 800);
        host.show();
    }

    static QStringList Column(const res::ListCtrl* list, int column) {
        QStringList texts;
        for (int r = 0; r < list->GetItemCount(); ++r) texts << list->GetItemText(r, column);
        return texts;
    }

    static QStringList Headings(const res::ListCtrl* list) {
        QStringList texts;
        for (int c = 0; c < list->columnCount(); ++c) texts << list->horizontalHeaderItem(c)->text();
        return texts;
    }

    QWidget host;
    RFConfigDlg page;
};

QStringList Numbered(const char* first, const char* pattern, int from, int to) {
    QStringList rows{QString::fromUtf8(first)};
    for (int i = from; i <= to; ++i) rows << QString::fromUtf8(pattern).arg(i);
    return rows;
}

}  // namespace

TEST_F(RfPage, ListsHaveTheirColumnsAndFixedRows) {
    EXPECT_EQ(Headings(page.m_listGatewayModules), (Texts({"Modules", "ID"})));
    EXPECT_EQ(Column(page.m_listGatewayModules, 0), (Texts({"MCU", "SX1280 A", "SX1280 B"})));
    EXPECT_EQ(Column(page.m_listGatewayModules, 1), (Texts({"", "", ""})));

    EXPECT_EQ(Headings(page.m_listNetKeys), (Texts({"Num.", "NET KEY"})));
    EXPECT_EQ(Column(page.m_listNetKeys, 0), Numbered("AUTO", "# %1", 0, 19));
    EXPECT_EQ(page.m_listNetKeys->GetItemCount(), 21);

    EXPECT_EQ(Headings(page.m_listGatewayFreq), (Texts({"ID", "FREQUENCY"})));
    EXPECT_EQ(page.m_listGatewayFreq->GetItemCount(), 0);

    EXPECT_EQ(Headings(page.m_listRepeaterModules), (Texts({"Modules", "ID", "Frequency", "NET Key", "Busy/SF"})));
    EXPECT_EQ(Column(page.m_listRepeaterModules, 0),
              (Texts({"MCU", "SX1280 A", "SX1280 B", "SX1276 1", "SX1276 2", "SX1276 3"})));

    EXPECT_EQ(Headings(page.m_listNodeAttr),
              (Texts({"ID", "Frequency", "Sub Net Key", "Super ID", "SF", "TX Period", "STATION 0", "STATION 1"})));
    EXPECT_EQ(page.m_listNodeAttr->GetItemCount(), 0);

    EXPECT_EQ(Headings(page.m_listNodes), (Texts({"Nodes", "ID"})));
    EXPECT_EQ(Column(page.m_listNodes, 0), Numbered("SNT", "Node %1", 1, 30));
    EXPECT_EQ(page.m_listNodes->GetItemCount(), 31);
}

TEST_F(RfPage, ListsShowGridLinesWholeRowsAndLeftAlignedHundredPixelColumns) {
    const res::ListCtrl* lists[] = {page.m_listGatewayModules,  page.m_listNetKeys,  page.m_listGatewayFreq,
                                    page.m_listRepeaterModules, page.m_listNodeAttr, page.m_listNodes};
    for (const res::ListCtrl* list : lists) {
        EXPECT_TRUE(list->showGrid());
        EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
        EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        for (int c = 0; c < list->columnCount(); ++c) {
            EXPECT_EQ(list->columnWidth(c), 100);
            EXPECT_TRUE(list->horizontalHeaderItem(c)->textAlignment() & Qt::AlignLeft);
        }
    }
    EXPECT_EQ(page.m_listGatewayModules->selectionMode(), QAbstractItemView::SingleSelection);
}

TEST_F(RfPage, OnlyGatewayRepeaterAndNodeListsHaveCheckBoxesAllClear) {
    const auto checkable = [](const res::ListCtrl* list) {
        return list->GetItemCount() > 0 && (list->item(0, 0)->flags() & Qt::ItemIsUserCheckable);
    };
    for (const res::ListCtrl* list : {page.m_listGatewayModules, page.m_listRepeaterModules, page.m_listNodes}) {
        EXPECT_TRUE(list->GetExtendedStyle() & res::ListCtrl::kCheckBoxes);
        EXPECT_TRUE(checkable(list));
        for (int r = 0; r < list->GetItemCount(); ++r) EXPECT_FALSE(list->GetCheck(r));
    }
    for (const res::ListCtrl* list : {page.m_listNetKeys, page.m_listGatewayFreq, page.m_listNodeAttr}) {
        EXPECT_FALSE(list->GetExtendedStyle() & res::ListCtrl::kCheckBoxes);
    }
    EXPECT_FALSE(checkable(page.m_listNetKeys));
}

TEST_F(RfPage, ButtonsAndHiddenControlsStartAsTheTechnicianExpects) {
    EXPECT_FALSE(res::FindControl(&page, 1014)->isEnabled());  // GET
    EXPECT_FALSE(res::FindControl(&page, 1015)->isEnabled());  // SET
    EXPECT_FALSE(res::FindControl(&page, 1007)->isEnabled());  // Listen
    for (int id : {1022, 1024, 1029, 1031, 1034, 1035, 1036, 1037, 1043, 1045}) {
        EXPECT_TRUE(res::FindControl(&page, id)->isEnabled()) << id;
        EXPECT_TRUE(res::FindControl(&page, id)->isVisible()) << id;
    }
    EXPECT_FALSE(res::FindControl(&page, 1019)->isVisible());
    for (int id = 1038; id <= 1042; ++id) {
        EXPECT_FALSE(res::FindControl(&page, id)->isVisible()) << id;
    }
    EXPECT_EQ(page.m_btnConnect->text(), QStringLiteral("Connect"));
}

TEST_F(RfPage, RepeaterChoiceListsSixRepeatersWithNoneChosen) {
    ASSERT_EQ(page.m_comboRepeater->count(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(page.m_comboRepeater->itemText(i), QStringLiteral("Repeater #%1").arg(i + 1));
    }
    EXPECT_EQ(page.m_comboRepeater->GetCurSel(), -1);
    EXPECT_TRUE(page.m_comboRepeater->currentText().isEmpty());
    EXPECT_TRUE(page.m_comboRepeater->IsSorted());
}

TEST_F(RfPage, LinkFieldsHoldThePresetAddressAndPortAndTheLogIsEmpty) {
    EXPECT_EQ(page.m_editPort->text(), QStringLiteral("5555"));
    quint32 address = 0;
    EXPECT_EQ(page.m_ipAddress->GetAddress(address), 4);
    EXPECT_EQ(address, RFConfigDlg::kPresetGatewayAddress);
    EXPECT_EQ(page.m_ipAddress->Text(), QStringLiteral("192.168.1.200"));
    EXPECT_TRUE(page.m_editLog->toPlainText().isEmpty());
    EXPECT_FALSE(page.m_editLog->isReadOnly());
    page.UpdateData(true);
    EXPECT_EQ(page.m_strPort, QStringLiteral("5555"));
}

TEST_F(RfPage, MemberStateStartsEmptyWithTheSizedArrays) {
    EXPECT_EQ(page.m_pDataSocket, nullptr);
    EXPECT_EQ(page.m_pListenSocket, nullptr);
    EXPECT_FALSE(page.m_bLinkActive || page.m_bConnected || page.m_bServiceStopped || page.m_bRfConfigService);
    EXPECT_EQ(page.m_arrGatewayIds.size(), 3u);
    EXPECT_EQ(page.m_arrR2Values.size(), 4u);
    EXPECT_EQ(page.m_arrN9Values.size(), 9u);
    EXPECT_TRUE(page.m_arrR9Values.empty());
    for (const auto& ids : page.m_repeaterIds) EXPECT_TRUE(ids.empty());
    EXPECT_TRUE(page.m_netKeys.empty() && page.m_nodeIds.empty() && page.m_mapFreqOwner.empty());
    EXPECT_EQ(page.m_strCommandCodes, (std::array<std::string, 6>{"GM", "G2", "R2", "R9", "RM", "N9"}));
    EXPECT_EQ(page.m_nSelRepeaterRow, 0);
    EXPECT_EQ(page.m_nNodeEditRow + page.m_nNodeEditCol + page.m_nNetKeyEditRow + page.m_nFreqEditCol, 0);
}

TEST_F(RfPage, IdFileLivesUnderTheDocumentsFolderWhichIsNeitherCreatedNorChecked) {
    const QString folder = ids::DocumentsFolder() + QStringLiteral("/Brenholt/Veskora/");
    EXPECT_EQ(page.m_strIdFileName, "ids.xml");
    EXPECT_EQ(page.m_strIdFolder, QFile::encodeName(folder).toStdString());
    EXPECT_EQ(page.m_idFilePath, QFile::encodeName(folder + QStringLiteral("ids.xml")).toStdString());
    EXPECT_FALSE(QDir(folder).exists());
}
