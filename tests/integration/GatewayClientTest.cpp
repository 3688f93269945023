#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <optional>
#include <vector>

#include "GatewayServer.h"
#include "link/GatewayClient.h"
#include "link/SiteReader.h"
#include "link/SiteWriter.h"
#include "network/WritePlan.h"
#include "support/LinkPeer.h"
#include "wire/CommandText.h"

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

    // Asking again only what gave no answer: one module here.
    site.repeaters[1].radios[3].busySf.origin = network::Origin::NoAnswer;
    const std::size_t before = sim.Received().size();
    reader.Start(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.Running(); }, 5000));
    EXPECT_EQ(sim.Received().substr(before), "AT+GET R9 200004\r\n");
    EXPECT_EQ(site.repeaters[1].radios[3].busySf.origin, network::Origin::Read);
}

TEST_F(Client, ReadAllAsksAgainOnceThenMarksWhatGetsNoAnswerKeepingWhatWasKnown) {
    Peer silent;
    Open(silent.server.serverPort());
    client.SetTimeout(30);
    network::Site site;
    site.gateway.ids = {"FFFFFF", "A00001", "B00002"};
    site.gateway.radioFrequency[1] = {"2480000000", network::Origin::Read, 5, 1};
    devlink::SiteReader reader(client, site, [] { return std::int64_t{1}; });
    reader.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.Running(); }, 5000));
    EXPECT_EQ(reader.Unanswered(), 3);
    EXPECT_EQ(reader.Retried(), 3);
    EXPECT_EQ(site.gateway.netKeys[0].origin, network::Origin::NoAnswer);
    EXPECT_EQ(site.gateway.radioFrequency[1].origin, network::Origin::NoAnswer);
    EXPECT_EQ(site.gateway.radioFrequency[1].text, "2480000000");  // the last known value, marked
    EXPECT_EQ(silent.received, QByteArray("AT+GET GM FFFFFF\r\nAT+GET GM FFFFFF\r\nAT+GET G2 A00001\r\n"
                                          "AT+GET G2 A00001\r\nAT+GET G2 B00002\r\nAT+GET G2 B00002\r\n"));
}

TEST_F(Client, ADropStopsReadAllAtOnceSayingWhereAndTheRestKeepsWhatItHad) {
    gatewaysim::Options o;
    o.port = 0;
    o.verbose = false;
    o.closeAfter = 3;  // GM and both radios, then the link goes
    o.silentIds = {"B00002"};
    gatewaysim::GatewayServer sim(o);
    ASSERT_TRUE(sim.Start());
    Open(sim.Port());
    client.SetTimeout(300);
    network::Site site;
    site.gateway.ids = {"FFFFFF", "A00001", "B00002"};
    site.repeaters[0].ids = {"R00001", "R10001", "R10002", "R10091", "R10092", "R10093"};
    site.repeaters[0].radios[4].frequency = {"868000000", network::Origin::Read, 5, 1};
    devlink::SiteReader reader(client, site, [] { return std::int64_t{9}; });
    reader.Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reader.Running(); }, 5000));
    EXPECT_TRUE(reader.LinkLost());
    EXPECT_EQ(reader.LostAt(), "gateway / SX1280 B");
    EXPECT_EQ(reader.NotRead(), 1 + 6);  // B00002 and the repeater's six modules
    EXPECT_EQ(site.gateway.radioFrequency[0].origin, network::Origin::Read);
    EXPECT_EQ(site.repeaters[0].radios[4].frequency.origin, network::Origin::Read);
    EXPECT_EQ(site.repeaters[0].radios[4].frequency.text, "868000000");
}

namespace {

// One write of R10092's three values against a gateway that behaves as
// options say; how it ended.
devlink::WriteReport WriteOnce(gatewaysim::Options o, int timeoutMs = 500) {
    o.port = 0;
    o.verbose = false;
    gatewaysim::GatewayServer sim(o);
    if (!sim.Start()) return {};
    devlink::SocketChannel channel;
    QString error;
    if (!channel.Open(QStringLiteral("127.0.0.1"), sim.Port(), 3000, &error)) return {};
    devlink::GatewayClient client(channel);
    client.SetTimeout(timeoutMs);
    network::Site live;
    live.repeaters[0].ids = {"R00001", "R10001", "R10002", "R10091", "R10092", "R10093"};
    live.repeaters[0].radios[3] = {
        {"2402000000", network::Origin::Read, 1}, {"0000", network::Origin::Read, 1}, {"7", network::Origin::Read, 1}};
    network::Site plan;
    plan.repeaters[0].radios[3].frequency = {"868000000", network::Origin::Planned, 0};
    devlink::SiteWriter writer(client, live, [] { return std::int64_t{7}; });
    writer.Start(network::PlanWrites(plan, live), false);
    if (!QTest::qWaitFor([&] { return !writer.Running(); }, 10000)) return {};
    return writer.Reports().at(0);
}

}  // namespace

TEST(ConfirmedWrites, OnlyAnAnswerThatCanOnlyBeTheReadBackConfirmsAWrite) {
    using R = devlink::WriteResult;
    const auto with = [](auto set) {
        gatewaysim::Options o;
        set(o);
        return o;
    };
    const struct {
        const char* gateway;
        gatewaysim::Options options;
        int timeoutMs;
        R result;
    } cases[] = {
        {"plain", {}, 500, R::Confirmed},
        {"split", with([](auto& o) { o.splitReplies = true; }), 500, R::Confirmed},
        {"join", with([](auto& o) { o.joinReplies = true; }), 500, R::Confirmed},
        {"duplicate", with([](auto& o) { o.duplicateReplies = true; }), 500, R::Confirmed},
        {"dollar", with([](auto& o) { o.dollarMessages = true; }), 500, R::Confirmed},
        // The SET's echo comes twice: the second must not answer the read-back.
        {"duplicate, ignore-sets", with([](auto& o) { o.duplicateReplies = o.ignoreSets = true; }), 500,
         R::DiffersAfterWrite},
        {"ignore-sets", with([](auto& o) { o.ignoreSets = true; }), 500, R::DiffersAfterWrite},
        // The SET's echo comes after its timeout: it must not answer the read-back.
        {"late, ignore-sets", with([](auto& o) { o.lateMs = 300, o.ignoreSets = true; }), 200, R::NoAnswer},
        {"drop-every 2", with([](auto& o) { o.dropEvery = 2; }), 200, R::NoAnswer},
        {"silent R10092", with([](auto& o) { o.silentIds = {"R10092"}; }), 200, R::NoAnswer},
    };
    for (const auto& c : cases) {
        const devlink::WriteReport report = WriteOnce(c.options, c.timeoutMs);
        EXPECT_EQ(devlink::WriteResultName(report.result), std::string(devlink::WriteResultName(c.result)))
            << c.gateway << ": " << report.detail;
        EXPECT_EQ(report.item.setLine, "AT+SET R9 R10092 868000000 0000 7\r\n") << c.gateway;
    }
}

TEST_F(Client, RepliesNobodyAskedForAreNeverAnswersAndTwoDifferentAnswersConfirmNothing) {
    gatewaysim::Options o;
    o.port = 0;
    o.verbose = false;
    o.unsolicited = true;      // "R9 R10092 9990000000 FFFF 9" right after the connection
    o.floodOnConnect = 20000;  // and 20,000 replies for as many IDs: what the client remembers stays bounded
    gatewaysim::GatewayServer sim(o);
    ASSERT_TRUE(sim.Start());
    QSignalSpy unmatched(&client, &devlink::GatewayClient::Unmatched);
    Open(sim.Port());
    auto* asked = Ask(ForModule(command::Get("R9", "R10092"), "R9", "R10092"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked->has_value(); }, 3000));
    ASSERT_TRUE((*asked)->ok) << (*asked)->error.toStdString();
    EXPECT_EQ((*asked)->reply.values.at(1), "2402000000");
    ASSERT_TRUE(QTest::qWaitFor([&] { return unmatched.count() == 2 + 20000; }, 20000));
    EXPECT_LE(client.TrackedModules(), devlink::GatewayClient::kModulesKept + 1);

    // A read-back answered twice, with other words the second time: neither can be trusted.
    Peer peer;
    devlink::SocketChannel other;
    QString error;
    ASSERT_TRUE(other.Open(QStringLiteral("127.0.0.1"), peer.server.serverPort(), 3000, &error));
    devlink::GatewayClient second(other);
    std::optional<Outcome> outcome;
    second.Submit(devlink::ReadBackOf(command::Get("G2", "A00001"), "G2", "A00001"),
                  [&](const Outcome& got) { outcome = got; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer.received.size() >= 18; }, 3000));
    const std::string answers = Frame("G2", "A00001", "2410000000") + Frame("G2", "A00001", "2402000000");
    peer.socket->write(answers.data(), qint64(answers.size()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcome.has_value(); }, 3000));
    EXPECT_FALSE(outcome->ok);
    EXPECT_TRUE(outcome->ambiguous);
}
