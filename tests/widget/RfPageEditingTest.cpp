#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "flow/Keyboard.h"
#include "flow/ListClicks.h"
#include "res/ListCtrl.h"
#include "res/TemplateBuilder.h"
#include "rfconfig/RFConfigDlg.h"

namespace {

class RfEditing : public testing::Test {
protected:
    void SetUp() override {
        host.resize(1700, 900);
        page.Create(&host);
        page.resize(1650, 800);
        ASSERT_TRUE(ShowActive(host));
    }

    QLineEdit* Editor(int id) const { return res::Control<QLineEdit>(&page, id); }
    bool Enabled(int id) const { return res::FindControl(&page, id)->isEnabled(); }

    static void Press(int key) { QTest::keyClick(QApplication::focusWidget(), Qt::Key(key)); }

    // The cell's rectangle in the page's coordinates, where its editor must lie.
    QRect OnPage(const res::ListCtrl* list, int row, int column) const {
        const QRect r = list->GetSubItemRect(row, column);
        return {list->mapTo(&page, r.topLeft()), r.size()};
    }

    QWidget host;
    RFConfigDlg page;
};

}  // namespace

TEST_F(RfEditing, DoubleClickOpensTheEditorOverTheCellAndEnterCommitsInUpperCase) {
    res::ListCtrl* keys = page.m_listNetKeys;
    DoubleClickCell(keys, 3, 0);  // a row label
    EXPECT_FALSE(Editor(1038)->isVisible());
    EXPECT_EQ(std::pair(page.m_nNetKeyEditRow, page.m_nNetKeyEditCol), std::pair(3, 0));

    keys->SetItemText(3, 1, QStringLiteral("0a1b"));
    DoubleClickCell(keys, 3, 1);
    QLineEdit* editor = Editor(1038);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), QStringLiteral("0a1b"));
    EXPECT_EQ(editor->geometry(), OnPage(keys, 3, 1));
    EXPECT_EQ(QApplication::focusWidget(), editor);

    TypeIntoFocus(QStringLiteral("c0ffee-한"));  // replaces the selected text
    Press(Qt::Key_Return);
    EXPECT_EQ(keys->GetItemText(3, 1), QStringLiteral("C0FFEE-한"));
    EXPECT_FALSE(editor->isVisible());
    EXPECT_TRUE(host.isVisible());
}

TEST_F(RfEditing, EscapeFocusLossAndOtherClicksLeaveTheEditorOpenUntilEnter) {
    res::ListCtrl* nodes = page.m_listNodes;
    DoubleClickCell(nodes, 4, 1);
    QLineEdit* editor = Editor(1042);
    ASSERT_TRUE(editor->isVisible());
    TypeIntoFocus(QStringLiteral("ab"));
    Press(Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), QStringLiteral("ab"));

    // Another list's editor opens beside it; the first keeps its text.
    DoubleClickCell(page.m_listNetKeys, 0, 1);
    EXPECT_TRUE(Editor(1038)->isVisible());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(nodes->GetItemText(4, 1), QString());

    editor->setFocus();
    Press(Qt::Key_Enter);
    EXPECT_EQ(nodes->GetItemText(4, 1), QStringLiteral("AB"));
    EXPECT_FALSE(editor->isVisible());
    // Enter with the focus elsewhere commits nothing and closes nothing.
    Press(Qt::Key_Return);
    EXPECT_TRUE(Editor(1038)->isVisible());
    EXPECT_TRUE(host.isVisible());
}

TEST_F(RfEditing, FrequencyIsWrittenAsTypedAndOnlyItsOwnCellsOpen) {
    page.m_listGatewayModules->SetItemText(1, 1, QStringLiteral("a00001"));
    ClickCell(page.m_listGatewayModules, 1, 1);
    ASSERT_EQ(page.m_listGatewayFreq->GetItemCount(), 1);
    DoubleClickCell(page.m_listGatewayFreq, 0, 0);
    EXPECT_FALSE(Editor(1039)->isVisible());
    DoubleClickCell(page.m_listGatewayFreq, 0, 1);
    ASSERT_TRUE(Editor(1039)->isVisible());
    TypeIntoFocus(QStringLiteral("2402abc"));
    Press(Qt::Key_Return);
    EXPECT_EQ(page.m_listGatewayFreq->GetItemText(0, 1), QStringLiteral("2402abc"));
}

TEST_F(RfEditing, RepeaterEditorNeverOpensOnTheMcuRowOrTheIdColumn) {
    res::ListCtrl* modules = page.m_listRepeaterModules;
    DoubleClickCell(modules, 0, 3);
    EXPECT_FALSE(Editor(1040)->isVisible());
    EXPECT_EQ(std::pair(page.m_nRepeaterEditRow, page.m_nRepeaterEditCol), std::pair(0, 3));
    DoubleClickCell(modules, 2, 1);
    EXPECT_FALSE(Editor(1040)->isVisible());
    DoubleClickCell(modules, 2, 4);
    ASSERT_TRUE(Editor(1040)->isVisible());
    TypeIntoFocus(QStringLiteral("sf7"));
    Press(Qt::Key_Return);
    EXPECT_EQ(modules->GetItemText(2, 4), QStringLiteral("SF7"));
}

TEST_F(RfEditing, EnterWritesIntoTheCellDoubleClickedLastEvenIfThatOpenedNothing) {
    res::ListCtrl* attrs = page.m_listNodeAttr;
    page.m_listNodes->SetItemText(2, 1, QStringLiteral("N00002"));
    ClickCell(page.m_listNodes, 2, 0);
    DoubleClickCell(attrs, 0, 5);
    ASSERT_TRUE(Editor(1041)->isVisible());
    TypeIntoFocus(QStringLiteral("60"));
    DoubleClickCell(attrs, 0, 0);  // the ID column opens nothing but is remembered
    EXPECT_TRUE(Editor(1041)->isVisible());
    Editor(1041)->setFocus();
    Press(Qt::Key_Return);
    EXPECT_EQ(attrs->GetItemText(0, 0), QStringLiteral("60"));
    EXPECT_EQ(attrs->GetItemText(0, 5), QString());

    // Below the rows: the write has no row to go to.
    DoubleClickCell(attrs, 0, 2);
    TypeIntoFocus(QStringLiteral("x"));
    QTest::mouseDClick(attrs->viewport(), Qt::LeftButton, {}, BelowRows(attrs));
    QTest::mouseRelease(attrs->viewport(), Qt::LeftButton, {}, BelowRows(attrs));
    EXPECT_EQ(page.m_nNodeAttrEditRow, -1);
    Editor(1041)->setFocus();
    Press(Qt::Key_Return);
    EXPECT_EQ(attrs->GetItemCount(), 1);
    EXPECT_EQ(attrs->GetItemText(0, 2), QString());
}

TEST_F(RfEditing, ClicksChooseWhatTheCommandsAddress) {
    res::ListCtrl* gateway = page.m_listGatewayModules;
    gateway->SetItemText(0, 1, QStringLiteral("FFFFFF"));
    gateway->SetItemText(2, 1, QStringLiteral("B00002"));
    ClickCell(gateway, 0, 1);  // the MCU has no frequency
    EXPECT_EQ(page.m_listGatewayFreq->GetItemCount(), 0);
    EXPECT_EQ(page.m_strSelGatewayId, "");
    ClickCell(gateway, 2, 0);
    EXPECT_EQ(page.m_strSelGatewayId, "B00002");
    ASSERT_EQ(page.m_listGatewayFreq->GetItemCount(), 1);
    EXPECT_EQ(page.m_listGatewayFreq->GetItemText(0, 0), QStringLiteral("B00002"));
    page.m_listGatewayFreq->SetItemText(0, 1, QStringLiteral("2480000000"));
    ClickCell(gateway, 2, 1);  // a fresh row: the frequency starts empty
    EXPECT_EQ(page.m_listGatewayFreq->GetItemText(0, 1), QString());

    page.m_listNodes->SetItemText(30, 1, QStringLiteral("N00030"));
    page.m_listNodes->scrollToBottom();
    ClickCell(page.m_listNodes, 30, 1);
    EXPECT_EQ(page.m_strSelNodeId, "N00030");
    ASSERT_EQ(page.m_listNodeAttr->GetItemCount(), 1);
    EXPECT_EQ(page.m_listNodeAttr->GetItemText(0, 0), QStringLiteral("N00030"));

    res::ListCtrl* modules = page.m_listRepeaterModules;
    EXPECT_EQ(page.m_nSelRepeaterRow, 0);
    modules->SetItemText(4, 1, QStringLiteral("R00004"));
    ClickCell(modules, 4, 2);
    EXPECT_EQ(page.m_nSelRepeaterRow, 4);
    EXPECT_EQ(page.m_strSelRepeaterModuleId, "R00004");
    QTest::mouseClick(modules->viewport(), Qt::LeftButton, {}, BelowRows(modules));
    EXPECT_EQ(page.m_nSelRepeaterRow, -1);
    EXPECT_EQ(page.m_strSelRepeaterModuleId, "R00004");
}

TEST_F(RfEditing, GatewayCheckBoxesActAsRadioButtonsAndSetTheButtons) {
    res::ListCtrl* gateway = page.m_listGatewayModules;
    EXPECT_TRUE(Enabled(1034) && Enabled(1035));
    EXPECT_FALSE(Enabled(1014) || Enabled(1015));

    ClickCheckBox(gateway, 0);
    ASSERT_TRUE(gateway->GetCheck(0));
    EXPECT_TRUE(Enabled(1034) && Enabled(1035));
    EXPECT_FALSE(Enabled(1014) || Enabled(1015));

    ClickCheckBox(gateway, 2);
    EXPECT_TRUE(gateway->GetCheck(2));
    EXPECT_FALSE(gateway->GetCheck(0));
    EXPECT_FALSE(Enabled(1034) || Enabled(1035));
    EXPECT_TRUE(Enabled(1014) && Enabled(1015));

    // Unchecking a radio leaves GET/SET as they are; checking the MCU again swaps.
    ClickCheckBox(gateway, 2);
    EXPECT_FALSE(gateway->GetCheck(2));
    EXPECT_TRUE(Enabled(1014) && Enabled(1015));
    ClickCheckBox(gateway, 0);
    EXPECT_TRUE(Enabled(1034) && Enabled(1035));
    EXPECT_FALSE(Enabled(1014) || Enabled(1015));
}

TEST_F(RfEditing, RepeaterAndNodeListsKeepAtMostOneRowChecked) {
    for (res::ListCtrl* list : {page.m_listRepeaterModules, page.m_listNodes}) {
        ClickCheckBox(list, 1);
        ClickCheckBox(list, 3);
        ClickCheckBox(list, 2);
        for (int r = 0; r < list->GetItemCount(); ++r) EXPECT_EQ(list->GetCheck(r), r == 2) << r;
    }
    EXPECT_TRUE(Enabled(1034));  // other lists' checks leave the gateway buttons alone
}
