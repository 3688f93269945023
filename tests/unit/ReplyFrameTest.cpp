#include <gtest/gtest.h>

#include "network/SiteState.h"
#include "support/HandFrames.h"
#include "textcodec/CodePage.h"
#include "wire/CommandText.h"
#include "wire/FrameAssembler.h"
#include "wire/ReplyFrame.h"

using devlink::DecodeReply;

namespace {

// A frame as the gateway sends it; length, when given, overrides byte 12.
std::string Frame(const std::string& tag, const std::string& id, const std::string& payload, int length = -1) {
    std::string f = devlink::EncodeReply(tag, id, payload);
    if (length >= 0) f[12] = static_cast<char>(length);
    return f;
}

}  // namespace

TEST(ReplyFrame, DumpIsHexUntilTheServiceStopsThenTheTailIsText) {
    std::string read(40, '\0');
    read[12] = 40;
    read[20] = 'G';
    read[21] = '2';
    read[0] = 0x24;
    const auto hex = DecodeReply(read, false);
    EXPECT_EQ(hex.logEntry.substr(0, 16), "[Response] 0x24 ");
    EXPECT_EQ(hex.logEntry.size(), 11 + 40 * 5 + 2u);
    EXPECT_EQ(hex.logEntry.substr(hex.logEntry.size() - 2), "\r\n");
    const auto mixed = DecodeReply(read, true);
    EXPECT_EQ(mixed.logEntry.size(), 11 + 20 * 5 + 20 + 2u);
    EXPECT_EQ(mixed.logEntry.substr(11 + 100, 4), "G2..");  // zero bytes show as dots
}

TEST(ReplyFrame, ShortReadsAreTextMessagesOrNothing) {
    const auto message = DecodeReply("$OK", false);
    EXPECT_TRUE(message.textMessage);
    EXPECT_EQ(message.logEntry, "[Response] $OK\r\n");
    EXPECT_EQ(message.tagIndex, -1);
    EXPECT_EQ(DecodeReply(std::string("$A\0B", 4), false).logEntry, "[Response] $A.B\r\n");
    EXPECT_EQ(DecodeReply("hello", false).logEntry, "[Response] \r\n");
    EXPECT_EQ(DecodeReply("", false).logEntry, "[Response] \r\n");
}

TEST(ReplyFrame, G2TakesFixedOffsetsAndUpperCasesTheIdOnly) {
    const auto r = DecodeReply(Frame("G2", "ab12cd", "2402.00abc"), false);
    EXPECT_EQ(r.tagIndex, 1);
    EXPECT_EQ(network::ShowReplyCase(r), 2);
    EXPECT_EQ(r.g2Id, "AB12CD");
    EXPECT_EQ(r.g2Frequency, "2402.00abc");
    // Whatever L says.
    const auto shortL = DecodeReply(Frame("G2", "ab12cd", "2402000000", 25), false);
    EXPECT_EQ(shortL.g2Frequency, "2402000000");
}

TEST(ReplyFrame, NetKeysAreShownOnlyWhenThereAreExactlyTwentyOne) {
    std::string payload = "aut";
    for (int k = 0; k < 20; ++k) payload += " k" + std::to_string(10 + k) + "f";
    for (int length : {132, 136}) {
        const auto r = DecodeReply(Frame("GM", "FFFFFF", payload, length), false);
        ASSERT_EQ(r.netKeys.size(), 21u) << length;
        EXPECT_EQ(r.netKeys[0], "aut");
        EXPECT_EQ(r.netKeys[1], "K10F");
        EXPECT_EQ(network::ShowReplyCase(r), 1);
    }
    const auto tooLong = DecodeReply(Frame("GM", "FFFFFF", payload + " k99f", 137), false);
    EXPECT_EQ(tooLong.netKeys.size(), 22u);
    EXPECT_EQ(tooLong.tagIndex, 0);
    EXPECT_EQ(network::ShowReplyCase(tooLong), 0);
}

TEST(ReplyFrame, TokensFollowTheSpaceRuleAndFillTheFixedArrays) {
    const auto r2 = DecodeReply(Frame("R2", "000001", "2402 ab"), false);
    EXPECT_EQ(network::ShowReplyCase(r2), 3);
    EXPECT_EQ(r2.values, (std::vector<std::string>{"", "2402", "AB", ""}));
    const auto r9 = DecodeReply(Frame("R9", "000001", "1 2 3 4 5"), false);
    EXPECT_EQ(r9.values, (std::vector<std::string>{"", "1", "2", "3"}));
    EXPECT_EQ(r9.extraTokens, 2);
    const auto n9 = DecodeReply(Frame("N9", "000001", "a b c d e f g"), false);
    EXPECT_EQ(network::ShowReplyCase(n9), 6);
    EXPECT_EQ(n9.values, (std::vector<std::string>{"A", "B", "C", "D", "E", "F", "G", "", ""}));
    const auto rm = DecodeReply(Frame("RM", "000001", "n1  n3 "), false);
    EXPECT_EQ(rm.values, (std::vector<std::string>{"N1", "", "N3"}));  // a trailing space adds nothing
    EXPECT_TRUE(devlink::PayloadTokens(Frame("RM", "000001", "x", 30), 30).empty());
}

TEST(ReplyFrame, UnknownAndLowerCaseTagsChangeNothing) {
    EXPECT_EQ(DecodeReply(Frame("g2", "ab12cd", "2402000000"), false).tagIndex, -1);
    EXPECT_EQ(network::ShowReplyCase(DecodeReply(Frame("XX", "ab12cd", "2402000000"), false)), 0);
}

TEST(ReplyFrame, LengthBeyondTheReadReadsZeros) {
    std::string f = Frame("R2", "000001", "12");
    f[12] = static_cast<char>(60);
    const auto r = DecodeReply(f, false);
    EXPECT_EQ(r.logEntry.size(), 11 + 60 * 5 + 2u);
    EXPECT_EQ(r.values[1], "12");  // the zeros end the token's text
}

TEST(ReplyFrame, FramesWrittenOutByHandDecodeByTheLayoutAndTheEncoderWritesTheSameBytes) {
    std::string stream;
    std::vector<HandFrame> whole;
    for (const HandFrame& f : HandFrames()) {
        const auto r = DecodeReply(f.bytes, false);
        EXPECT_EQ(r.tagIndex, f.tagIndex) << f.name;
        EXPECT_EQ(r.moduleId, f.moduleId) << f.name;
        EXPECT_EQ(HandValues(r), f.values) << f.name;
        EXPECT_EQ(r.extraTokens, f.extraTokens) << f.name;
        // The dump shows every byte up to the length, five characters each.
        EXPECT_EQ(r.logEntry.size(), 11 + 5 * static_cast<unsigned char>(f.bytes[12]) + 2u) << f.name;
        if (!f.Whole()) continue;
        EXPECT_EQ(devlink::EncodeReply(f.bytes.substr(20, 2), f.bytes.substr(23, 6), f.bytes.substr(30),
                                       f.bytes.substr(0, 20)),
                  f.bytes)
            << f.name;
        stream += f.bytes;
        whole.push_back(f);
    }
    // Back to back in one read, each is cut at its own length.
    devlink::FrameAssembler a;
    const auto frames = a.Feed(stream);
    ASSERT_EQ(frames.size(), whole.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i].substr(0, whole[i].bytes.size()), whole[i].bytes) << whole[i].name;
        EXPECT_EQ(HandValues(DecodeReply(frames[i], false)), whole[i].values) << whole[i].name;
    }
    EXPECT_FALSE(a.HasPending());
}

TEST(FrameAssembler, SplitsReadsWithSeveralFramesAndJoinsSplitFrames) {
    devlink::FrameAssembler a;
    const std::string one = Frame("R2", "000001", "1 2 3");
    const std::string two = Frame("G2", "00000a", "2402000000");
    auto frames = a.Feed(one + two);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(DecodeReply(frames[0], false).values[3], "3");
    EXPECT_EQ(DecodeReply(frames[1], false).g2Id, "00000A");
    EXPECT_FALSE(a.HasPending());

    frames = a.Feed(two.substr(0, 25));
    EXPECT_TRUE(frames.empty());
    frames = a.Feed(two.substr(25));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(DecodeReply(frames[0], false).g2Frequency, "2402000000");

    frames = a.Feed(one.substr(0, 30));
    EXPECT_TRUE(frames.empty());
    const std::string rest = a.Flush();  // given up after the wait
    EXPECT_EQ(rest, one.substr(0, 30));
    EXPECT_FALSE(a.HasPending());
}

TEST(FrameAssembler, ShortMessagesAndUndescribedReadsPassUnchanged) {
    devlink::FrameAssembler a;
    EXPECT_EQ(a.Feed("$OK"), (std::vector<std::string>{"$OK"}));
    std::string odd(30, 'x');
    odd[12] = 5;  // a length that describes no frame
    EXPECT_EQ(a.Feed(odd), (std::vector<std::string>{odd}));
    EXPECT_FALSE(a.HasPending());
}

TEST(FrameAssembler, AHeaderCutAnywhereWaitsForItsRestAndTheWaitCountsFromTheFirstByte) {
    devlink::FrameAssembler a;
    const std::string g2 = Frame("G2", "ab12cd", "2402000000");
    for (const std::size_t cut : {1u, 10u, 12u, 20u, 21u}) {
        EXPECT_TRUE(a.Feed(g2.substr(0, cut)).empty()) << cut;
        EXPECT_TRUE(a.PendingStartedAnew());
        const auto frames = a.Feed(g2.substr(cut));
        ASSERT_EQ(frames.size(), 1u) << cut;
        EXPECT_EQ(DecodeReply(frames[0], false).g2Frequency, "2402000000");
    }
    // A trickle continues the waiting frame; a frame completed ahead of the rest starts a new wait.
    a.Feed(g2.substr(0, 5));
    a.Feed(g2.substr(5, 5));
    EXPECT_FALSE(a.PendingStartedAnew());
    a.Feed(g2.substr(10) + g2.substr(0, 3));
    EXPECT_TRUE(a.PendingStartedAnew());
    // A short rest given up reads as the short read it is.
    EXPECT_EQ(DecodeReply(a.Flush(), false).logEntry, "[Response] \r\n");
    a.Feed(g2.substr(0, 30));
    a.Discard();
    EXPECT_FALSE(a.HasPending());
    EXPECT_EQ(a.Feed(g2).size(), 1u);
}

TEST(ReplyFrame, UpperCasingStepsOverDoubleByteCharactersWhole) {
    {
        textcodec::ScopedSystemCodePage korean(949);
        // 0x81 0x61 and 0x81 0x41 are two different Hangul syllables.
        EXPECT_EQ(devlink::UpperNarrow("\x81\x61"
                                       "ab"),
                  "\x81\x61"
                  "AB");
        EXPECT_FALSE(network::SameId("\x81\x61", "\x81\x41"));
        EXPECT_TRUE(network::SameId("ab\x81\x61", "AB\x81\x61"));
        const auto g2 = DecodeReply(Frame("G2",
                                          "a\x81\x61"
                                          "b1c",
                                          "2402000000"),
                                    false);
        EXPECT_EQ(g2.g2Id,
                  "A\x81\x61"
                  "B1C");
        const auto n9 = DecodeReply(Frame("N9", "000009", "x\x81\x61 k"), false);
        EXPECT_EQ(n9.values[0], "X\x81\x61");
        EXPECT_EQ(devlink::UpperNarrow("a\x81"), "A\x81");  // a lead byte cut off at the end
    }
    textcodec::ScopedSystemCodePage japanese(932);
    EXPECT_EQ(devlink::UpperNarrow("\x83\x61"
                                   "z"),
              "\x83\x61"
              "Z");
    EXPECT_EQ(devlink::UpperNarrow("\xb1"
                                   "a"),
              "\xb1"
              "A");  // a single-byte katakana
}

TEST(CommandLines, EveryLineIsBuiltInOnePlace) {
    namespace command = devlink::command;
    EXPECT_EQ(command::Get("G2", "A00001"), "AT+GET G2 A00001\r\n");
    EXPECT_EQ(command::Set("R9", "100003", {"915000000", "", "9"}), "AT+SET R9 100003 915000000  9\r\n");
    EXPECT_EQ(command::SetNetKeys(std::vector<std::string>(21)), "AT+SET GM FFFFFF" + std::string(21, ' ') + "\r\n");
    EXPECT_EQ(command::RepeaterFamily(0), "RM");
    EXPECT_EQ(command::RepeaterFamily(2), "R2");
    EXPECT_EQ(command::RepeaterFamily(3), "R9");
    // No caller's text makes a second command: a control byte anywhere refuses the line.
    EXPECT_EQ(command::Get("G2", "A00001\r\nAT+SET G2 A00001 1"), "");
    EXPECT_EQ(command::Set("R9", "100003", {"915000000", "00\t00", "9"}), "");
    EXPECT_EQ(command::Set("N9", "N0\n01", {}), "");
    EXPECT_EQ(command::SetNetKeys({std::string("A\0B", 3)}), "");
    // The RF page's own texts still go out as they are: blanks, empty cells, code-page bytes.
    EXPECT_EQ(command::Set("G2", "\xB0\xA1", {"1 2"}), "AT+SET G2 \xB0\xA1 1 2\r\n");
}
