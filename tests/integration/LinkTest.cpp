#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "rfconfig/RFConfigDlg.h"
#include "support/HandFrames.h"
#include "support/LinkPeer.h"
#include "support/PromptRecorder.h"
#include "wire/CommandText.h"
#include "wire/ReplyFrame.h"

namespace {

class Link : public PageWithPeer {
protected:
    QString Log() const { return page.m_editLog->toPlainText(); }

    // A second page the test owns (and may destroy), connected to the peer;
    // null when the peer saw no connection.
    std::unique_ptr<RFConfigDlg> ConnectedOwnPage() {
        auto owned = std::make_unique<RFConfigDlg>();
        owned->Create(&host);
        AimAt(*owned, peer.server.serverPort());
        QTest::mouseClick(owned->m_btnConnect, Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return peer.socket != nullptr; }, 3000)) return nullptr;
        return owned;
    }
};

}  // namespace

TEST(CommandText, LogEntriesAndPorts) {
    EXPECT_EQ(devlink::CommandLogEntry(devlink::CMD_GET, "AT+GET GM FFFFFF\r\n"), "[GET][SEND] AT+GET GM FFFFFF\r\n");
    EXPECT_EQ(devlink::CommandLogEntry(devlink::CMD_SET, "$end"), "[SET][SEND] $end\r\n");
    EXPECT_EQ(devlink::CommandLogEntry(devlink::CMD_SET, "$start"), "[SET][SEND] $start\r\n");
    EXPECT_EQ(devlink::CommandLogEntry(devlink::CMD_SET, "AT+STOP\r\n"), "[SET][SEND] AT+STOP\r\n");
    EXPECT_EQ(devlink::CommandLogEntry(devlink::CMD_SET, "end and end"), "[SET][SEND] end and end");
    EXPECT_EQ(devlink::CommandLogEntry(devlink::CMD_SET, "end, restart"), "[SET][SEND] end, restart\r\n");
    EXPECT_EQ(devlink::CommandLogEntry(3, "x"), "");
    EXPECT_EQ(devlink::PortOf("5555"), 5555u);
    EXPECT_EQ(devlink::PortOf("80.5"), 80u);
    EXPECT_EQ(devlink::PortOf(""), 0u);
    EXPECT_EQ(devlink::PortOf("x1"), 0u);
}

TEST_F(Link, ConnectSucceedsListensOnThePortAndDisconnectClosesBoth) {
    const quint16 port = peer.server.serverPort();
    QSignalSpy states(&page, &RFConfigDlg::LinkStateChanged);
    QSignalSpy commands(&page, &RFConfigDlg::CommandSent);
    Connect();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].prompt.text, QStringLiteral("Server Connetion Success!"));
    EXPECT_EQ(prompts.shown[0].prompt.caption, QStringLiteral("알림"));
    EXPECT_EQ(prompts.shown[0].prompt.icon, res::PromptIcon::Information);
    EXPECT_TRUE(page.m_bConnected && page.m_bLinkActive);
    EXPECT_EQ(page.m_btnConnect->text(), QStringLiteral("Disconnect"));
    ASSERT_NE(page.m_pListenSocket, nullptr);
    EXPECT_TRUE(page.m_pListenSocket->isListening());
    EXPECT_EQ(page.m_pListenSocket->serverPort(), port);  // the same port number, now the page's

    QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);
    EXPECT_FALSE(page.m_bConnected || page.m_bLinkActive);
    EXPECT_EQ(page.m_pDataSocket, nullptr);
    EXPECT_EQ(page.m_pListenSocket, nullptr);
    EXPECT_EQ(page.m_btnConnect->text(), QStringLiteral("Connect"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return peer.socket->state() == QAbstractSocket::UnconnectedState; }, 3000));
    ASSERT_EQ(states.count(), 2);
    EXPECT_EQ(states[0][0].value<RFConfigDlg::LinkState>(), RFConfigDlg::LinkState::Connected);
    EXPECT_EQ(states[1][0].value<RFConfigDlg::LinkState>(), RFConfigDlg::LinkState::Idle);
    page.SendCommand(devlink::CMD_SET, "AT+STOP\r\n");
    ASSERT_EQ(commands.count(), 1);
    EXPECT_FALSE(commands[0][2].toBool());  // no link: not sent
}

TEST_F(Link, RefusedAndEmptyPortsFailAndLeaveTheLinkIdle) {
    for (const QString& port : {QString::number(FreePort()), QString()}) {
        page.m_editPort->setText(port);
        prompts.shown.clear();
        QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].prompt.text, QStringLiteral("Server Connection Fail!"));
        EXPECT_EQ(prompts.shown[0].prompt.icon, res::PromptIcon::Error);
        EXPECT_FALSE(page.m_bConnected || page.m_bLinkActive);
        EXPECT_EQ(page.m_pDataSocket, nullptr);
        EXPECT_EQ(page.m_pListenSocket, nullptr);
        EXPECT_FALSE(page.m_strLinkError.isEmpty());
    }
}

TEST_F(Link, CommandsGoOutAsTheyAreAndAreLogged) {
    Connect();
    page.SendCommand(devlink::CMD_GET, "AT+GET GM FFFFFF\r\n");
    page.SendCommand(devlink::CMD_SET, "$end");
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.received.size() >= 22; }, 3000));
    EXPECT_EQ(peer.received, QByteArray("AT+GET GM FFFFFF\r\n$end"));
    EXPECT_EQ(Log(), QStringLiteral("[GET][SEND] AT+GET GM FFFFFF\n[SET][SEND] $end\n"));
}

TEST_F(Link, RepliesAreStoredShownAndLoggedEvenWhenSplitOrJoined) {
    Connect();
    page.m_listGatewayFreq->InsertItem(0, QStringLiteral("AB12CD"));
    const std::string g2 = Frame("G2", "ab12cd", "2402000000");
    const std::string r2 = Frame("R2", "000001", "2402 k1");
    peer.socket->write((g2 + r2).data(), qint64(g2.size() + r2.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_arrR2Values[2] == "K1"; }, 3000));
    EXPECT_EQ(page.m_strG2Id, "AB12CD");
    EXPECT_EQ(page.m_mapFreqOwner["2402000000"], "AB12CD");
    EXPECT_EQ(page.m_listGatewayFreq->GetItemText(0, 1), QStringLiteral("2402000000"));
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(0, 3), QStringLiteral("K1"));
    EXPECT_EQ(Log().count(QStringLiteral("[Response] 0x01 ")), 2);

    // One reply in two writes: the rest only once the page has read the start.
    const std::string rm = Frame("RM", "000001", "n1 n2");
    peer.socket->write(rm.data(), 25);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_assembler.HasPending(); }, 3000));
    EXPECT_EQ(Log().count(QStringLiteral("[Response]")), 2);
    peer.socket->write(rm.data() + 25, qint64(rm.size() - 25));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_nodeIds.size() == 2; }, 3000));
    EXPECT_EQ(page.m_listNodes->GetItemText(1, 1), QStringLiteral("N2"));
    EXPECT_EQ(Log().count(QStringLiteral("[Response]")), 3);
}

TEST_F(Link, FramesWrittenOutByHandArriveDecodedByTheLayout) {
    Connect();
    std::vector<devlink::Reply> decoded;
    QObject::connect(&page, &RFConfigDlg::ReplyDecoded, &page,
                     [&](const devlink::Reply& reply) { decoded.push_back(reply); });
    std::vector<HandFrame> whole;
    std::string stream;
    for (const HandFrame& f : HandFrames()) {
        if (!f.Whole()) continue;
        whole.push_back(f);
        stream += f.bytes;
    }
    peer.socket->write(stream.data(), qint64(stream.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return decoded.size() >= whole.size(); }, 3000));
    ASSERT_EQ(decoded.size(), whole.size());
    for (std::size_t i = 0; i < whole.size(); ++i) {
        EXPECT_EQ(decoded[i].tagIndex, whole[i].tagIndex) << whole[i].name;
        EXPECT_EQ(decoded[i].moduleId, whole[i].moduleId) << whole[i].name;
        EXPECT_EQ(HandValues(decoded[i]), whole[i].values) << whole[i].name;
    }
}

TEST_F(Link, AFrameWhoseRestNeverComesIsHandledAfterTheWait) {
    Connect();
    const std::string r2 = Frame("R2", "000001", "7 8 9");
    peer.socket->write(r2.data(), 32);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Log().contains(QStringLiteral("[Response]")); }, 3000));
    EXPECT_EQ(page.m_arrR2Values[1], "7");  // the missing bytes read as zero
}

TEST_F(Link, DroppedLinkKeepsListeningAndTheGatewayComesBack) {
    Connect();
    const quint16 port = page.m_pListenSocket->serverPort();
    peer.socket->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket == nullptr; }, 3000));
    EXPECT_TRUE(page.m_bConnected && page.m_bLinkActive);
    EXPECT_EQ(page.m_btnConnect->text(), QStringLiteral("Disconnect"));

    // Sending now goes nowhere and says so.
    page.SendCommand(devlink::CMD_GET, "AT+GET G2 AB12CD\r\n");
    EXPECT_TRUE(Log().contains(QStringLiteral("not sent")));

    QTcpSocket back;
    back.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(back.waitForConnected(3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket != nullptr; }, 3000));
    QTcpSocket second;
    second.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(second.waitForConnected(3000));
    QByteArray viaSecond;
    QObject::connect(&second, &QTcpSocket::readyRead, [&] { viaSecond += second.readAll(); });
    page.SendCommand(devlink::CMD_SET, "AT+STOP\r\n");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            back.waitForReadyRead(5);
            return back.bytesAvailable() >= 9;
        },
        3000));
    EXPECT_EQ(back.readAll(), QByteArray("AT+STOP\r\n"));
    QTest::qWait(100);
    EXPECT_TRUE(viaSecond.isEmpty());  // the second connection was not accepted
}

TEST_F(Link, PressAfterADropSaysTheLinkFailedThenConnectsAgain) {
    Connect();
    peer.socket->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket == nullptr; }, 3000));
    prompts.shown.clear();
    QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].prompt.text, QStringLiteral("서버와 연결이 실패하였습니다."));
    EXPECT_FALSE(page.m_bLinkActive);
    EXPECT_TRUE(page.m_bConnected);
    EXPECT_EQ(page.m_btnConnect->text(), QStringLiteral("Disconnect"));

    // The next press connects anew; the old listening socket makes way.
    Peer again;
    const quint16 port = again.server.serverPort();
    page.m_editPort->setText(QString::number(port));
    prompts.shown.clear();
    QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].prompt.text, QStringLiteral("Server Connetion Success!"));
    EXPECT_TRUE(page.m_pListenSocket->isListening());
    EXPECT_EQ(page.m_pListenSocket->serverPort(), port);
}

TEST_F(Link, DestroyingThePageClosesBothSockets) {
    const quint16 port = peer.server.serverPort();
    std::unique_ptr<RFConfigDlg> owned = ConnectedOwnPage();
    ASSERT_TRUE(owned);
    owned.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return peer.socket->state() == QAbstractSocket::UnconnectedState; }, 3000));
    QTcpServer reuse;
    EXPECT_TRUE(reuse.listen(QHostAddress::LocalHost, port));  // the page's listening port is free again
}

TEST_F(Link, GatewayConnectingBackAfterAPressMakesTheNextPressSayAlreadyConnected) {
    Connect();
    const quint16 port = page.m_pListenSocket->serverPort();
    peer.socket->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket == nullptr; }, 3000));
    QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);  // Dropped after a press
    ASSERT_FALSE(page.m_bLinkActive);
    QTcpSocket back;
    back.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket != nullptr; }, 3000));
    prompts.shown.clear();
    QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].prompt.text, QStringLiteral("Already Connected!"));
    EXPECT_EQ(prompts.shown[0].prompt.icon, res::PromptIcon::Information);
    EXPECT_TRUE(page.m_bLinkActive);
    QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);  // now it disconnects
    EXPECT_EQ(page.m_pDataSocket, nullptr);
    EXPECT_EQ(page.m_pListenSocket, nullptr);
    EXPECT_EQ(page.m_btnConnect->text(), QStringLiteral("Connect"));
}

TEST_F(Link, DestroyingThePageAfterADropStillFreesTheListeningPort) {
    const quint16 port = peer.server.serverPort();
    std::unique_ptr<RFConfigDlg> owned = ConnectedOwnPage();
    ASSERT_TRUE(owned);
    peer.socket->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return owned->m_pDataSocket == nullptr; }, 3000));
    owned.reset();
    QTcpServer reuse;
    EXPECT_TRUE(reuse.listen(QHostAddress::LocalHost, port));
}

TEST_F(Link, EachTagFillsItsCellsAndRowsThatDoNotExistStayUntouched) {
    Connect();
    QSignalSpy replies(&page, &RFConfigDlg::ReplyDecoded);
    const auto send = [&](const std::string& frame) {
        const qsizetype before = replies.count();
        peer.socket->write(frame.data(), qint64(frame.size()));
        return QTest::qWaitFor([&] { return replies.count() == before + 1; }, 3000);
    };
    // G2 and N9 before their one-row lists have a row: stored, nothing shown.
    ASSERT_TRUE(send(Frame("G2", "ab12cd", "2402000000")));
    EXPECT_EQ(page.m_strG2Frequency, "2402000000");
    EXPECT_EQ(page.m_listGatewayFreq->GetItemCount(), 0);
    ASSERT_TRUE(send(Frame("N9", "000009", "f k s i sf tx s0 s1 x")));
    EXPECT_EQ(page.m_arrN9Values[8], "X");
    EXPECT_EQ(page.m_listNodeAttr->GetItemCount(), 0);

    // With the row there: N9 fills columns 1-7, the eighth and ninth values stay unshown.
    page.m_listNodeAttr->InsertItem(0, QStringLiteral("000009"));
    ASSERT_TRUE(send(Frame("N9", "000009", "f k s i sf tx s0 s1 x")));
    EXPECT_EQ(page.m_listNodeAttr->GetItemText(0, 1), QStringLiteral("F"));
    EXPECT_EQ(page.m_listNodeAttr->GetItemText(0, 7), QStringLiteral("S0"));

    // R9 into the selected repeater row; with no row selected nothing is shown.
    page.m_nSelRepeaterRow = 4;
    ASSERT_TRUE(send(Frame("R9", "100001", "915000000 00ab")));
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(4, 2), QStringLiteral("915000000"));
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(4, 3), QStringLiteral("00AB"));
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(4, 4), QString());
    page.m_nSelRepeaterRow = -1;
    ASSERT_TRUE(send(Frame("R9", "100001", "1 2 3")));
    EXPECT_EQ(page.m_arrR9Values[1], "1");
    EXPECT_EQ(page.m_listRepeaterModules->GetItemText(4, 2), QStringLiteral("915000000"));

    // More node IDs than rows: all stored, 31 shown.
    std::string ids;
    for (int i = 0; i < 40; ++i) ids += (i ? " n" : "n") + std::to_string(i);
    std::string rm = Frame("RM", "100000", ids);
    rm.resize(std::min<size_t>(rm.size(), 255));
    rm[12] = static_cast<char>(rm.size());
    ASSERT_TRUE(send(rm));
    EXPECT_GT(page.m_nodeIds.size(), 31u);
    EXPECT_EQ(page.m_listNodes->GetItemCount(), 31);
    EXPECT_EQ(page.m_listNodes->GetItemText(30, 1), QStringLiteral("N30"));

    // An unknown tag changes nothing but is logged.
    ASSERT_TRUE(send(Frame("g2", "ffffff", "9999999999")));
    EXPECT_EQ(page.m_strG2Frequency, "2402000000");
}

TEST_F(Link, ServiceButtonsRefuseWithoutAConnectionAndLeaveTheirCaptions) {
    QTest::mouseClick(page.m_btnServiceStop, Qt::LeftButton);
    QTest::mouseClick(page.m_btnServiceChange, Qt::LeftButton);
    ASSERT_EQ(prompts.shown.size(), 2u);
    for (const auto& shown : prompts.shown) {
        EXPECT_EQ(shown.prompt.text,
                  QStringLiteral("기기와 연결이 되어 있지 않습니다.\r\n 기기 연결 후 시도하시기 바랍니다."));
        EXPECT_EQ(shown.prompt.caption, QStringLiteral("VeskoraRFConfiguration"));
        EXPECT_EQ(shown.prompt.icon, res::PromptIcon::Information);
    }
    EXPECT_EQ(page.m_btnServiceStop->text(), QStringLiteral("서비스 중지"));
    EXPECT_EQ(page.m_btnServiceChange->text(), QStringLiteral("서비스 변경"));
    EXPECT_FALSE(page.m_bServiceStopped || page.m_bRfConfigService);
    EXPECT_FALSE(page.ServiceGuard());
    EXPECT_EQ(prompts.shown.back().prompt.icon, res::PromptIcon::Warning);
}

TEST_F(Link, ServiceButtonsToggleTheirLinesCaptionsAndFlags) {
    Connect();
    prompts.shown.clear();
    QTest::mouseClick(page.m_btnServiceStop, Qt::LeftButton);
    EXPECT_EQ(page.m_btnServiceStop->text(), QStringLiteral("서비스 재시작"));
    EXPECT_TRUE(page.m_bServiceStopped);
    EXPECT_TRUE(page.ServiceGuard());
    QTest::mouseClick(page.m_btnServiceStop, Qt::LeftButton);
    EXPECT_EQ(page.m_btnServiceStop->text(), QStringLiteral("서비스 종료"));
    EXPECT_FALSE(page.m_bServiceStopped);
    QTest::mouseClick(page.m_btnServiceChange, Qt::LeftButton);
    EXPECT_EQ(page.m_btnServiceChange->text(), QStringLiteral("베스코라 서비스 시작"));
    QTest::mouseClick(page.m_btnServiceChange, Qt::LeftButton);
    EXPECT_EQ(page.m_btnServiceChange->text(), QStringLiteral("RF 구성 서비스 시작"));
    const QByteArray expected("AT+STOP\r\nAT+SEND R\r\n$end$start");
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.received.size() >= expected.size(); }, 3000));
    EXPECT_EQ(peer.received, expected);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Link, QueryChainAsksForBothGatewayRadiosOnceHalfASecondApart) {
    Connect();
    page.m_arrGatewayIds = {"FFFFFF", "A00001", "B00002"};
    QElapsedTimer clock;
    clock.start();
    page.StartQueryTimer();
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.received.size() >= 18; }, 3000));
    const qint64 first = clock.elapsed();
    EXPECT_EQ(peer.received, QByteArray("AT+GET G2 A00001\r\n"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.received.size() >= 36; }, 3000));
    const qint64 second = clock.elapsed();
    EXPECT_EQ(peer.received, QByteArray("AT+GET G2 A00001\r\nAT+GET G2 B00002\r\n"));
    EXPECT_GE(first, 450);
    EXPECT_GE(second - first, 400);
    QTest::qWait(700);
    EXPECT_EQ(peer.received.size(), 36);  // the chain runs once
}

TEST_F(Link, GatewayCommandsWaitForTheServiceToStop) {
    Connect();
    prompts.shown.clear();
    page.OnBnClickedGetNetKey();
    page.OnBnClickedSetNetKey();
    page.OnBnClickedGetGateway();
    page.OnBnClickedSetGateway();
    ASSERT_EQ(prompts.shown.size(), 4u);
    for (const auto& shown : prompts.shown) {
        EXPECT_EQ(shown.prompt.text,
                  QStringLiteral("서비스가 동작 중입니다. 서비스 종료 후 설정값을 변경하시기 바랍니다."));
        EXPECT_EQ(shown.prompt.icon, res::PromptIcon::Warning);
    }
    EXPECT_TRUE(Quiet(0));
}

TEST_F(Link, GatewayCommandLinesAndTheirRefusals) {
    Connect();
    page.m_bServiceStopped = true;
    prompts.shown.clear();

    // GET NETKEY only with the MCU row checked and its ID "FFFFFF" (any case).
    page.m_listGatewayModules->SetItemText(0, 1, QStringLiteral("FFFFFF"));
    page.OnBnClickedGetNetKey();
    page.m_listGatewayModules->SetCheck(0, true);
    page.m_listGatewayModules->SetItemText(0, 1, QStringLiteral("123456"));
    page.OnBnClickedGetNetKey();
    page.m_listGatewayModules->SetItemText(0, 1, QStringLiteral("ffffff"));
    page.OnBnClickedGetNetKey();
    // SET NETKEY with every key empty: twenty blanks between 21 empty values.
    page.OnBnClickedSetNetKey();
    // GET with no radio selected: an empty ID.
    page.OnBnClickedGetGateway();
    const QByteArray expected =
        QByteArray("AT+GET GM ffffff\r\n") + "AT+SET GM FFFFFF " + QByteArray(20, ' ') + "\r\n" + "AT+GET G2 \r\n";
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.received.size() >= expected.size(); }, 3000));
    EXPECT_EQ(peer.received, expected);
    EXPECT_TRUE(prompts.shown.empty());

    // SET: no row, then an empty frequency.
    page.OnBnClickedSetGateway();
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].prompt.text, QStringLiteral("ID 설정을 확인하시기 바랍니다."));
    EXPECT_EQ(prompts.shown[0].parent, &page);
    page.m_listGatewayFreq->InsertItem(0, QStringLiteral("B00002"));
    page.OnBnClickedSetGateway();
    EXPECT_EQ(prompts.shown[1].prompt.text, QStringLiteral("주파수가 설정되지 않았습니다. 확인하시기 바랍니다."));

    // A frequency another module reported is refused, naming that module.
    page.m_mapFreqOwner["2402000000"] = "A00001";
    page.m_listGatewayFreq->SetItemText(0, 1, QStringLiteral("2402000000"));
    page.OnBnClickedSetGateway();
    ASSERT_EQ(prompts.shown.size(), 3u);
    EXPECT_EQ(
        prompts.shown[2].prompt.text,
        QStringLiteral("이미 해당 주파수는 ID A00001 모듈에서 사용중입니다.\r\n 다른 주파수를 사용하시기 바랍니다."));
    // Its own frequency: nothing sent, nothing shown. A new one goes out.
    page.m_listGatewayFreq->SetItemText(0, 0, QStringLiteral("a00001"));
    page.OnBnClickedSetGateway();
    EXPECT_EQ(prompts.shown.size(), 3u);
    page.m_listGatewayFreq->SetItemText(0, 1, QStringLiteral("2480000000"));
    page.OnBnClickedSetGateway();
    const QByteArray set = expected + "AT+SET G2 a00001 2480000000\r\n";
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.received.size() >= set.size(); }, 3000));
    EXPECT_EQ(peer.received, set);
}

namespace {

// A connection to the page's listening port from a given loopback address,
// standing in for another host on the LAN.
std::unique_ptr<QTcpSocket> ConnectFrom(const char* from, quint16 port, bool wait = true) {
    auto socket = std::make_unique<QTcpSocket>();
    socket->bind(QHostAddress(QString::fromLatin1(from)));
    socket->connectToHost(QHostAddress::LocalHost, port);
    if (wait) socket->waitForConnected(3000);
    return socket;
}

int OpenDescriptors() { return static_cast<int>(QDir(QStringLiteral("/proc/self/fd")).count()) - 2; }

// Lowers the descriptor limit for the test's lifetime.
struct DescriptorLimit {
    explicit DescriptorLimit(rlim_t limit) {
        getrlimit(RLIMIT_NOFILE, &saved);
        rlimit lower = saved;
        lower.rlim_cur = limit;
        setrlimit(RLIMIT_NOFILE, &lower);
    }
    ~DescriptorLimit() { setrlimit(RLIMIT_NOFILE, &saved); }
    rlimit saved{};
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

TEST_F(Link, StrangersAreClosedUnreadAndOnlyTheGatewaysAddressTakesTheLink) {
    Connect();
    const quint16 port = page.m_pListenSocket->serverPort();
    // While connected a stranger does not even wait.
    auto early = ConnectFrom("127.0.0.2", port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return early->state() == QAbstractSocket::UnconnectedState; }, 3000));
    EXPECT_EQ(page.m_pListenSocket->WaitingCount(), 0u);

    peer.socket->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket == nullptr; }, 3000));
    for (const char* stranger : {"127.0.0.2", "127.0.0.3"}) {
        auto s = ConnectFrom(stranger, port);
        const std::string g2 = Frame("G2", "eeeeee", "2499000000");
        s->write(g2.data(), qint64(g2.size()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return s->state() == QAbstractSocket::UnconnectedState; }, 3000));
        EXPECT_EQ(page.m_pDataSocket, nullptr) << stranger;
    }
    EXPECT_TRUE(page.m_mapFreqOwner.empty());

    auto gateway = ConnectFrom("127.0.0.1", port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket != nullptr; }, 3000));
    page.SendCommand(devlink::CMD_SET, "AT+STOP\r\n");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            gateway->waitForReadyRead(5);
            return gateway->bytesAvailable() >= 9;
        },
        3000));
    EXPECT_EQ(gateway->readAll(), QByteArray("AT+STOP\r\n"));
}

TEST_F(Link, AConnectionFloodKeepsAtMostTheBacklogWaitingAndTheDescriptorCountFlat) {
    DescriptorLimit limit(256);
    Connect();
    const quint16 port = page.m_pListenSocket->serverPort();
    const int before = OpenDescriptors();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int i = 0; i < 2000; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ASSERT_GE(fd, 0) << "attempt " << i;
        ::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to);
        ::close(fd);
        if (i % 4 == 0) QCoreApplication::processEvents();
    }
    // Connections left open wait, but never more than the backlog.
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < 12; ++i) open.push_back(ConnectFrom("127.0.0.1", port, false));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pListenSocket->WaitingCount() == 5; }, 3000));
    open.clear();  // and those that give up are dropped
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pListenSocket->WaitingCount() == 0; }, 3000));
    EXPECT_LE(OpenDescriptors(), before + 1);

    page.SendCommand(devlink::CMD_GET, "AT+GET GM FFFFFF\r\n");
    EXPECT_TRUE(peer.WaitForBytes(18));
    const std::string g2 = Frame("G2", "ab12cd", "2402000000");
    peer.socket->write(g2.data(), qint64(g2.size()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.m_strG2Id == "AB12CD"; }, 3000));
}

TEST_F(Link, AcceptingWithoutDescriptorsPausesInsteadOfSpinningAndResumes) {
    Connect();
    const quint16 port = page.m_pListenSocket->serverPort();
    peer.socket->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket == nullptr; }, 3000));

    DescriptorLimit limit(static_cast<rlim_t>(OpenDescriptors() + 16));
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(client, 0);
    std::vector<int> filler;
    for (int fd; (fd = ::dup(client)) >= 0;) filler.push_back(fd);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(client, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);

    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(400);
    EXPECT_LT(CpuSeconds() - cpuBefore, 0.5 * double(wall.elapsed()) / 1000.0);  // no busy loop
    EXPECT_EQ(page.m_pDataSocket, nullptr);

    for (const int fd : filler) ::close(fd);
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket != nullptr; }, 3000));
    ::close(client);
}

TEST_F(Link, AReplyWhoseHeaderIsWrittenSeparatelyIsOneReply) {
    Connect();
    const std::string g2 = Frame("G2", "ab12cd", "2402000000");
    for (const qint64 cut : {10, 20}) {
        page.m_strG2Id.clear();
        peer.socket->write(g2.data(), cut);
        ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_assembler.HasPending(); }, 3000)) << cut;
        peer.socket->write(g2.data() + cut, qint64(g2.size()) - cut);
        ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_strG2Id == "AB12CD"; }, 3000)) << cut;
    }
    EXPECT_EQ(Log().count(QStringLiteral("[Response]")), 2);

    // A trickle does not postpone giving up: the wait runs from the first byte.
    page.m_frameWait.setInterval(5000);  // long enough that it never fires here
    peer.socket->write(g2.data(), 5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_frameWait.isActive(); }, 3000));
    QTest::qWait(150);
    peer.socket->write(g2.data() + 5, 5);
    peer.socket->flush();
    QTest::qWait(50);
    EXPECT_LE(page.m_frameWait.remainingTime(), 5000 - 150);
    page.OnFrameWaitElapsed();
    EXPECT_EQ(Log().count(QStringLiteral("[Response]")), 3);
}

TEST_F(Link, BytesOfADeadLinkNeverCompleteTheNextLinksFirstReply) {
    Connect();
    const quint16 port = page.m_pListenSocket->serverPort();
    const std::string cut = Frame("G2", "dead00", "0000000000").substr(0, 30);
    const std::string real = Frame("G2", "ab12cd", "2402000000");

    // The gateway drops the link mid-frame and connects back.
    peer.socket->write(cut.data(), qint64(cut.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_frameWait.isActive(); }, 3000));
    peer.socket->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket == nullptr; }, 3000));
    EXPECT_FALSE(page.m_frameWait.isActive());
    auto back = ConnectFrom("127.0.0.1", port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_pDataSocket != nullptr; }, 3000));
    back->write(real.data(), qint64(real.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page.m_strG2Id.empty(); }, 3000));
    EXPECT_EQ(page.m_strG2Id, "AB12CD");
    EXPECT_EQ(page.m_strG2Frequency, "2402000000");

    // Disconnect pressed mid-frame: the same.
    back->write(cut.data(), qint64(cut.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_frameWait.isActive(); }, 3000));
    QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);
    EXPECT_FALSE(page.m_frameWait.isActive());
    EXPECT_FALSE(page.m_assembler.HasPending());
}

TEST_F(Link, AFloodIsHandledInBatchesWithTheEventLoopRunningBetweenAndNothingLost) {
    Connect();
    std::string flood;
    const int replies = 20000;
    for (int i = 0; i < replies; ++i) flood += Frame("G2", std::to_string(100000 + i), "2402000000");
    // The most replies handled between two turns of the event loop.
    int lastCount = 1, mostPerTurn = 0;
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const int count = page.m_editLog->document()->blockCount();
        mostPerTurn = std::max(mostPerTurn, count - lastCount);
        lastCount = count;
    });
    heartbeat.start(0);
    peer.socket->write(flood.data(), qint64(flood.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_strG2Id == std::to_string(100000 + replies - 1); }, 30000));
    EXPECT_EQ(Log().count(QStringLiteral("[Response]")), replies);
    const int batch = RFConfigDlg::kReadsPerTurn * int(devlink::kReadSize) / int(flood.size() / replies);
    EXPECT_LE(mostPerTurn, 3 * batch);
}

TEST_F(Link, AFrequencyFreedByOneRadioIsNoLongerRefusedForTheOther) {
    Connect();
    const auto reply = [&](const std::string& id, const std::string& frequency) {
        const std::string g2 = Frame("G2", id, frequency);
        peer.socket->write(g2.data(), qint64(g2.size()));
        return QTest::qWaitFor([&] { return page.m_strG2Frequency == frequency && page.m_strG2Id == id; }, 3000);
    };
    ASSERT_TRUE(reply("A00001", "2402000000"));
    ASSERT_TRUE(reply("A00001", "2410000000"));  // A moved on
    EXPECT_EQ(page.m_mapFreqOwner.count("2402000000"), 0u);
    EXPECT_EQ(page.m_mapFreqOwner["2410000000"], "A00001");

    page.m_bServiceStopped = true;
    page.m_listGatewayFreq->InsertItem(0, QStringLiteral("B00002"));
    page.m_listGatewayFreq->SetItemText(0, 1, QStringLiteral("2402000000"));
    prompts.shown.clear();
    page.OnBnClickedSetGateway();
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(peer.WaitForBytes(29));
    EXPECT_EQ(peer.received, QByteArray("AT+SET G2 B00002 2402000000\r\n"));
    page.m_listGatewayFreq->SetItemText(0, 1, QStringLiteral("2410000000"));
    page.OnBnClickedSetGateway();  // A's frequency now is still refused
    ASSERT_EQ(prompts.shown.size(), 1u);
}

TEST_F(Link, PressingIdLoadAgainMidChainLetsThePendingSecondQueryFire) {
    Connect();
    page.m_arrGatewayIds = {"FFFFFF", "A00001", "B00002"};
    page.StartQueryTimer();
    ASSERT_TRUE(peer.WaitForBytes(18));
    page.StartQueryTimer();
    ASSERT_TRUE(peer.WaitForBytes(72));
    EXPECT_EQ(peer.received,
              QByteArray("AT+GET G2 A00001\r\nAT+GET G2 B00002\r\nAT+GET G2 A00001\r\nAT+GET G2 B00002\r\n"));
}

TEST_F(Link, TheLogKeepsNoUndoRecordAndItsCaretAtTheEndInView) {
    QPlainTextEdit* log = page.m_editLog;
    EXPECT_EQ(log->lineWrapMode(), QPlainTextEdit::WidgetWidth);
    EXPECT_EQ(log->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(log->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);

    log->setFocus();
    QTest::keyClicks(log, QStringLiteral("note "));  // the technician's own text stays
    for (int i = 0; i < 60; ++i) page.AppendLog("[GET][SEND] AT+GET G2 A00001\r\n", false);
    QCoreApplication::processEvents();
    EXPECT_EQ(log->textCursor().position(), log->document()->characterCount() - 1);
    EXPECT_TRUE(log->viewport()->rect().contains(log->cursorRect()));
    QTest::keyClick(log, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Log().count(QStringLiteral("[GET][SEND]")), 60);
    EXPECT_TRUE(Log().startsWith(QStringLiteral("note [GET]")));
}

TEST_F(Link, AnIdHoldingALineEndNeverBecomesASecondCommand) {
    Connect();
    page.m_arrGatewayIds = {"FFFFFF", "A00001\r\nAT+SET G2 B00002 1", "B00002"};
    page.StartQueryTimer();
    ASSERT_TRUE(peer.WaitForBytes(18));
    EXPECT_EQ(peer.received, QByteArray("AT+GET G2 B00002\r\n"));
    EXPECT_TRUE(Log().contains(QStringLiteral("[GET][SEND] (not sent: an ID or value holds a control character)")))
        << Log().toStdString();
}

TEST_F(Link, OnlyAnAnswerToAGetTheLinkSentGoesIntoTheLiveSite) {
    Connect();
    network::Site ids;
    ids.repeaters[0].ids = {"100000", "100001", "100002", "100003", "100004", "100005"};
    page.m_link.TakeIds(ids);
    const network::Value& frequency = page.m_link.live.repeaters[0].radios[2].frequency;
    const auto deliver = [&](const std::string& payload) {
        const std::string frame = Frame("R9", "100003", payload);
        const int before = Log().count(QStringLiteral("[Response]"));
        peer.socket->write(frame.data(), qint64(frame.size()));
        return QTest::qWaitFor([&] { return Log().count(QStringLiteral("[Response]")) > before; }, 3000);
    };
    // Nobody asked, or a SET's echo: the page shows it, the site does not take it as read.
    ASSERT_TRUE(deliver("915000000 0000 7"));
    page.SendCommand(devlink::CMD_SET, "AT+SET R9 100003 868000000 0000 7\r\n");
    ASSERT_TRUE(deliver("868000000 0000 7"));
    EXPECT_EQ(frequency.origin, network::Origin::Unknown);
    // The answer to a GET is read, once: a repeat of it is not a second answer.
    page.SendCommand(devlink::CMD_GET, "AT+GET R9 100003\r\n");
    ASSERT_TRUE(deliver("2402000000 0000 7"));
    ASSERT_TRUE(deliver("868000000 0000 7"));
    EXPECT_EQ(frequency.origin, network::Origin::Read);
    EXPECT_EQ(frequency.text, "2402000000");
    EXPECT_EQ(frequency.session, page.m_link.live.linkSession);
    // A node is learnt from a node table, never from whatever ID a reply carries.
    page.SendCommand(devlink::CMD_GET, "AT+GET N9 N99999\r\n");
    const std::string n9 = Frame("N9", "N99999", "1 2 3 4 5 6 7 8 9");
    peer.socket->write(n9.data(), qint64(n9.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return page.m_arrN9Values[0] == "1"; }, 3000));
    EXPECT_TRUE(page.m_link.live.nodes.empty());
}
