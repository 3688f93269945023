#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <optional>
#include <vector>

#include "GatewayServer.h"
#include "link/CommandText.h"
#include "link/GatewayClient.h"
#include "link/SiteReader.h"
#include "support/LinkPeer.h"

using devlink::ForModule;
using devlink::Outcome;
namespace command = devlink::command;

namespace {

class Client : public testing::Test {
protected:
    // Opens the client's channel to a peer on 127.0.0.1:port.
    void Open(quint16 port) {
        QString error;
        ASSERT_TRUE(channel.Open(QStringLiteral("127.0.0.1"), port, 3000, &error)) << error.toStdString();
    }
    // Submits a request; its outcome lands in the returned slot.
    std::optional<Outcome>* Ask(devlink::Request request) {
        outcomes.emplace_back();
        auto* slot = &outcomes.back();
        client.Submit(std::move(request), [slot](const Outcome& o) { *slot = o; });
        return slot;
    }

    devlink::SocketChannel channel;
    devlink::GatewayClient client{channel};
    std::deque<std::optional<Outcome>> outcomes;
};

}  // namespace

TEST_F(Client, CommandsGoOutOneAtATimeAndEachIsAnsweredByItsOwnReply) {
    gatewaysim::Options o;
    o.port = 0;
    o.verbose = false;
    o.joinReplies = true;  // replies arrive two to a write
    gatewaysim::GatewayServer sim(o);
    ASSERT_TRUE(sim.Start());
    Open(sim.Port());
    auto* netKeys = Ask(ForModule(command::Get("GM", "FFFFFF"), "GM", "FFFFFF"));
    auto* radio = Ask(ForModule(command::Set("G2", "A00001", {"2410000000"}), "G2", "A00001"));
    auto* back = Ask(ForModule(command::Get("G2", "A00001"), "G2", "A00001"));
    EXPECT_EQ(client.Pending(), 3u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return back->has_value(); }, 5000));
    ASSERT_TRUE(netKeys->has_value() && (*netKeys)->ok);
    EXPECT_EQ((*netKeys)->reply.netKeys.size(), 21u);
    EXPECT_TRUE((*radio)->ok);
    EXPECT_EQ((*back)->reply.g2Frequency, "2410000000");
    // One at a time: each line went out only after the one before was answered.
    EXPECT_EQ(sim.Received(), "AT+GET GM FFFFFF\r\nAT+SET G2 A00001 2410000000\r\nAT+GET G2 A00001\r\n");
}

TEST_F(Client, OtherRepliesAreNeverTakenForTheAnswerAndSilenceTimesOut) {
    Peer peer;
    Open(peer.server.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.socket != nullptr; }, 3000));
    client.SetTimeout(200);
    QSignalSpy unmatched(&client, &devlink::GatewayClient::Unmatched);
    auto* asked = Ask(ForModule(command::Get("G2", "A00001"), "G2", "A00001"));
    ASSERT_TRUE(peer.WaitForBytes(18));
    // Another radio's G2, an R2 and a "$" message answer nothing outstanding.
    const std::string noise = Frame("G2", "B00002", "2480000000") + Frame("R2", "A00001", "1 2 3");
    peer.socket->write(noise.data(), qint64(noise.size()));
    peer.socket->flush();
    QTest::qWait(30);
    peer.socket->write("$OK", 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked->has_value(); }, 3000));
    EXPECT_FALSE((*asked)->ok);
    EXPECT_EQ((*asked)->error, QStringLiteral("no answer within 200 ms"));
    EXPECT_EQ(unmatched.count(), 3);
}

TEST_F(Client, ADroppedLinkFailsTheOutstandingCommandAndEverythingQueued) {
    Peer peer;
    Open(peer.server.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.socket != nullptr; }, 3000));
    auto* first = Ask(ForModule(command::Get("N9", "N00001"), "N9", "N00001"));
    auto* second = Ask(ForModule(command::Get("N9", "N00002"), "N9", "N00002"));
    ASSERT_TRUE(peer.WaitForBytes(18));
    peer.socket->disconnectFromHost();
    ASSERT_TRUE(QTest::qWaitFor([&] { return second->has_value(); }, 3000));
    for (auto* outcome : {first, second}) {
        EXPECT_FALSE((*outcome)->ok);
        EXPECT_TRUE((*outcome)->error.startsWith(QStringLiteral("link closed")));
    }
    EXPECT_EQ(peer.received, QByteArray("AT+GET N9 N00001\r\n"));  // the second never went out
    auto* late = Ask(ForModule(command::Get("N9", "N00003"), "N9", "N00003"));
    ASSERT_TRUE(late->has_value());
    EXPECT_EQ((*late)->error, QStringLiteral("no link to the gateway"));

    QString error;
    EXPECT_FALSE(channel.Open(QStringLiteral("127.0.0.1"), FreePort(), 3000, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST_F(Client, ReadAllFillsTheSiteFromTheIdsThenTheNodesTheTablesName) {
    gatewaysim::Options o;
    o.port = 0;
    o.verbose = false;
    gatewaysim::GatewayServer sim(o);
    ASSERT_TRUE(sim.Start());
    sim.State().nodeTables["200000"] = {"SNT001", "N00001", "N00002"};
    sim.State().repeaterRadios["200004"] = {"868100000", "0A0B", "7"};
    Open(sim.Port());

    network::Site site;
    site.gateway.ids = {"FFFFFF", "A00001", "B00002"};
    site.repeaters[1].ids = {"200000", "200001", "200002", "200003", "200004", "######"};
    devlink::SiteReader reader(client, site, [] { return std::int64_t{42}; });
    QSignalSpy progress(&reader, &devlink::SiteReader::Progress);
    reader.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.Running(); }, 5000));
    // GM, two radios, RM and four radio modules ("######" is never asked), then nodes 1 and 2 (not the SNT).
    EXPECT_EQ(reader.Answered(), 1 + 2 + 1 + 4 + 2);
    EXPECT_EQ(reader.Unanswered(), 0);
    EXPECT_EQ(progress.count(), reader.Answered());
    EXPECT_EQ(site.repeaters[1].radios[3].frequency.text, "868100000");
    EXPECT_EQ(site.repeaters[1].radios[3].frequency.when, 42);
    EXPECT_EQ(site.repeaters[1].nodeTable[2].text, "N00002");
    EXPECT_EQ(site.nodes.count("N00002"), 1u);
    EXPECT_EQ(site.repeaters[1].radios[4].frequency.origin, network::Origin::Unknown);
}

TEST_F(Client, ReadAllMarksWhatGetsNoAnswerAndGoesOn) {
    Peer silent;
    Open(silent.server.serverPort());
    client.SetTimeout(30);
    network::Site site;
    site.gateway.ids = {"FFFFFF", "A00001", "B00002"};
    devlink::SiteReader reader(client, site, [] { return std::int64_t{1}; });
    reader.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.Running(); }, 5000));
    EXPECT_EQ(reader.Unanswered(), 3);
    EXPECT_EQ(site.gateway.netKeys[0].origin, network::Origin::NoAnswer);
    EXPECT_EQ(site.gateway.radioFrequency[1].origin, network::Origin::NoAnswer);
    EXPECT_EQ(silent.received, QByteArray("AT+GET GM FFFFFF\r\nAT+GET G2 A00001\r\nAT+GET G2 B00002\r\n"));
}
