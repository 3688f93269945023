#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>

#include "textcodec/CodePage.h"
#include "xml/Scanner.h"
#include "xml/XmlTextDoc.h"

using xml::XmlTextDoc;

namespace {

bool Parse(XmlTextDoc& doc, const char* text) { return doc.SetDocText(text); }

}  // namespace

TEST(XmlParser, EmptyElementAndItsParentGetTheirTagLengths) {
    XmlTextDoc doc;
    EXPECT_TRUE(Parse(doc, "<a><b/></a>"));
    const auto& a = doc.Element(1);
    const auto& b = doc.Element(2);
    EXPECT_EQ(b.start, 3);
    EXPECT_EQ(b.length, 4);
    EXPECT_EQ(b.StartTagLength(), 4);
    EXPECT_EQ(b.EndTagLength(), 0);
    EXPECT_EQ(a.length, 11);
    EXPECT_EQ(a.EndTagLength(), 4);
    EXPECT_EQ(b.Level(), 1);
    EXPECT_TRUE(b.Has(xml::kFlagFirstChild));
    EXPECT_EQ(b.prev, 2u);  // an only child points to itself
    EXPECT_EQ(doc.Element(0).length, 11);
    EXPECT_EQ(doc.ReportText(), "");
    EXPECT_EQ(doc.NextFreeIndex(), 3);
}

TEST(XmlParser, UnendedElementIsRecordedAndClosedAtItsStartTag) {
    XmlTextDoc doc;
    EXPECT_FALSE(Parse(doc, "<a><b></a>"));
    const auto& b = doc.Element(2);
    EXPECT_TRUE(b.Has(xml::kFlagNoEndTag));
    EXPECT_EQ(b.length, 3);
    EXPECT_EQ(doc.Element(1).length, 10);
    EXPECT_TRUE(doc.Element(0).Has(xml::kFlagDocumentError));
    EXPECT_EQ(doc.ReportText(), "<unended_start_tag tagname=\"b\" offset=\"3\" offset2=\"7\"/>");
}

TEST(XmlParser, LoneEndTagIsRecordedAndIgnored) {
    XmlTextDoc doc;
    EXPECT_FALSE(Parse(doc, "<a></b></a>"));
    EXPECT_EQ(doc.ReportText(), "<lone_end_tag tagname=\"b\" offset=\"3\"/>");
    EXPECT_EQ(doc.Element(1).length, 11);
    EXPECT_TRUE(doc.Element(1).Has(xml::kFlagErrorInside));
}

TEST(XmlParser, RootRecordsWithoutErrorFlags) {
    XmlTextDoc doc;
    EXPECT_FALSE(Parse(doc, "<a/><b/>"));
    EXPECT_EQ(doc.ReportText(), "<root_has_sibling/>");
    EXPECT_FALSE(doc.Element(0).Has(xml::kFlagDocumentError));
    EXPECT_FALSE(Parse(doc, ""));
    EXPECT_EQ(doc.ReportText(), "");
    EXPECT_FALSE(Parse(doc, "just text"));
    EXPECT_EQ(doc.ReportText(), "<no_root_element/>");
}

TEST(XmlParser, ChildrenOfAnUnendedElementBecomeItsFollowingSiblings) {
    XmlTextDoc doc;
    EXPECT_FALSE(Parse(doc, "<a><b><c/></a>"));
    EXPECT_TRUE(doc.SeekChild());
    EXPECT_EQ(doc.TagNameOf(doc.ChildPos()), "b");
    EXPECT_TRUE(doc.SeekChild());
    EXPECT_EQ(doc.TagNameOf(doc.ChildPos()), "c");
    EXPECT_FALSE(doc.SeekChild());
    const auto& a = doc.Element(1);
    EXPECT_EQ(doc.Element(a.firstChild).prev, 3u);  // the last child is c
    EXPECT_EQ(doc.Element(3).parent, 1u);
}

TEST(XmlParser, UnquotedValueEndingInSlashIsNotAnEmptyElement) {
    XmlTextDoc doc;
    EXPECT_FALSE(Parse(doc, "<a x=1/>"));
    EXPECT_NE(doc.ReportText().find("unended_start_tag"), std::string::npos);
    EXPECT_TRUE(Parse(doc, "<a x=1 />"));
    EXPECT_TRUE(Parse(doc, "<a x='1'/>"));
    EXPECT_TRUE(Parse(doc, "<a x=\"a>b\"/>"));
}

TEST(XmlParser, PrologDoctypeAndCommentsCreateNoElements) {
    XmlTextDoc doc;
    EXPECT_TRUE(Parse(doc, "<?xml version='1.0'?><!DOCTYPE a [<!ELEMENT a ANY>]><!-- c --><a/>"));
    EXPECT_EQ(doc.NextFreeIndex(), 2);
    EXPECT_TRUE(Parse(doc, "<!DOCTYPE a [<!ENTITY e \"x>y\"><!-- > --><?p > ?>]><a/>"));
    EXPECT_FALSE(Parse(doc, "<!DOCTYPE a [<!x>]><a/>"));
    EXPECT_EQ(doc.ReportText(), "<doctype_tag_syntax offset=\"0\"/>");
}

TEST(XmlParser, SyntaxErrorsAreRecordedWithTheirOffsets) {
    XmlTextDoc doc;
    EXPECT_FALSE(Parse(doc, "<a><!x></a>"));
    EXPECT_EQ(doc.ReportText(), "<exclamation_tag_syntax offset=\"3\"/>");
    EXPECT_FALSE(Parse(doc, "<a><1/></a>"));
    EXPECT_EQ(doc.ReportText(), "<first_tag_syntax offset=\"3\"/>");
    EXPECT_FALSE(Parse(doc, "<a><!-x></a>"));
    EXPECT_EQ(doc.ReportText(), "<comment_tag_syntax offset=\"3\"/>");
    EXPECT_FALSE(Parse(doc, "<a><![x]></a>"));
    EXPECT_EQ(doc.ReportText(), "<cdata_section_syntax offset=\"3\"/>");
    EXPECT_FALSE(Parse(doc, "<a"));
    EXPECT_EQ(doc.ReportText(), "<unterminated_tag_syntax type=\"start_tag\" offset=\"0\"/><no_root_element/>");
    EXPECT_FALSE(Parse(doc, "<a><1"));
    EXPECT_EQ(doc.ReportText(),
              "<first_tag_syntax offset=\"3\"/><unterminated_tag_syntax type=\"tag\" offset=\"3\"/>"
              "<unended_start_tag tagname=\"a\" offset=\"0\" offset2=\"5\"/>");
    EXPECT_FALSE(Parse(doc, "<a><!-- x </a>"));
    EXPECT_NE(doc.ReportText().find("type=\"comment\""), std::string::npos);
}

TEST(XmlParser, DoubleByteElementNamesAreStartTags) {
    XmlTextDoc doc;
    EXPECT_TRUE(Parse(doc, "<\xB0\xA1><\xB3\xAA/></\xB0\xA1>"));
    EXPECT_EQ(doc.NextFreeIndex(), 3);
}

TEST(XmlParser, NulBytesAndCutLeadBytesEndTheTextSafely) {
    XmlTextDoc doc;
    EXPECT_FALSE(doc.SetDocText(std::string_view("<a>\0</a>", 8)));
    EXPECT_NE(doc.ReportText().find("unended_start_tag"), std::string::npos);
    EXPECT_FALSE(doc.SetDocText(std::string_view("<a>x\xB0", 5)));
    EXPECT_FALSE(doc.SetDocText(std::string_view("<\xB0", 2)));
    EXPECT_TRUE(doc.SetDocText(nullptr) == false && doc.DocText().empty());
}

TEST(XmlParser, ANulAfterALeadByteEndsTheTextWhereverTheScanStands) {
    // Text is scanned 64 bytes at a time: the lead byte here is the last of a
    // block, the NUL the first of the next, and it still ends the text.
    for (const int page : {949, 932}) {
        textcodec::ScopedSystemCodePage scoped(page);
        XmlTextDoc doc;
        const std::string text = "<a>" + std::string(63, 'x') + "\x8A" + std::string(1, '\0') + "</a>";
        EXPECT_FALSE(doc.SetDocText(text)) << page;
        EXPECT_EQ(doc.ReportText(), "<unended_start_tag tagname=\"a\" offset=\"0\" offset2=\"72\"/>") << page;
    }
}

TEST(XmlParser, DeepUnendedNestingIsRepairedInLinearTime) {
    std::string text;
    const int depth = 100000;
    for (int i = 0; i < depth; ++i) text += "<e>";
    XmlTextDoc doc;
    EXPECT_FALSE(doc.SetDocText(text));
    // Every element ends up a top-level sibling, without end tag, in order.
    std::uint32_t e = doc.Element(0).firstChild;
    int count = 0;
    for (; e; e = doc.Element(e).next, ++count) {
        ASSERT_EQ(doc.Element(e).start, 3 * count);
        ASSERT_EQ(doc.Element(e).length, 3);
        ASSERT_TRUE(doc.Element(e).Has(xml::kFlagNoEndTag));
    }
    EXPECT_EQ(count, depth);
    EXPECT_EQ(doc.Element(doc.Element(0).firstChild).prev, static_cast<std::uint32_t>(depth));
    EXPECT_LE(doc.ReportText().size(), 1100u);

    std::string closed;
    for (int i = 0; i < depth; ++i) closed += "<e>";
    for (int i = 0; i < depth; ++i) closed += "</e>";
    ASSERT_TRUE(doc.SetDocText(closed));
    // Closed, the chain crosses the table's first segment boundary: every
    // element still finds its parent and its full length; levels past the
    // field's width stay at its top.
    for (std::uint32_t i = 1; i <= depth; ++i) {
        const auto& element = doc.Element(i);
        ASSERT_EQ(element.parent, i - 1) << i;
        ASSERT_EQ(element.Level(), std::min<int>(static_cast<int>(i) - 1, 0xFFFF)) << i;
        ASSERT_EQ(element.length, 7 * (depth - static_cast<int>(i) + 1)) << i;
        ASSERT_EQ(element.EndTagLength(), 4) << i;
    }
}

TEST(XmlParser, TagsLongerThanTheirIndexFieldsAreReportedNotCutShort) {
    const std::string name(2000, 'n');  // its end tag needs more than 10 bits
    XmlTextDoc doc;
    EXPECT_FALSE(doc.SetDocText("<" + name + "><b/></" + name + ">"));
    EXPECT_EQ(doc.ReportText().substr(0, 48), "<tag_too_long length=\"2003\" offset=\"2006\"/><unen");
    const auto& e = doc.Element(1);
    EXPECT_TRUE(e.Has(xml::kFlagNoEndTag));
    EXPECT_EQ(e.length, e.StartTagLength());
    // Left unended, its child moved up beside it.
    EXPECT_TRUE(doc.SeekMain());
    EXPECT_EQ(doc.TagNameOf(doc.MainPos()).size(), 2000u);
    EXPECT_TRUE(doc.SeekMain("b"));

    // A start tag past 22 bits.
    EXPECT_FALSE(doc.SetDocText("<r><a x=\"" + std::string(1 << 22, 'v') + "\"/></r>"));
    EXPECT_EQ(doc.NextFreeIndex(), 2);
    EXPECT_NE(doc.ReportText().find("tag_too_long"), std::string::npos);
}

TEST(XmlParser, LoneEndTagsUnderADeepUnendedStackCostLinearTime) {
    // 1 MB: every start tag left open, then as many end tags that close none.
    const int n = 150000;
    std::string text;
    for (int i = 0; i < n; ++i) text += "<a>";
    for (int i = 0; i < n; ++i) text += "</b>";
    XmlTextDoc doc;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(doc.SetDocText(text));
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::seconds(10));
    EXPECT_EQ(doc.ReportText().substr(0, 43), "<lone_end_tag tagname=\"b\" offset=\"450000\"/>");
    EXPECT_EQ(doc.NextFreeIndex(), n + 1);
    EXPECT_TRUE(doc.Element(n).Has(xml::kFlagNoEndTag));
    EXPECT_EQ(doc.Element(doc.Element(0).firstChild).prev, static_cast<std::uint32_t>(n));
}

TEST(XmlParser, EndTagsDeepInTheStackCloseTheInnermostMatchingName) {
    // Deep enough that lone end tags are told apart without a search; an end
    // tag also closes an open name that continues with '=', '[' or ']'.
    std::string text = "<r>";
    for (int i = 0; i < 40; ++i) text += "<x>";
    text += "<a=1><k[2]>";
    for (int i = 0; i < 3; ++i) text += "<y>";
    text += "</z></k[2]></q></k></a></x></r>";
    XmlTextDoc doc;
    EXPECT_FALSE(doc.SetDocText(text));
    const std::string& report = doc.ReportText();
    EXPECT_EQ(report.substr(0, 79),
              "<lone_end_tag tagname=\"z\" offset=\"143\"/><unended_start_tag tagname=\"y\" offset=\"");
    EXPECT_NE(report.find("<lone_end_tag tagname=\"q\" offset=\"154\"/>"), std::string::npos);
    // "</k>" closes nothing left (k[2] ended), "</a>" closes "<a=1>".
    EXPECT_NE(report.find("<lone_end_tag tagname=\"k\" offset=\"158\"/>"), std::string::npos);
    const auto& a = doc.Element(42);
    EXPECT_EQ(doc.TagNameOf(42), "a");  // the name as navigation reads it
    EXPECT_EQ(a.start, 123);
    EXPECT_EQ(a.length, 166 - 123);
    EXPECT_EQ(a.EndTagLength(), 4);
    EXPECT_FALSE(a.Has(xml::kFlagNoEndTag));
    const auto& k = doc.Element(43);
    EXPECT_EQ(k.EndTagLength(), 7);
    // The innermost x closed at "</x>", the other 39 were left unended.
    EXPECT_EQ(doc.Element(41).EndTagLength(), 4);
    EXPECT_TRUE(doc.Element(40).Has(xml::kFlagNoEndTag));
    EXPECT_EQ(doc.Element(1).length, static_cast<std::int32_t>(text.size()));
}

TEST(XmlParser, FastScanBuildsWhatTheTokenScannerBuilds) {
    // Random documents from pieces that exercise every path of the scan:
    // names with multibyte and path-ending bytes, odd attributes, stray lead
    // bytes before markup, long multibyte text, NULs, deep and mismatched
    // nesting, cut-off markup.
    const char* const names[] = {"a",
                                 "ab",
                                 "a=1",
                                 "k[2]",
                                 "\xB0\xA1",
                                 "\x81\x40",
                                 "\xEA\xB0\x80",
                                 ":n",
                                 "repeater_settings_entry",
                                 "repeaterXsettings_entry",
                                 "abcdefghij\xB0\xA1k",
                                 "abcdefghi=1.longer_than_16"};
    // Runs of more than 8 bytes too, which are passed in blocks.
    const char* const attributes[] = {"",
                                      " x=\"1\"",
                                      " x='a>b'",
                                      " x=1/",
                                      " x=1 /",
                                      " x==\"q\"",
                                      " y",
                                      " x=\"\xB0\"",
                                      " x=\xB0/",
                                      "/ ",
                                      " x=/",
                                      " x=\"a",
                                      " long name here=\"0123456789 abcdef \xB0\xA1 \xB0\" x\"",
                                      " x='0123456789>abcdef'",
                                      " x=0123456789abcdef/",
                                      " x=0123456789\xB0/ /"};
    const char* const other[] = {"text",
                                 "\r\n",
                                 "a>b",
                                 "&amp;",
                                 "\xB0<",
                                 "\x81",
                                 "\xE0<",
                                 "<!-- c -->",
                                 "<![CDATA[x<y]]>",
                                 "<?pi x?>",
                                 "<!DOCTYPE a [<!ENTITY e \"x>y\">]>",
                                 "<!x>",
                                 "<1>",
                                 "< a>",
                                 "</ a>",
                                 "</>",
                                 "<",
                                 "<!-- ",
                                 "<a",
                                 "</a",
                                 std::string_view("\0", 1).data()};
    std::mt19937 random(7);
    const auto pick = [&random](std::size_t n) { return random() % n; };
    for (int round = 0; round < 1000; ++round) {
        std::string text;
        for (std::size_t piece = 1 + pick(40); piece > 0; --piece) {
            const std::string name = names[pick(std::size(names))];
            switch (pick(9)) {
                case 7:
                    // Text long enough to be passed in blocks: lead bytes, trail
                    // bytes in ASCII, now and then a '<' or a NUL among them.
                    for (std::size_t k = 10 + pick(150); k > 0; --k) {
                        const char bytes[] = {'\xB0', '\xA1', '\xEA', '\x80', 'A', 'z', ' ', '<', '\0'};
                        text += bytes[pick(pick(4) ? 7 : 9)];
                    }
                    break;
                case 0:
                case 1: text += "<" + name + ">"; break;
                case 2: text += "</" + name + ">"; break;
                case 3: text += "<" + name + attributes[pick(std::size(attributes))] + (pick(2) ? ">" : "/>"); break;
                case 4:
                    for (std::size_t k = pick(50); k > 0; --k) text += "<d>";
                    break;
                case 5:
                    for (std::size_t k = pick(50); k > 0; --k) text += "</d>";
                    break;
                case 6: text += static_cast<char>(1 + pick(255)); break;
                default: {
                    const std::size_t k = pick(std::size(other));
                    text.append(other[k], k + 1 == std::size(other) ? 1 : std::strlen(other[k]));
                }
            }
        }
        for (const int page : {949, 65001, 1252, 932}) {
            textcodec::ScopedSystemCodePage scoped(page);
            XmlTextDoc fast;
            XmlTextDoc tokens;
            const bool fastOk = fast.SetDocText(text);
            ASSERT_EQ(fastOk, xml::SetDocTextByTokens(tokens, text)) << page << ": " << text;
            ASSERT_EQ(fast.ReportText(), tokens.ReportText()) << page << ": " << text;
            ASSERT_EQ(fast.NextFreeIndex(), tokens.NextFreeIndex()) << page << ": " << text;
            for (std::uint32_t i = 0; i < static_cast<std::uint32_t>(fast.NextFreeIndex()); ++i) {
                const auto& f = fast.Element(i);
                const auto& t = tokens.Element(i);
                ASSERT_TRUE(f.start == t.start && f.length == t.length && f.tagLengths == t.tagLengths &&
                            f.levelFlags == t.levelFlags && f.parent == t.parent && f.firstChild == t.firstChild &&
                            f.next == t.next && f.prev == t.prev)
                    << page << ", element " << i << ": " << text;
            }
        }
    }
}
