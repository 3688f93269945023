#include <gtest/gtest.h>

#include "network/SiteState.h"
#include "wire/ReplyFrame.h"

using network::FrequencyClaim;

namespace {

devlink::Reply G2(const std::string& id, const std::string& frequency) {
    return devlink::DecodeReply(devlink::EncodeReply("G2", id, frequency), false);
}

}  // namespace

TEST(SiteState, EachReplyReplacesItsOwnTagsValuesOnly) {
    network::SiteState site;
    EXPECT_TRUE(site.Store(devlink::DecodeReply(devlink::EncodeReply("R2", "000001", "1 2"), false)));
    EXPECT_TRUE(site.Store(G2("a00001", "2402000000")));
    EXPECT_EQ(site.r2Values, (std::vector<std::string>{"", "1", "2", ""}));
    EXPECT_EQ(site.g2Id, "A00001");
    EXPECT_FALSE(site.Store(devlink::DecodeReply(devlink::EncodeReply("g2", "b00002", "2480000000"), false)));
    EXPECT_FALSE(site.Store(devlink::DecodeReply("$OK", false)));
    EXPECT_EQ(site.g2Frequency, "2402000000");
}

TEST(SiteState, AFrequencyBelongsToTheModuleThatReportedItLast) {
    network::SiteState site;
    site.Store(G2("A00001", "2402000000"));
    EXPECT_EQ(site.ClaimFrequency("a00001", "2402000000").kind, FrequencyClaim::OwnAlready);
    const FrequencyClaim taken = site.ClaimFrequency("B00002", "2402000000");
    EXPECT_EQ(taken.kind, FrequencyClaim::TakenBy);
    EXPECT_EQ(taken.owner, "A00001");

    site.Store(G2("B00002", "2402000000"));  // B took it over: A's move must not free it
    site.Store(G2("A00001", "2410000000"));
    EXPECT_EQ(site.frequencyOwner.at("2402000000"), "B00002");
    site.Store(G2("B00002", "2420000000"));
    EXPECT_EQ(site.ClaimFrequency("C00003", "2402000000").kind, FrequencyClaim::Free);
    EXPECT_EQ(site.frequencyOwner.size(), 2u);
}

TEST(SiteState, ModuleCommandsNeverAddressTheBroadcastOrUnsetIds) {
    EXPECT_TRUE(network::Unaddressable("ffffff"));
    EXPECT_TRUE(network::Unaddressable("######"));
    EXPECT_FALSE(network::Unaddressable("FFFFF0"));
    EXPECT_FALSE(network::NodeTableComplete(30));
    EXPECT_TRUE(network::NodeTableComplete(31));
}
