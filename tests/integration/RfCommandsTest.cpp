#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "flow/Keyboard.h"
#include "res/ComboBox.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "rfconfig/RFConfigDlg.h"
#include "support/LinkPeer.h"
#include "support/PromptRecorder.h"

namespace {

const QString kServiceRuns = QStringLiteral("서비스가 동작 중입니다. 서비스 종료 후 설정값을 변경하시기 바랍니다.");
const QString kTooFew = QStringLiteral("전송할 파라메타가 부족합니다.");

// The page connected to a recording peer, its service stopped.
class RfCommands : public PageWithPeer {
protected:
    void SetUp() override {
        PageWithPeer::SetUp();
        Connect();
        prompts.shown.clear();
        // Stopped without "AT+STOP" on the wire, so each test sees only its own lines.
        page.m_bServiceStopped = true;
    }

    void Row(int row, const char* id, const char* frequency = "", const char* netKey = "", const char* busy = "") {
        res::ListCtrl* list = page.m_listRepeaterModules;
        list->SetItemText(row, 1, QString::fromUtf8(id));
        list->SetItemText(row, 2, QString::fromUtf8(frequency));
        list->SetItemText(row, 3, QString::fromUtf8(netKey));
        list->SetItemText(row, 4, QString::fromUtf8(busy));
    }
};

}  // namespace

TEST_F(RfCommands, EveryCommandButSetNodeWaitsForTheServiceToStop) {
    page.m_bServiceStopped = false;
    page.OnBnClickedGetRepeater();
    page.OnBnClickedSetRepeater();
    page.OnBnClickedGetNode();
    ASSERT_EQ(prompts.shown.size(), 3u);
    for (const auto& s : prompts.shown) {
        EXPECT_EQ(s.prompt.text, kServiceRuns);
        EXPECT_EQ(s.prompt.icon, res::PromptIcon::Warning);
        EXPECT_EQ(s.prompt.caption, QStringLiteral("VeskoraRFConfiguration"));
    }
    // SET NODE needs no stopped service.
    page.m_listNodeAttr->InsertItem(0, QStringLiteral("N00001"));
    for (int c = 1; c <= 7; ++c) page.m_listNodeAttr->SetItemText(0, c, QString::number(c));
    page.OnBnClickedSetNode();
    const QByteArray line("AT+SET N9 N00001 1 2 3 4 5 6 7\r\n");
    ASSERT_TRUE(peer.WaitForBytes(line.size()));
    EXPECT_EQ(peer.received, line);
    EXPECT_EQ(prompts.shown.size(), 3u);
}

TEST_F(RfCommands, GetRepeaterAsksTheSelectedRowsModuleInItsFamily) {
    Row(0, "100000");
    Row(2, "100002");
    Row(3, "100003");
    Row(5, "ffffff");
    for (int r : {0, 2, 3, 5}) {
        page.m_nSelRepeaterRow = r;
        page.OnBnClickedGetRepeater();
    }
    Row(1, "######");
    page.m_nSelRepeaterRow = 1;
    page.OnBnClickedGetRepeater();
    page.m_nSelRepeaterRow = -1;  // clicked below the rows: no module, nothing sent
    page.OnBnClickedGetRepeater();
    const QByteArray expected("AT+GET RM 100000\r\nAT+GET R2 100002\r\nAT+GET R9 100003\r\n");
    ASSERT_TRUE(peer.WaitForBytes(expected.size()));
    EXPECT_TRUE(Quiet(expected.size()));
    EXPECT_EQ(peer.received, expected);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(RfCommands, SetRepeaterSendsTheNodeTableFromTheMcuRow) {
    Row(0, "100000");
    page.m_nSelRepeaterRow = 0;
    page.OnBnClickedSetRepeater();  // 31 empty node IDs: 31 blanks in all
    page.m_listNodes->SetItemText(0, 1, QStringLiteral("S00000"));
    page.m_listNodes->SetItemText(30, 1, QStringLiteral("N00030"));
    page.OnBnClickedSetRepeater();
    const QByteArray expected = QByteArray("AT+SET RM 100000 ") + QByteArray(30, ' ') + "\r\n" +
                                "AT+SET RM 100000 S00000" + QByteArray(30, ' ') + "N00030\r\n";
    ASSERT_TRUE(peer.WaitForBytes(expected.size()));
    EXPECT_EQ(peer.received, expected);

    page.m_listNodes->removeRow(30);
    page.OnBnClickedSetRepeater();
    Row(0, "FFFFFF");
    page.OnBnClickedSetRepeater();
    EXPECT_EQ(prompts.Texts(), (QStringList{QStringLiteral("노드ID 파라미터가 부족합니다."),
                                            QStringLiteral("해당 ID는 전송 할 수 없습니다.")}));
    for (const auto& s : prompts.shown) EXPECT_EQ(s.parent, &page);
    EXPECT_TRUE(Quiet(expected.size()));
}

TEST_F(RfCommands, SetRepeaterSendsARadioRowsThreeSettings) {
    Row(1, "100001", "2480000000", "00AB", "");
    Row(4, "100004", "915000000", "0A0B", "9");
    Row(5, "FFFFFF", "915000000", "0A0B", "9");
    for (int r : {1, 4, 5}) {
        page.m_nSelRepeaterRow = r;
        page.OnBnClickedSetRepeater();
    }
    page.m_nSelRepeaterRow = -1;
    page.OnBnClickedSetRepeater();
    EXPECT_EQ(prompts.Texts(), QStringList{kTooFew});  // the empty Busy/SF; FFFFFF and no row are silent
    const QByteArray expected("AT+SET R9 100004 915000000 0A0B 9\r\n");
    ASSERT_TRUE(peer.WaitForBytes(expected.size()));
    EXPECT_TRUE(Quiet(expected.size()));
    EXPECT_EQ(peer.received, expected);
}

TEST_F(RfCommands, ChoosingARepeaterWritesItsStoredIdsOnly) {
    page.m_repeaterIds[0] = {"100000", "100001", "100002", "100003", "100004", "100005", "100006"};
    page.m_repeaterIds[2] = {"300000", "300001"};
    page.m_listRepeaterModules->SetItemText(3, 2, QStringLiteral("915000000"));
    page.m_nSelRepeaterRow = 4;
    res::ComboBox* combo = page.m_comboRepeater;
    ASSERT_EQ(combo->GetCurSel(), -1);
    page.OnCbnSelchangeRepeater();  // nothing chosen: nothing happens
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(0, 1), QString());

    ASSERT_TRUE(ShowActive(host));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);  // "Repeater #1"
    ASSERT_EQ(combo->currentText(), QStringLiteral("Repeater #1"));
    for (int r = 0; r < 6; ++r)
        EXPECT_EQ(page.m_listRepeaterModules->GetItemText(r, 1), QStringLiteral("10000%1").arg(r));
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);  // "Repeater #3": two IDs stored
    ASSERT_EQ(combo->currentText(), QStringLiteral("Repeater #3"));
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(1, 1), QStringLiteral("300001"));
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(2, 1), QStringLiteral("100002"));
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(3, 2), QStringLiteral("915000000"));
    EXPECT_EQ(page.m_nSelRepeaterRow, 4);
    // "Repeater #2" has nothing stored: the list stays as it was.
    QTest::keyClick(combo, Qt::Key_Up);
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(0, 1), QStringLiteral("300000"));
}

TEST_F(RfCommands, NodeCommandsAndTheirRefusals) {
    page.OnBnClickedGetNode();  // no node chosen: an empty ID
    page.OnBnClickedSetNode();  // no row: every attribute is missing
    page.m_listNodeAttr->InsertItem(0, QStringLiteral("######"));
    for (int c = 1; c <= 7; ++c) page.m_listNodeAttr->SetItemText(0, c, QString::number(c));
    page.OnBnClickedSetNode();  // never addressed: silent
    page.m_listNodeAttr->SetItemText(0, 0, QStringLiteral("N00007"));
    page.m_listNodeAttr->SetItemText(0, 7, QString());
    page.OnBnClickedSetNode();
    page.OnBnClickedGetNode();
    EXPECT_EQ(prompts.Texts(), (QStringList{kTooFew, kTooFew}));
    const QByteArray expected("AT+GET N9 \r\nAT+GET N9 N00007\r\n");
    ASSERT_TRUE(peer.WaitForBytes(expected.size()));
    EXPECT_TRUE(Quiet(expected.size()));
    EXPECT_EQ(peer.received, expected);
}

TEST_F(RfCommands, WithoutAConnectionLinesAreDroppedSilently) {
    QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);  // disconnect
    ASSERT_FALSE(page.m_bConnected);
    page.m_editLog->clear();
    Row(0, "100000");
    Row(1, "100001", "1", "2", "3");
    page.m_nSelRepeaterRow = 0;
    page.OnBnClickedGetRepeater();
    page.OnBnClickedSetRepeater();
    page.m_nSelRepeaterRow = 1;
    page.OnBnClickedSetRepeater();
    page.m_listNodeAttr->InsertItem(0, QStringLiteral("N00001"));
    for (int c = 1; c <= 7; ++c) page.m_listNodeAttr->SetItemText(0, c, QString::number(c));
    page.OnBnClickedGetNode();
    page.OnBnClickedSetNode();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(page.m_editLog->toPlainText().isEmpty());
    // Whatever the page wrote before its end closed has arrived by now.
    ASSERT_TRUE(peer.WaitForClose());
    EXPECT_TRUE(peer.received.isEmpty());
}
