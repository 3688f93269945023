#include <gtest/gtest.h>

#include "network/FrameInfo.h"
#include "network/Site.h"
#include "wire/ReplyFrame.h"

using network::Origin;

namespace {

devlink::Reply Reply(const std::string& tag, const std::string& id, const std::string& payload) {
    return devlink::DecodeReply(devlink::EncodeReply(tag, id, payload), false);
}

network::Site SiteWithIds() {
    network::Site site;
    site.gateway.ids = {"FFFFFF", "A00001", "B00002"};
    site.repeaters[1].ids = {"200000", "200001", "200002", "200003", "200004", "200005"};
    return site;
}

}  // namespace

TEST(Site, RepliesLandInTheValueTheyAnswerByTagAndId) {
    network::Site site = SiteWithIds();
    std::string keys = "AUT";
    for (int k = 0; k < 20; ++k) keys += " K" + std::to_string(100 + k);
    EXPECT_TRUE(network::ApplyReply(site, Reply("GM", "FFFFFF", keys), 1));
    EXPECT_TRUE(network::ApplyReply(site, Reply("G2", "b00002", "2480000000"), 2));
    EXPECT_TRUE(network::ApplyReply(site, Reply("R9", "200003", "915000000 0a0b 9"), 3));
    EXPECT_TRUE(network::ApplyReply(site, Reply("RM", "200000", "S1 N1 N2"), 4));
    EXPECT_TRUE(network::ApplyReply(site, Reply("N9", "n00001", "2402000000 0001 000000 7 120 0 0"), 5));
    // A module the site does not know, and an SX1280's ID in an R9 reply, change nothing.
    EXPECT_FALSE(network::ApplyReply(site, Reply("G2", "C00003", "2400000000"), 6));
    EXPECT_FALSE(network::ApplyReply(site, Reply("R9", "200001", "1 2 3"), 6));

    EXPECT_EQ(site.gateway.netKeys[20].text, "K119");
    EXPECT_EQ(site.gateway.radioFrequency[1].text, "2480000000");
    EXPECT_EQ(site.gateway.radioFrequency[1].when, 2);
    EXPECT_EQ(site.gateway.radioFrequency[0].origin, Origin::Unknown);
    EXPECT_EQ(site.repeaters[1].radios[2].netKey.text, "0A0B");
    EXPECT_EQ(site.repeaters[1].nodeTable[2].text, "N2");
    EXPECT_EQ(site.repeaters[1].nodeTable[30].origin, Origin::Read);  // a shorter table clears the rest
    EXPECT_EQ(site.nodes.at("N00001").attributes[4].text, "120");
}

TEST(Site, ValuesAreWalkedByPathAndComparedKnownAgainstKnown) {
    network::Site plan = SiteWithIds();
    int count = 0;
    std::string some;
    network::ForEachValue(plan, [&](const std::string& path, const network::Value&) {
        if (++count == 22 || count == 24) some += path + "|";
    });
    EXPECT_EQ(count, 21 + 2 + 6 * (15 + 31));
    EXPECT_EQ(some, "gateway / SX1280 A / frequency|repeater 1 / SX1280 A / frequency|");

    network::Site live = plan;
    plan.repeaters[2].radios[4].frequency = {"868100000", Origin::Planned, 0};
    live.repeaters[2].radios[4].frequency = {"868300000", Origin::Read, 7};
    live.gateway.radioFrequency[0] = {"2402000000", Origin::Read, 7};  // known on one side only
    plan.nodes["N1"].attributes[0] = {"1", Origin::NoAnswer, 0};       // asked, never answered: not known
    const auto differences = network::Compare(plan, live);
    ASSERT_EQ(differences.size(), 2u);
    EXPECT_EQ(differences[0].path, "gateway / SX1280 A / frequency");
    EXPECT_EQ(differences[1].path, "repeater 3 / SX1276 3 / frequency");
    EXPECT_EQ(differences[1].left.text, "868100000");
    EXPECT_EQ(differences[1].right.text, "868300000");
    EXPECT_TRUE(network::Compare(live, live).empty());
}

TEST(FrameInfo, RepliesAndCommandsAreNamedAndTheirOdditiesSaid) {
    std::string frame = devlink::EncodeReply("r9", "200003", "915000000 0A0B 9 extra");
    network::FrameInfo info = network::DescribeReply(frame, true);
    EXPECT_EQ(info.tag, "r9");
    EXPECT_EQ(info.warnings,
              (std::vector<std::string>{"lower-case tag \"r9\"", "given up after 300 ms: its rest never came"}));
    // The parts: header around the length byte, tag, ID, payload.
    ASSERT_EQ(info.spans.size(), 6u);
    EXPECT_EQ(info.spans[1].offset, 12u);
    EXPECT_EQ(info.spans[3].kind, network::ByteSpan::Tag);
    EXPECT_EQ(info.spans[5].offset + info.spans[5].length, frame.size());

    frame = devlink::EncodeReply("R9", "200003", "915000000 0A0B 9 extra");
    frame.resize(frame.size() - 3);  // the length byte now says more than came
    info = network::DescribeReply(frame, false);
    EXPECT_EQ(info.values[0], (std::pair<std::string, std::string>{"frequency", "915000000"}));
    EXPECT_EQ(info.warnings.size(), 2u);  // beyond the data, and one token too many
    EXPECT_NE(info.warnings[0].find("is beyond the"), std::string::npos);

    info = network::DescribeCommand("AT+SET N9 N00001 2402000000 0001 000000 7 60 0 0\r\n");
    EXPECT_TRUE(info.outgoing);
    EXPECT_EQ(info.id, "N00001");
    EXPECT_EQ(info.values[4], (std::pair<std::string, std::string>{"TX period", "60"}));
    EXPECT_EQ(network::DescribeCommand("$end").values[0].second, "$end");
}
