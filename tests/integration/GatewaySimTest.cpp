#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include "GatewayServer.h"
#include "flow/Keyboard.h"
#include "flow/ListClicks.h"
#include "res/ComboBox.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "res/TemplateBuilder.h"
#include "rfconfig/RFConfigDlg.h"
#include "support/PromptRecorder.h"
#include "wire/CommandText.h"
#include "wire/ReplyFrame.h"

using gatewaysim::Answer;
using gatewaysim::Model;

TEST(GatewayModel, RepliesDecodeToWhatTheModelHolds) {
    Model m;
    const auto gm = devlink::DecodeReply(Answer(m, "AT+GET GM FFFFFF")[0], false);
    EXPECT_EQ(network::ShowReplyCase(gm), 1);
    ASSERT_EQ(gm.netKeys.size(), 21u);
    std::string set = "AT+SET GM FFFFFF";
    for (int k = 0; k < 21; ++k) set += " " + std::string(k == 0 ? "abc" : "a" + std::to_string(100 + k));
    const auto after = devlink::DecodeReply(Answer(m, set)[0], false);
    EXPECT_EQ(after.netKeys[0], "abc");
    EXPECT_EQ(after.netKeys[5], "A105");

    EXPECT_EQ(devlink::DecodeReply(Answer(m, "AT+SET G2 AB12CD 2480000000")[0], false).g2Frequency, "2480000000");
    EXPECT_EQ(devlink::DecodeReply(Answer(m, "AT+GET G2 AB12CD")[0], false).g2Frequency, "2480000000");
    const auto r9 = devlink::DecodeReply(Answer(m, "AT+SET R9 100001 915000000 00AB 9")[0], false);
    EXPECT_EQ(r9.values, (std::vector<std::string>{"", "915000000", "00AB", "9"}));
    const auto rm = devlink::DecodeReply(Answer(m, "AT+SET RM 100001 n1  n3")[0], false);
    EXPECT_EQ(rm.values, (std::vector<std::string>{"N1", "", "N3"}));
    const auto n9 = devlink::DecodeReply(Answer(m, "AT+GET N9 N1")[0], false);
    EXPECT_EQ(network::ShowReplyCase(n9), 6);
    EXPECT_EQ(n9.values[0], "2402000000");
    EXPECT_EQ(Answer(m, "AT+STOP")[0], "$STOP OK");
    EXPECT_TRUE(m.serviceStopped);

    std::string buffer = "$endAT+GET G2 X\r\nAT+GE";
    EXPECT_EQ(gatewaysim::TakeCommands(buffer), (std::vector<std::string>{"$end", "AT+GET G2 X"}));
    EXPECT_EQ(buffer, "AT+GE");
}

TEST(InProcessGateway, TakesAFreeLoopbackPortAndFreesItOnceTheToolConnects) {
    const auto sim = gatewaysim::StartInProcess();
    const auto other = gatewaysim::StartInProcess();
    ASSERT_TRUE(sim && other);
    EXPECT_NE(sim->Port(), 0);
    EXPECT_NE(sim->Port(), other->Port());
    QTcpSocket tool;
    tool.connectToHost(QHostAddress::LocalHost, sim->Port());
    ASSERT_TRUE(tool.waitForConnected(3000));
    // The tool listens on the gateway's port for it to connect back.
    QTcpServer listen;
    EXPECT_TRUE(QTest::qWaitFor([&] { return listen.listen(QHostAddress::LocalHost, sim->Port()); }, 3000));
}

namespace {

class WithSimulator : public testing::Test {
protected:
    void StartWith(const gatewaysim::Options& o) {
        sim = gatewaysim::StartInProcess(o);
        ASSERT_TRUE(sim);
        page.Create(&host);
        page.m_listenAddress = QHostAddress::LocalHost;
        page.m_ipAddress->SetAddress(127, 0, 0, 1);
        page.m_editPort->setText(QString::number(sim->Port()));
        host.resize(1700, 900);
        host.show();
        QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);
        ASSERT_TRUE(page.m_bConnected);
    }

    PromptRecorder prompts;
    std::unique_ptr<gatewaysim::GatewayServer> sim;
    QWidget host;
    RFConfigDlg page;
};

}  // namespace

TEST_F(WithSimulator, NetKeysAndRadioFrequenciesRoundTrip) {
    StartWith({});
    page.SendCommand(devlink::CMD_GET, "AT+GET GM FFFFFF\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_netKeys.size() == 21; }, 3000));
    EXPECT_EQ(page.m_listNetKeys->GetItemText(0, 1), QStringLiteral("AUT"));

    page.m_listGatewayFreq->InsertItem(0, QStringLiteral("AB12CD"));
    page.SendCommand(devlink::CMD_SET, "AT+SET G2 AB12CD 2480000000\r\n");
    page.SendCommand(devlink::CMD_GET, "AT+GET G2 AB12CD\r\n");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return sim->RepliesSent() == 3 && page.m_mapFreqOwner.count("2480000000"); }, 3000));
    EXPECT_EQ(page.m_listGatewayFreq->GetItemText(0, 1), QStringLiteral("2480000000"));
    EXPECT_EQ(sim->State().gatewayFrequency["AB12CD"], "2480000000");

    page.SendCommand(devlink::CMD_SET, "AT+STOP\r\n");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return page.m_editLog->toPlainText().contains(QStringLiteral("$STOP OK")); }, 3000));
    EXPECT_TRUE(sim->State().serviceStopped);
}

TEST_F(WithSimulator, SplitAndJoinedRepliesAreAllHandled) {
    gatewaysim::Options o;
    o.splitReplies = true;
    o.joinReplies = true;
    StartWith(o);
    page.m_nSelRepeaterRow = 1;
    page.SendCommand(devlink::CMD_SET, "AT+SET R2 100001 2480000000 00AB 9\r\n");
    page.SendCommand(devlink::CMD_GET, "AT+GET R2 100001\r\n");
    page.SendCommand(devlink::CMD_GET, "AT+GET RM 100000\r\n");
    // The page read a reply's start and waited for its rest: the split reached it.
    bool split = false;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            split = split || page.m_assembler.HasPending();
            return page.m_editLog->toPlainText().count(QStringLiteral("[Response] 0x")) == 3;
        },
        3000))
        << page.m_editLog->toPlainText().toStdString();
    EXPECT_TRUE(split);
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(1, 2), QStringLiteral("2480000000"));
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(1, 3), QStringLiteral("00AB"));
    EXPECT_EQ(page.m_arrR2Values[3], "9");
}

TEST_F(WithSimulator, TheGatewayDropsTheLinkAndConnectsBack) {
    gatewaysim::Options o;
    o.closeAfter = 1;
    o.reconnectDelayMs = 100;
    StartWith(o);
    page.SendCommand(devlink::CMD_GET, "AT+GET G2 AB12CD\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket == nullptr; }, 3000));
    EXPECT_EQ(page.m_btnConnect->text(), QStringLiteral("Disconnect"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket != nullptr; }, 3000));
    page.SendCommand(devlink::CMD_GET, "AT+GET R9 100002\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim->State().commands == 2; }, 3000));
}

namespace {

void ClickButton(RFConfigDlg& page, int id) { QTest::mouseClick(res::Control<QPushButton>(&page, id), Qt::LeftButton); }

// Double-clicks a cell, types into the editor that opens and presses Enter.
void EditCell(res::ListCtrl* list, int row, int column, const QString& text) {
    DoubleClickCell(list, row, column);
    TypeIntoFocus(text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

}  // namespace

TEST_F(WithSimulator, ATechnicianSetsARepeatersModulesAndANodeAndReadsThemBack) {
    StartWith({});
    ASSERT_TRUE(ShowActive(host));
    page.m_repeaterIds[0] = {"100000", "100001", "100002", "100003", "100004", "100005"};
    // Waits until the page has handled the n-th reply.
    const auto replies = [&](int n) {
        return QTest::qWaitFor([&] { return page.m_editLog->toPlainText().count(QStringLiteral("[Response]")) == n; },
                               3000);
    };

    ClickButton(page, 1043);  // stop the service
    ASSERT_TRUE(replies(1));
    EXPECT_TRUE(sim->State().serviceStopped);

    // The node table of repeater 1's MCU: one node typed in, in lower case.
    res::ListCtrl* nodes = page.m_listNodes;
    EditCell(nodes, 1, 1, QStringLiteral("n00001"));
    ASSERT_EQ(nodes->GetItemText(1, 1), QStringLiteral("N00001"));
    page.m_comboRepeater->setFocus();
    QTest::keyClick(page.m_comboRepeater, Qt::Key_Down);
    res::ListCtrl* modules = page.m_listRepeaterModules;
    ASSERT_EQ(modules->GetItemText(3, 1), QStringLiteral("100003"));
    ClickCell(modules, 0, 0);
    ClickButton(page, 1031);
    ASSERT_TRUE(replies(2));
    std::vector<std::string> table(31);
    table[1] = "N00001";
    EXPECT_EQ(sim->State().nodeTables["100000"], table);

    // An SX1276's three settings, typed into its row, set, cleared and read back.
    ClickCell(modules, 3, 0);
    EditCell(modules, 3, 2, QStringLiteral("915000000"));
    EditCell(modules, 3, 3, QStringLiteral("0a0b"));
    EditCell(modules, 3, 4, QStringLiteral("9"));
    ClickButton(page, 1031);
    ASSERT_TRUE(replies(3));
    EXPECT_EQ(sim->State().repeaterRadios["100003"].netKey, "0A0B");
    for (int c = 2; c <= 4; ++c) modules->SetItemText(3, c, QString());
    ClickButton(page, 1036);
    ASSERT_TRUE(replies(4));
    EXPECT_EQ(modules->GetItemText(3, 2), QStringLiteral("915000000"));
    EXPECT_EQ(modules->GetItemText(3, 3), QStringLiteral("0A0B"));
    EXPECT_EQ(modules->GetItemText(3, 4), QStringLiteral("9"));

    // The node: its attributes fetched, one changed, set and read back.
    ClickCell(nodes, 1, 0);
    res::ListCtrl* attrs = page.m_listNodeAttr;
    ASSERT_EQ(attrs->GetItemText(0, 0), QStringLiteral("N00001"));
    ClickButton(page, 1037);
    ASSERT_TRUE(replies(5));
    EXPECT_EQ(attrs->GetItemText(0, 5), QStringLiteral("60"));
    EditCell(attrs, 0, 5, QStringLiteral("120"));
    ClickButton(page, 1024);
    ASSERT_TRUE(replies(6));
    EXPECT_EQ(sim->State().nodeAttributes["N00001"][4], "120");
    attrs->SetItemText(0, 5, QString());
    ClickButton(page, 1037);
    ASSERT_TRUE(replies(7));
    EXPECT_EQ(attrs->GetItemText(0, 5), QStringLiteral("120"));

    const QString log = page.m_editLog->toPlainText();
    EXPECT_TRUE(log.contains(QStringLiteral("[SET][SEND] AT+SET R9 100003 915000000 0A0B 9\n")));
    EXPECT_TRUE(log.contains(QStringLiteral("[SET][SEND] AT+SET N9 N00001 2402000000 0001 000000 7 120 0 0\n")));
    EXPECT_TRUE(prompts.shown.size() == 1);  // only the connection's success
}
