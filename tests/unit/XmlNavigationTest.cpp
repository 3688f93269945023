#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "textcodec/CodePage.h"
#include "xml/SearchPath.h"
#include "xml/XmlTextDoc.h"

using xml::XmlTextDoc;

namespace {

// The decoded text of the first child of the root named in markup.
std::string ChildText(const char* markup) {
    XmlTextDoc doc(markup);
    EXPECT_TRUE(doc.SeekChild(nullptr)) << markup;
    return doc.TextOfChild();
}

std::string Decode(const char* s) { return XmlTextDoc::DecodeEntities(s); }

}  // namespace

TEST(XmlNavigation, FreshDocumentHasNothingToFind) {
    XmlTextDoc doc;
    EXPECT_FALSE(doc.SeekChild("a"));
    EXPECT_FALSE(doc.SeekMain(nullptr));
    EXPECT_FALSE(doc.Descend());
    EXPECT_FALSE(doc.Ascend());
    EXPECT_EQ(doc.TextOfChild(), "");
    EXPECT_EQ(doc.NextFreeIndex(), 1);
    EXPECT_STREQ(doc.PositionDescription(), "top of document");
}

TEST(XmlNavigation, SeekChildWalksSiblingsByNameAndDescendAscendMovePositions) {
    XmlTextDoc doc("<a><b>1</b><b>2</b></a>");
    EXPECT_TRUE(doc.SeekChild("b"));
    EXPECT_EQ(doc.TagNameOf(doc.MainPos()), "a");
    EXPECT_EQ(doc.TextOfChild(), "1");
    EXPECT_STREQ(doc.PositionDescription(), "child position element");
    EXPECT_TRUE(doc.SeekChild("b"));
    EXPECT_EQ(doc.TextOfChild(), "2");
    const auto second = doc.ChildPos();
    EXPECT_FALSE(doc.SeekChild("b"));
    EXPECT_EQ(doc.ChildPos(), second);
    EXPECT_FALSE(doc.Ascend());
    EXPECT_TRUE(doc.Descend());
    EXPECT_EQ(doc.MainPos(), second);
    EXPECT_EQ(doc.ChildPos(), 0u);
    EXPECT_STREQ(doc.PositionDescription(), "main position element");
    // Ascend then Descend keeps parent and main but forgets the child.
    EXPECT_TRUE(doc.Ascend());
    EXPECT_EQ(doc.ChildPos(), second);
    EXPECT_TRUE(doc.Descend());
    EXPECT_EQ(doc.ChildPos(), 0u);
    EXPECT_FALSE(doc.SeekMain("b"));  // searches on after the main position: none after the second
    EXPECT_EQ(doc.MainPos(), second);
}

TEST(XmlNavigation, SearchPathsMatchTheFirstNameExactlyAndIgnorePredicates) {
    XmlTextDoc doc("<a><b>1</b><c/></a>");
    EXPECT_FALSE(doc.SeekChild("B"));
    EXPECT_TRUE(doc.SeekChild("b[2]"));
    EXPECT_EQ(doc.TextOfChild(), "1");
    XmlTextDoc again("<a><b>1</b></a>");
    EXPECT_FALSE(again.SeekChild("/a"));
    EXPECT_FALSE(again.SeekChild("b]"));
    EXPECT_FALSE(again.SeekChild("//b"));
    EXPECT_FALSE(again.SeekChild("bb"));
    EXPECT_TRUE(again.SeekChild("b[@x='1']/c/@d"));

    using xml::SearchPath;
    EXPECT_EQ(SearchPath(nullptr).kind, SearchPath::kAny);
    EXPECT_EQ(SearchPath("").kind, SearchPath::kAny);
    EXPECT_EQ(SearchPath("a/").kind, SearchPath::kInvalid);
    EXPECT_EQ(SearchPath("/").kind, SearchPath::kInvalid);
    EXPECT_EQ(SearchPath("/a").kind, SearchPath::kAbsolute);
    EXPECT_EQ(SearchPath("//a").kind, SearchPath::kDescendant);
    EXPECT_EQ(SearchPath("//a/b").kind, SearchPath::kInvalid);
    EXPECT_EQ(SearchPath("a[0]").kind, SearchPath::kRelative);  // "0" is read as a name
    EXPECT_EQ(SearchPath("a[1").kind, SearchPath::kInvalid);
    EXPECT_EQ(SearchPath("a[@x=\"]\"]").kind, SearchPath::kRelative);
    EXPECT_EQ(SearchPath("a[@x]/b[c]").kind, SearchPath::kRelative);
    EXPECT_EQ(SearchPath("a/@x/b").kind, SearchPath::kInvalid);
    EXPECT_EQ(SearchPath("a b").kind, SearchPath::kInvalid);
}

TEST(XmlNavigation, NamesMatchTheWholeTagNameWhateverBytesTheyHold) {
    // The child of the root a search finds first, 0 for none.
    const auto find = [](const char* markup, const char* name) {
        XmlTextDoc doc(markup);
        return doc.SeekChild(name) ? doc.ChildPos() : 0u;
    };
    const char* markup = "<r><a!b/><ab/><a\tx='1'/><a/></r>";
    EXPECT_EQ(find(markup, "ab"), 3u);
    EXPECT_EQ(find(markup, "a"), 2u);  // the name of "<a!b/>" ends at '!'
    EXPECT_EQ(find(markup, "a!b"), 0u);
    EXPECT_EQ(find("<r><a\n/></r>", "a"), 2u);
    textcodec::ScopedSystemCodePage korean(949);
    EXPECT_EQ(find("<r><\xB0\xA1\xB0/><\xB0\xA1/></r>", "\xB0\xA1"), 3u);
}

TEST(XmlText, ElementTextDropsMarkupAndKeepsCdataAndWhitespace) {
    EXPECT_EQ(ChildText("<r><x/></r>"), "");
    EXPECT_EQ(ChildText("<r><x></x></r>"), "");
    EXPECT_EQ(ChildText("<r><x><y/></x></r>"), "");
    EXPECT_EQ(ChildText("<r><x>a &amp; b</x></r>"), "a & b");
    EXPECT_EQ(ChildText("<r><x><![CDATA[<y>]]></x></r>"), "<y>");
    EXPECT_EQ(ChildText("<r><x>1<!--c-->2</x></r>"), "12");
    EXPECT_EQ(ChildText("<r><x> p </x></r>"), " p ");
    EXPECT_EQ(ChildText("<r><x>&lt;<?pi?>&gt;</x></r>"), "<>");
}

TEST(XmlText, ReferencesDecodeOnlyWhenWellFormedAndRepresentable) {
    EXPECT_EQ(Decode("&#65;&#x41;&#X41;"), "AAA");
    EXPECT_EQ(Decode("&lt"), "&lt");
    EXPECT_EQ(Decode("&bogus;"), "&bogus;");
    EXPECT_EQ(Decode("&#0;"), "&#0;");
    EXPECT_EQ(Decode("&AMP;&Lt;"), "&<");
    EXPECT_EQ(Decode("&amp"), "&amp");
    EXPECT_EQ(Decode("a&"), "a&");
    EXPECT_EQ(Decode("&#x110000;&#-5;"), "&#x110000;&#-5;");
    EXPECT_EQ(Decode("&averyveryverylongname;"), "&averyveryverylongname;");
    // The capital variant's code point stands for both spellings.
    {
        textcodec::ScopedSystemCodePage utf8(65001);
        EXPECT_EQ(Decode("&oslash;&Oslash;"), "\xC3\x98\xC3\x98");
        EXPECT_EQ(Decode("&omega;"), "\xCE\xA9");
        EXPECT_EQ(Decode("&#x1F953;"), "\xF0\x9F\xA5\x93");
        EXPECT_EQ(Decode("&euro;&apos;"), "\xE2\x82\xAC'");
        // The angle brackets are HTML 4.01's U+2329 and U+232A.
        EXPECT_EQ(Decode("&lang;&rang;"), "\xE2\x8C\xA9\xE2\x8C\xAA");
    }
    // Korean: a Hangul reference becomes its two bytes; one the page lacks stays.
    EXPECT_EQ(Decode("&#xAC00;"), "\xB0\xA1");
    EXPECT_EQ(Decode("&#x0E01;"), "&#x0E01;");
    {
        textcodec::ScopedSystemCodePage western(1252);
        EXPECT_EQ(Decode("&#xAC00;&eacute;"), "&#xAC00;\xC9");  // the capital variant's row comes first
    }
}

TEST(XmlText, CharacterReferencesDecodeAsTheCodePageConverterWritesThem) {
    // Every ASCII code point, controls included, and a sample beyond, in pages
    // that write ASCII as itself, UTF-8, and 932 (whose converter swaps three
    // controls): what ICU writes without substituting, or the reference as it is.
    std::vector<long> points;
    for (long cp = 1; cp < 0x80; ++cp) points.push_back(cp);
    for (const long cp : {0x80L, 0xA9L, 0x7FFL, 0x800L, 0xAC00L, 0xD7FFL, 0xD800L, 0xDBFFL, 0xDC00L, 0xDFFFL, 0xE000L,
                          0xFFFDL, 0xFFFFL, 0x10000L, 0x1D11EL, 0x10FFFFL}) {
        points.push_back(cp);
    }
    for (const int page : {949, 65001, 1252, 932, 54936}) {
        textcodec::ScopedSystemCodePage scoped(page);
        for (const long cp : points) {
            char reference[16];
            std::snprintf(reference, sizeof reference, "&#x%lX;", cp);
            std::u16string units;
            if (cp > 0xFFFF) {
                units = {static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)),
                         static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF))};
            } else {
                units = {static_cast<char16_t>(cp)};
            }
            std::string written;
            bool substituted = false;
            ASSERT_TRUE(textcodec::FromUtf16(page, units, written, &substituted));
            const std::string expected = substituted || written.size() > 5 ? reference : written;
            EXPECT_EQ(Decode(reference), expected) << page << " " << reference;
            // Twice: the second comes from what the first remembered.
            EXPECT_EQ(Decode(reference), expected) << page << " " << reference;
        }
    }
}

TEST(XmlText, DoubleByteNamesAndTextAreSteppedWhole) {
    // 0xB0 0x3E would be "?>" if stepped byte by byte: a lead byte takes the next byte with it.
    XmlTextDoc doc("<\xB0\xA1><\xB3\xAA>\xB0\xA1 &amp;</\xB3\xAA></\xB0\xA1>");
    EXPECT_TRUE(doc.SeekChild("\xB3\xAA"));
    EXPECT_EQ(doc.TagNameOf(doc.MainPos()), "\xB0\xA1");
    EXPECT_EQ(doc.TextOfChild(), "\xB0\xA1 &");
}

TEST(XmlText, TextsOfRandomPiecesDecodeAsEachPieceDoesAlone) {
    // Pieces whose decoding does not depend on what follows them, joined at
    // random so that references and characters of more bytes fall on every
    // place of the 16-byte blocks the decoding copies. Each: the text, what
    // DecodeEntities gives in 949, 65001 and 1252, and what ElementText gives
    // where that differs (markup).
    struct Piece {
        const char* text;
        const char* decoded[3];
        const char* element = nullptr;
    };
    const Piece pieces[] = {
        {"Gateway", {"Gateway", "Gateway", "Gateway"}},
        {"answered on 2402 MHz, line after line", {}},
        {"&lt;", {"<", "<", "<"}},
        {"&amp;", {"&", "&", "&"}},
        {"&quot;&apos;&gt;", {"\"'>", "\"'>", "\"'>"}},
        {"&#65;&#x42;", {"AB", "AB", "AB"}},
        {"&#169;", {"&#169;", "\xC2\xA9", "\xA9"}},
        {"& ", {"& ", "& ", "& "}},
        {"&bogus;", {"&bogus;", "&bogus;", "&bogus;"}},
        {"\xB0\xA1", {"\xB0\xA1", "\xB0\xA1", "\xB0\xA1"}},
        {"\xB0&amp;", {"\xB0&amp;", "\xB0&", "\xB0&"}},
        {"\xEA\xB0\x80", {"\xEA\xB0\x80", "\xEA\xB0\x80", "\xEA\xB0\x80"}},
        {"<!--c-->", {"<!--c-->", "<!--c-->", "<!--c-->"}, ""},
        {"<![CDATA[&lt;]]>", {"<![CDATA[<]]>", "<![CDATA[<]]>", "<![CDATA[<]]>"}, "&lt;"},
    };
    const int pages[] = {949, 65001, 1252};
    std::uint32_t seed = 34;
    const auto next = [&seed](std::uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % n;
    };
    for (int round = 0; round < 3000; ++round) {
        const int k = static_cast<int>(next(3));
        textcodec::ScopedSystemCodePage page(pages[k]);
        std::string text;
        std::string decoded;
        std::string element;
        for (std::uint32_t n = next(12); n > 0; --n) {
            const Piece& p = pieces[next(std::size(pieces))];
            const std::string_view run = p.text;
            // Plain runs are cut anywhere, so that blocks end at every length.
            const std::string cut(p.decoded[0] ? run : run.substr(0, next(static_cast<std::uint32_t>(run.size()) + 1)));
            text += cut;
            decoded += p.decoded[0] ? p.decoded[k] : cut;
            element += p.element ? p.element : p.decoded[0] ? p.decoded[k] : cut;
        }
        EXPECT_EQ(XmlTextDoc::DecodeEntities(text), decoded) << pages[k] << " " << text;
        const XmlTextDoc doc("<r>" + text + "</r>");
        EXPECT_EQ(doc.ElementText(1), element) << pages[k] << " " << text;
    }
}
