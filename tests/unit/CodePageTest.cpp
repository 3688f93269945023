#include <gtest/gtest.h>

#include "support/Files.h"

#include <fstream>
#include <iterator>

#include "textcodec/CodePage.h"
#include "textcodec/qt/NarrowText.h"

using namespace textcodec;

namespace {

std::u16string Utf8ToUtf16(const std::string& utf8) {
    std::u16string out;
    EXPECT_TRUE(ToUtf16(kCpUtf8, utf8, out));
    return out;
}

const std::string kCjk = VESKORA_TESTDATA "/encodings/python-cjkencodings/";

}  // namespace

TEST(SystemCodePage, IsKoreanUntilSetAndScopedChangesAreUndone) {
    EXPECT_EQ(SystemCodePage(), 949);
    {
        ScopedSystemCodePage western(1252);
        EXPECT_EQ(SystemCodePage(), 1252);
        {
            ScopedSystemCodePage utf8(65001);
            EXPECT_EQ(SystemCodePage(), 65001);
        }
        EXPECT_EQ(SystemCodePage(), 1252);
    }
    EXPECT_EQ(SystemCodePage(), 949);
}

TEST(LeadBytes, FollowEachDoubleByteCodePageAndUtf8) {
    EXPECT_EQ(LeadByteLength(949, 0x80), 1);
    EXPECT_EQ(LeadByteLength(949, 0x81), 2);
    EXPECT_EQ(LeadByteLength(949, 0xFE), 2);
    EXPECT_EQ(LeadByteLength(949, 0xFF), 1);
    EXPECT_EQ(LeadByteLength(949, 'A'), 1);
    EXPECT_EQ(LeadByteLength(932, 0x9F), 2);
    EXPECT_EQ(LeadByteLength(932, 0xA0), 1);  // half-width katakana
    EXPECT_EQ(LeadByteLength(932, 0xDF), 1);
    EXPECT_EQ(LeadByteLength(932, 0xE0), 2);
    EXPECT_EQ(LeadByteLength(932, 0xFD), 1);
    EXPECT_EQ(LeadByteLength(936, 0x81), 2);
    EXPECT_EQ(LeadByteLength(950, 0xA4), 2);
    EXPECT_EQ(LeadByteLength(1361, 0x84), 2);
    EXPECT_EQ(LeadByteLength(1361, 0xD4), 1);
    EXPECT_EQ(LeadByteLength(1361, 0xD8), 2);
    EXPECT_EQ(LeadByteLength(1361, 0xDF), 1);
    EXPECT_EQ(LeadByteLength(65001, 0x7F), 1);
    EXPECT_EQ(LeadByteLength(65001, 0xC3), 2);
    EXPECT_EQ(LeadByteLength(65001, 0xED), 3);
    EXPECT_EQ(LeadByteLength(65001, 0xF0), 4);
    EXPECT_EQ(LeadByteLength(65001, 0x80), 1);  // a stray continuation byte
    EXPECT_EQ(LeadByteLength(1252, 0xE9), 1);
}

TEST(LeadBytes, CharacterLengthNeverStepsOverTheEndOrANul) {
    const std::uint8_t* t = LeadByteLengths(949);
    const char text[] =
        "\xB0\xA1"
        "a\xB0";  // 가, a, and a lead byte cut off at the end
    const char* end = text + 4;
    EXPECT_EQ(CharLength(t, text, end), 2);
    EXPECT_EQ(CharLength(t, text + 2, end), 1);
    EXPECT_EQ(CharLength(t, text + 3, end), 1);
    const char nul[] = "\xB0\0x";
    EXPECT_EQ(CharLength(t, nul, nul + 3), 1);
}

TEST(Conversions, RoundTripInEachCodePageAndFlagOnlyRealLosses) {
    struct Case {
        int codePage;
        std::string bytes;
    };
    const Case cases[] = {
        {949, "\xB0\xA1\xB3\xAA ID=FFFFFF"},       // 가나
        {932, "\x82\xA0\x83\x41 abc"},             // あア
        {1252, "caf\xE9 \x80 5"},                  // café €
        {65001, "\xEA\xB0\x80 \xF0\x9D\x84\x9E"},  // 가 and a character beyond the BMP
        {1200, std::string("A\0\x00\xAC", 4)},     // A 가, little-endian
        {1201, std::string("\0A\xAC\x00", 4)},
    };
    for (const Case& c : cases) {
        std::u16string wide;
        ASSERT_TRUE(ToUtf16(c.codePage, c.bytes, wide)) << c.codePage;
        std::string back;
        bool lost = true;
        ASSERT_TRUE(FromUtf16(c.codePage, wide, back, &lost)) << c.codePage;
        EXPECT_EQ(back, c.bytes) << c.codePage;
        EXPECT_FALSE(lost) << c.codePage;
    }
    std::u16string wide;
    ToUtf16(1200, std::string("A\0\x00\xAC", 4), wide);
    EXPECT_EQ(wide, u"A\uAC00");
}

TEST(Conversions, HangulThatTheWesternPageCannotHoldBecomesQuestionMarkAndIsFlagged) {
    std::string out;
    bool lost = false;
    ASSERT_TRUE(FromUtf16(1252, u"ID \uAC00!", out, &lost));
    EXPECT_EQ(out, "ID ?!");
    EXPECT_TRUE(lost);
    ASSERT_TRUE(FromUtf16(949, u"ID \uAC00!", out, &lost));
    EXPECT_EQ(out, "ID \xB0\xA1!");
    EXPECT_FALSE(lost);
    // Thai is outside the Korean page.
    ASSERT_TRUE(FromUtf16(949, u"\u00E9\u0E01", out, &lost));
    EXPECT_TRUE(lost);
}

TEST(Conversions, InvalidBytesBecomeReplacementCharacters) {
    std::u16string wide;
    ASSERT_TRUE(ToUtf16(65001,
                        "a\xFF"
                        "b",
                        wide));
    EXPECT_EQ(wide, u"a\uFFFDb");
    ASSERT_TRUE(ToUtf16(949, "a\xB0", wide));  // lead byte without its trail byte
    EXPECT_EQ(wide.substr(0, 1), u"a");
    EXPECT_EQ(wide.size(), 2u);
}

TEST(Conversions, UnconvertibleCodePagesAreRefused) {
    std::u16string wide;
    std::string narrow;
    for (int cp : UnconvertibleCodePages()) {
        EXPECT_FALSE(IsConvertible(cp)) << cp;
        EXPECT_FALSE(ToUtf16(cp, "abc", wide)) << cp;
        EXPECT_FALSE(FromUtf16(cp, u"abc", narrow)) << cp;
    }
    EXPECT_FALSE(ToUtf16(12345, "abc", wide));
    for (int cp : {437, 949, 932, 936, 950, 1252, 20866, 28591, 28605, 10000, 65001}) {
        EXPECT_TRUE(ToUtf16(cp, "abc", wide)) << cp;
        EXPECT_EQ(wide, u"abc") << cp;
    }
}

TEST(Conversions, RealKoreanJapaneseAndChineseTextsDecodeAsExpected) {
    struct Pair {
        int codePage;
        const char* encoded;
        const char* utf8;
    };
    const Pair pairs[] = {
        {949, "cp949.txt", "cp949-utf8.txt"},
        {949, "euc_kr.txt", "euc_kr-cp949-utf8.txt"},
        {932, "shift_jis.txt", "shift_jis-utf8.txt"},
        {936, "gb2312.txt", "gb2312-utf8.txt"},
        {936, "gbk.txt", "gbk-utf8.txt"},
        {950, "big5.txt", "big5-utf8.txt"},
    };
    for (const Pair& p : pairs) {
        const std::string encoded = ReadDataFile(kCjk + p.encoded);
        ASSERT_FALSE(encoded.empty()) << p.encoded;
        std::u16string wide;
        ASSERT_TRUE(ToUtf16(p.codePage, encoded, wide));
        EXPECT_EQ(wide, Utf8ToUtf16(ReadDataFile(kCjk + p.utf8))) << p.encoded;
        std::string back;
        bool lost = true;
        ASSERT_TRUE(FromUtf16(p.codePage, wide, back, &lost));
        EXPECT_EQ(back, encoded) << p.encoded;
        EXPECT_FALSE(lost) << p.encoded;
    }
}

TEST(NarrowText, CrossesBetweenTheSystemCodePageAndQt) {
    EXPECT_EQ(textcodec::ToQString("\xB0\xA1 ID"), QStringLiteral("가 ID"));
    bool lost = true;
    EXPECT_EQ(textcodec::ToNarrow(QStringLiteral("가 ID"), &lost), "\xB0\xA1 ID");
    EXPECT_FALSE(lost);
    ScopedSystemCodePage western(1252);
    EXPECT_EQ(textcodec::ToNarrow(QStringLiteral("가"), &lost), "?");
    EXPECT_TRUE(lost);
    EXPECT_EQ(textcodec::ToQString("caf\xE9"), QStringLiteral("café"));
}
