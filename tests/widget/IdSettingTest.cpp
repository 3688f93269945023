#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <fstream>

#include "flow/GridClicks.h"
#include "ids/DocumentsFolder.h"
#include "ids/IDSettingDlg.h"
#include "res/ComboBox.h"
#include "res/ListCtrl.h"
#include "res/PropertyGrid.h"
#include "res/TemplateBuilder.h"
#include "rfconfig/RFConfigDlg.h"
#include "support/Files.h"
#include "support/PromptRecorder.h"
#include "support/Texts.h"

namespace {

using Ids = std::vector<std::string>;
const QString kChooseRepeater = QStringLiteral("Repeater ID를 설정하시기 바랍니다.");
const QString kNoFile = QStringLiteral("xml 파일이 존재하지 하는지 확인하십시오.");

// Both pages on the test's documents folder, shown and active.
class IdPages : public testing::Test {
protected:
    void SetUp() override {
        host.resize(1700, 900);
        page.Create(&host);
        page.resize(1500, 800);
        rf.Create(&rfHost);
        rfHost.resize(1700, 900);
        ASSERT_TRUE(ShowActive(host));
        prompts.shown.clear();
    }

    QString IdFile() const { return documents.path() + QStringLiteral("/Brenholt/Veskora/ids.xml"); }
    void WriteIdFile(const std::string& text) const { std::ofstream(IdFile().toStdString(), std::ios::binary) << text; }
    void Click(QWidget* on, int id) { QTest::mouseClick(res::Control<QPushButton>(on, id), Qt::LeftButton); }
    QStringList RepeaterValues() const {
        QStringList values;
        for (auto* item : {page.m_pPropRepMcu, page.m_pPropRepSx1280A, page.m_pPropRepSx1280B, page.m_pPropRepSx1276_1,
                           page.m_pPropRepSx1276_2, page.m_pPropRepSx1276_3})
            values << item->GetValue();
        return values;
    }

    PromptRecorder prompts;
    const QDir documents{ids::DocumentsFolder()};  // the test's own (the test main's)
    QWidget host, rfHost;
    IDSettingDlg page;
    RFConfigDlg rf;
};

}  // namespace

TEST_F(IdPages, TheGridHoldsTheGatewayAndRepeaterItems) {
    res::PropertyGrid* grid = page.m_propGrid;
    EXPECT_EQ(grid->NameColumnWidth(), 300);
    ASSERT_EQ(grid->GetPropertyCount(), 2);
    struct Row {
        const char* name;
        const char* value;
        quintptr code;
        bool editable;
        QStringList options;
    };
    const std::vector<std::vector<Row>> expected = {
        {{"MCU", "FFFFFF", 0, false, {}}, {"SX1280 A", "", 11000, true, {}}, {"SX1280 B", "", 12000, true, {}}},
        {{"Reapter ID", "", 11100, true,
          Texts({"Repeater #1", "Repeater #2", "Repeater #3", "Repeater #4", "Repeater #5", "Repeater #6"})},
         {"MCU", "", 11200, false, {}},
         {"SX1280 A", "", 11300, true, {}},
         {"SX1280 B", "", 11400, true, Texts({"######"})},
         {"SX1276 1", "", 11500, true, Texts({"######"})},
         {"SX1276 2", "", 11600, true, Texts({"######"})},
         {"SX1276 3", "", 11700, true, Texts({"######"})}}};
    EXPECT_EQ(grid->GetProperty(0)->GetName(), QStringLiteral("Gateway"));
    EXPECT_EQ(grid->GetProperty(1)->GetName(), QStringLiteral("Repeater 설정"));
    for (int g = 0; g < 2; ++g) {
        res::GridProperty* group = grid->GetProperty(g);
        ASSERT_EQ(group->childCount(), int(expected[g].size()));
        for (int i = 0; i < group->childCount(); ++i) {
            auto* item = static_cast<res::GridProperty*>(group->child(i));
            const Row& row = expected[g][i];
            EXPECT_EQ(item->GetName(), QString::fromUtf8(row.name));
            EXPECT_EQ(item->GetValue(), QString::fromUtf8(row.value));
            EXPECT_EQ(item->GetData(), row.code);
            EXPECT_EQ(item->IsEditable(), row.editable) << row.name;
            EXPECT_EQ(item->Options(), row.options);
        }
    }
    EXPECT_FALSE(page.m_pPropRepChoice->IsAllowedEdit());
    EXPECT_TRUE(page.m_pPropRepSx1276_2->IsAllowedEdit());

    // The MCU's value cannot be opened; its description still shows, "\r" breaking the line.
    EXPECT_EQ(ClickValue(grid, static_cast<res::GridProperty*>(grid->GetProperty(0)->child(0))), nullptr);
    EXPECT_TRUE(grid->DescriptionArea()->text().contains(QStringLiteral("MCU ID is Default(FFFFFF)")));
    ClickValue(grid, page.m_pPropGwSx1280A);
    EXPECT_TRUE(grid->DescriptionArea()->text().contains(
        QStringLiteral("<b>SX1280 A</b><br>input ID of SX1280 A <br>Please enter after input ID")));
}

TEST_F(IdPages, TypedIdsAreStoredAndTheMcuMirrorsTheRepeatersSx1280A) {
    res::PropertyGrid* grid = page.m_propGrid;
    ASSERT_TRUE(TypeValue(grid, page.m_pPropGwSx1280A, QStringLiteral("a00001")));
    EXPECT_EQ(page.m_arrGatewayRadioIds, (Ids{"a00001", ""}));

    // No repeater chosen yet: only the mirror changes.
    ASSERT_TRUE(TypeValue(grid, page.m_pPropRepSx1280A, QStringLiteral("r00001")));
    EXPECT_EQ(prompts.Texts(), QStringList{kChooseRepeater});
    EXPECT_EQ(page.m_pPropRepMcu->GetValue(), QStringLiteral("r00001"));
    for (const auto& record : page.m_repeaterRecords) EXPECT_TRUE(record.empty());

    // A repeater with no record yet gets its six entries, so the typing is kept.
    ASSERT_TRUE(ChooseOption(grid, page.m_pPropRepChoice, QStringLiteral("Repeater #2")));
    EXPECT_EQ(page.m_nSelRepeater, 2);
    EXPECT_EQ(RepeaterValues(), (Texts({"", "", "", "", "", ""})));
    ASSERT_TRUE(TypeValue(grid, page.m_pPropRepSx1280A, QStringLiteral("r00002")));
    ASSERT_TRUE(ChooseOption(grid, page.m_pPropRepSx1276_3, QStringLiteral("######")));
    ASSERT_TRUE(TypeValue(grid, page.m_pPropRepSx1280B, QStringLiteral("한글id")));
    EXPECT_EQ(page.m_repeaterRecords[1], (Ids{"r00002", "r00002",
                                              "\xC7\xD1\xB1\xDB"
                                              "id",
                                              "", "", "######"}));
    EXPECT_EQ(prompts.Texts().size(), 1);
    // Saved as UTF-8, and read back the same.
    Click(&page, 1006);
    EXPECT_NE(ReadFile(IdFile().toStdString()).find("<R2B>한글id</R2B>"), std::string::npos);
    const ids::RepeaterRecords typed = page.m_repeaterRecords;
    Click(&page, 1005);
    EXPECT_EQ(page.m_repeaterRecords, typed);
    prompts.shown.pop_back();  // the saved text

    // Escape drops an edit; neither key closes the page.
    ClickValue(grid, page.m_pPropRepSx1276_1);
    TypeIntoFocus(QStringLiteral("dropped"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_EQ(page.m_pPropRepSx1276_1->GetValue(), QString());
    EXPECT_EQ(page.m_repeaterRecords[1][3], "");
    QTest::keyClick(res::FindControl(&page, 1005), Qt::Key_Return);
    QTest::keyClick(res::FindControl(&page, 1005), Qt::Key_Escape);
    EXPECT_TRUE(page.isVisible());
    EXPECT_EQ(prompts.Texts().size(), 1);
}

TEST_F(IdPages, SavingRightAfterStartShowsTheTextAndWritesEightLines) {
    EXPECT_TRUE(QDir(documents.path() + QStringLiteral("/Brenholt/Veskora")).exists());
    EXPECT_FALSE(QFile::exists(IdFile()));
    Click(&page, 1006);
    const std::string text =
        "<LORAID>\r\n<Gatewy>\r\n<GM>FFFFFF</GM>\r\n<G2A/>\r\n<G2B/>\r\n</Gatewy>\r\n<Repeater/>\r\n</LORAID>\r\n";
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].prompt.text, QString::fromStdString(text));
    EXPECT_EQ(prompts.shown[0].parent, &page);
    EXPECT_EQ(ReadFile(IdFile().toStdString()), text);
}

TEST_F(IdPages, LoadingFillsTheGatewayTheRecordsAndTheChosenRepeatersItems) {
    res::PropertyGrid* grid = page.m_propGrid;
    ASSERT_TRUE(ChooseOption(grid, page.m_pPropRepChoice, QStringLiteral("Repeater #1")));
    ASSERT_TRUE(TypeValue(grid, page.m_pPropRepSx1280A, QStringLiteral("old")));
    WriteIdFile(
        "<LORAID><Gateway><GM>x</GM><G2A>a00001</G2A><G2B>b00002</G2B></Gateway><Repeater>"
        "<R1><RM>1m</RM><R2A>1a</R2A><R2B>1b</R2B><R91>11</R91><R92>12</R92><R93>13</R93></R1>"
        "<R2><RM>2m</RM></R2><R2><RM>2n</RM></R2>"
        "<R4><RM>4m</RM><R2A>4a</R2A><R2B>######</R2B><R91>41</R91><R92>42</R92><R93>43</R93></R4>"
        "</Repeater></LORAID>");
    Click(&page, 1005);
    EXPECT_EQ(page.m_pPropGwSx1280A->GetValue(), QStringLiteral("a00001"));
    EXPECT_EQ(page.m_pPropGwSx1280B->GetValue(), QStringLiteral("b00002"));
    EXPECT_EQ(page.m_repeaterRecords[1].size(), 12u);
    // The chosen repeater's items show its loaded record, and typing edits that record.
    EXPECT_EQ(RepeaterValues(), (Texts({"1m", "1a", "1b", "11", "12", "13"})));
    ASSERT_TRUE(TypeValue(grid, page.m_pPropRepSx1280B, QStringLiteral("1B")));
    EXPECT_EQ(page.m_repeaterRecords[0], (Ids{"1m", "1a", "1B", "11", "12", "13"}));
    ASSERT_TRUE(ChooseOption(grid, page.m_pPropRepChoice, QStringLiteral("Repeater #4")));
    EXPECT_EQ(RepeaterValues(), (Texts({"4m", "4a", "######", "41", "42", "43"})));
    ASSERT_TRUE(ChooseOption(grid, page.m_pPropRepChoice, QStringLiteral("Repeater #2")));
    EXPECT_EQ(RepeaterValues(), (Texts({"", "", "", "", "", ""})));  // twelve entries are never shown
    ASSERT_TRUE(ChooseOption(grid, page.m_pPropRepChoice, QStringLiteral("Repeater #1")));
    EXPECT_EQ(RepeaterValues(), (Texts({"1m", "1a", "1B", "11", "12", "13"})));

    // Saved back: R2 (twelve entries) is dropped, R1 and R4 stay.
    Click(&page, 1006);
    const std::string saved = ReadFile(IdFile().toStdString());
    EXPECT_NE(saved.find("<R1>"), std::string::npos);
    EXPECT_EQ(saved.find("<R2>"), std::string::npos);
    EXPECT_NE(saved.find("<R4>\r\n<RM>4m</RM>"), std::string::npos);
    EXPECT_NE(saved.find("<Gatewy>\r\n<GM>FFFFFF</GM>\r\n<G2A>a00001</G2A>"), std::string::npos);

    // A failed load (no file, or one over 1 MB, left as it is) says so and
    // changes nothing on the page: the next save writes the same file.
    const ids::RepeaterRecords records = page.m_repeaterRecords;
    const QStringList shown = RepeaterValues();
    const std::string huge = "<LORAID>" + std::string(ids::kMaxIdFileBytes, ' ') + "</LORAID>";
    for (const bool present : {false, true}) {
        if (present) {
            WriteIdFile(huge);
        } else {
            QFile::remove(IdFile());
        }
        prompts.shown.clear();
        Click(&page, 1005);
        EXPECT_EQ(prompts.Texts(), QStringList{kNoFile});
        EXPECT_EQ(page.m_repeaterRecords, records);
        EXPECT_EQ(RepeaterValues(), shown);
        EXPECT_EQ(page.m_arrGatewayRadioIds, (Ids{"a00001", "b00002"}));
        EXPECT_EQ(page.m_pPropGwSx1280B->GetValue(), QStringLiteral("b00002"));
    }
    Click(&rf, 1029);
    EXPECT_EQ(prompts.shown.back().prompt.text, kNoFile);
    EXPECT_EQ(ReadFile(IdFile().toStdString()), huge);
    Click(&page, 1006);
    EXPECT_EQ(ReadFile(IdFile().toStdString()), saved);
}

TEST_F(IdPages, AFailedSaveSaysWhichFileAndWhyAndKeepsTheOldOne) {
    Click(&page, 1006);
    const std::string before = ReadFile(IdFile().toStdString());
    page.m_idFilePath = documents.path().toStdString() + "/missing/ids.xml";
    prompts.shown.clear();
    Click(&page, 1006);
    ASSERT_EQ(prompts.shown.size(), 2u);
    const QString failure = prompts.shown[1].prompt.text;
    EXPECT_TRUE(failure.contains(QString::fromStdString(page.m_idFilePath)));
    EXPECT_TRUE(failure.contains(QStringLiteral("No such file or directory")));
    EXPECT_EQ(prompts.shown[1].prompt.icon, res::PromptIcon::Error);
    EXPECT_EQ(ReadFile(IdFile().toStdString()), before);
}

TEST_F(IdPages, AFolderThatCannotBeMadeIsReportedOnceAtStart) {
    QTemporaryDir blocked;
    std::ofstream(blocked.path().toStdString() + "/Brenholt") << "a file";
    ids::SetDocumentsFolder(blocked.path());
    IDSettingDlg second;
    second.Create(&host);
    EXPECT_EQ(prompts.Texts(), QStringList{QStringLiteral("ID 구성 파일을 위한 경로를 만들지 못했습니다. ")});
}

TEST_F(IdPages, TheRfPageLoadsTheSavedIds) {
    res::PropertyGrid* grid = page.m_propGrid;
    ASSERT_TRUE(TypeValue(grid, page.m_pPropGwSx1280A, QStringLiteral("a00001")));
    ASSERT_TRUE(TypeValue(grid, page.m_pPropGwSx1280B, QStringLiteral("b00002")));
    ASSERT_TRUE(ChooseOption(grid, page.m_pPropRepChoice, QStringLiteral("Repeater #3")));
    ASSERT_TRUE(TypeValue(grid, page.m_pPropRepSx1280A, QStringLiteral("300001")));
    Click(&page, 1006);

    rf.m_listRepeaterModules->SetItemText(0, 1, QStringLiteral("before"));
    rf.m_repeaterIds[5] = {"stale"};
    Click(&rf, 1029);
    EXPECT_EQ(rf.m_arrGatewayIds, (Ids{"FFFFFF", "a00001", "b00002"}));
    EXPECT_EQ(rf.m_listGatewayModules->GetItemText(0, 1), QStringLiteral("FFFFFF"));
    EXPECT_EQ(rf.m_listGatewayModules->GetItemText(2, 1), QStringLiteral("b00002"));
    EXPECT_EQ(rf.m_repeaterIds[2], (Ids{"300001", "300001", "", "", "", ""}));
    EXPECT_TRUE(rf.m_repeaterIds[5].empty());
    EXPECT_EQ(rf.m_comboRepeater->currentText(), QStringLiteral("Repeater #1"));
    EXPECT_EQ(rf.m_listRepeaterModules->GetItemText(0, 1), QStringLiteral("before"));  // refilled only on a choice
    EXPECT_FALSE(rf.m_timer1000.isActive());                                           // no connection: no queries
    EXPECT_EQ(prompts.Texts().size(), 1);                                              // the saved text only

    // A failed load keeps the gateway IDs shown but empties the stored repeater lists.
    QFile::remove(IdFile());
    Click(&rf, 1029);
    EXPECT_EQ(prompts.shown.back().prompt.text, kNoFile);
    EXPECT_EQ(prompts.shown.back().parent, &rf);
    EXPECT_EQ(rf.m_listGatewayModules->GetItemText(1, 1), QStringLiteral("a00001"));
    EXPECT_TRUE(rf.m_repeaterIds[2].empty());
}
