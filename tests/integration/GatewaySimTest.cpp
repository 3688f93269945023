#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "GatewayServer.h"
#include "link/CommandText.h"
#include "link/ReplyFrame.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "rfconfig/RFConfigDlg.h"
#include "support/PromptRecorder.h"

using gatewaysim::Answer;
using gatewaysim::Model;

TEST(GatewayModel, RepliesDecodeToWhatTheModelHolds) {
    Model m;
    const auto gm = devlink::DecodeReply(Answer(m, "AT+GET GM FFFFFF")[0], false);
    EXPECT_EQ(gm.displayCase, 1);
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
    EXPECT_EQ(n9.displayCase, 6);
    EXPECT_EQ(n9.values[0], "2402000000");
    EXPECT_EQ(Answer(m, "AT+STOP")[0], "$STOP OK");
    EXPECT_TRUE(m.serviceStopped);

    std::string buffer = "$endAT+GET G2 X\r\nAT+GE";
    EXPECT_EQ(gatewaysim::TakeCommands(buffer), (std::vector<std::string>{"$end", "AT+GET G2 X"}));
    EXPECT_EQ(buffer, "AT+GE");
}

namespace {

class WithSimulator : public testing::Test {
protected:
    void StartWith(gatewaysim::Options o) {
        o.port = 0;
        o.verbose = false;
        o.stopListeningAfterAccept = true;
        sim = std::make_unique<gatewaysim::GatewayServer>(o);
        ASSERT_TRUE(sim->Start());
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
    page.SendCommand(CMD_GET, "AT+GET GM FFFFFF\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_netKeys.size() == 21; }, 3000));
    EXPECT_EQ(page.m_listNetKeys->GetItemText(0, 1), QStringLiteral("AUT"));

    page.m_listGatewayFreq->InsertItem(0, QStringLiteral("AB12CD"));
    page.SendCommand(CMD_SET, "AT+SET G2 AB12CD 2480000000\r\n");
    page.SendCommand(CMD_GET, "AT+GET G2 AB12CD\r\n");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return sim->RepliesSent() == 3 && page.m_mapFreqOwner.count("2480000000"); }, 3000));
    EXPECT_EQ(page.m_listGatewayFreq->GetItemText(0, 1), QStringLiteral("2480000000"));
    EXPECT_EQ(sim->State().gatewayFrequency["AB12CD"], "2480000000");

    page.SendCommand(CMD_SET, "AT+STOP\r\n");
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
    page.SendCommand(CMD_SET, "AT+SET R2 100001 2480000000 00AB 9\r\n");
    page.SendCommand(CMD_GET, "AT+GET R2 100001\r\n");
    page.SendCommand(CMD_GET, "AT+GET RM 100000\r\n");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return page.m_editLog->toPlainText().count(QStringLiteral("[Response] 0x")) == 3; }, 3000))
        << page.m_editLog->toPlainText().toStdString();
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(1, 2), QStringLiteral("2480000000"));
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(1, 3), QStringLiteral("00AB"));
    EXPECT_EQ(page.m_arrR2Values[3], "9");
}

TEST_F(WithSimulator, TheGatewayDropsTheLinkAndConnectsBack) {
    gatewaysim::Options o;
    o.closeAfter = 1;
    o.reconnectDelayMs = 100;
    StartWith(o);
    page.SendCommand(CMD_GET, "AT+GET G2 AB12CD\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket == nullptr; }, 3000));
    EXPECT_EQ(page.m_btnConnect->text(), QStringLiteral("Disconnect"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket != nullptr; }, 3000));
    page.SendCommand(CMD_GET, "AT+GET R9 100002\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim->State().commands == 2; }, 3000));
}
