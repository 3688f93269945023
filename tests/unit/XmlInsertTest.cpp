#include <gtest/gtest.h>

#include "xml/XmlTextDoc.h"

using xml::XmlTextDoc;

TEST(XmlInsert, BuildsTheLineLayoutWithoutIndentation) {
    XmlTextDoc doc;
    EXPECT_FALSE(doc.PutChild("G"));
    EXPECT_TRUE(doc.PutMain("R"));
    EXPECT_EQ(doc.DocText(), "<R/>\r\n");
    EXPECT_TRUE(doc.PutChild("G"));
    EXPECT_EQ(doc.DocText(), "<R>\r\n<G/>\r\n</R>\r\n");
    EXPECT_TRUE(doc.Descend());
    EXPECT_TRUE(doc.PutChild("GM", "FFFFFF"));
    EXPECT_EQ(doc.DocText(), "<R>\r\n<G>\r\n<GM>FFFFFF</GM>\r\n</G>\r\n</R>\r\n");
    EXPECT_TRUE(doc.PutChild("G2A", "ab"));
    EXPECT_EQ(doc.DocText(), "<R>\r\n<G>\r\n<GM>FFFFFF</GM>\r\n<G2A>ab</G2A>\r\n</G>\r\n</R>\r\n");
    EXPECT_TRUE(doc.Ascend());
    EXPECT_TRUE(doc.PutChild("R1"));
    EXPECT_EQ(doc.DocText(), "<R>\r\n<G>\r\n<GM>FFFFFF</GM>\r\n<G2A>ab</G2A>\r\n</G>\r\n<R1/>\r\n</R>\r\n");
    // The index agrees with a fresh parse of the text.
    XmlTextDoc fresh(doc.DocText());
    for (std::uint32_t i = 1; i < 6; ++i) {
        EXPECT_EQ(doc.Element(i).start, fresh.Element(i == 5 ? 5 : i).start);
    }
}

TEST(XmlInsert, TextIsEscapedAndCdataWrapped) {
    XmlTextDoc doc;
    doc.PutMain("r");
    doc.PutChild("t", "a<b&c\"'");
    EXPECT_NE(doc.DocText().find("<t>a&lt;b&amp;c\"'</t>"), std::string::npos);
    doc.PutChild("c", "x]]>y", xml::kPutCdata);
    EXPECT_NE(doc.DocText().find("<c><![CDATA[x]]]]><![CDATA[>y]]></c>"), std::string::npos);
    doc.PutChild("k", "&amp; &#65; & &x", xml::kPutKeepReferences);
    EXPECT_NE(doc.DocText().find("<k>&amp; &#65; &amp; &amp;x</k>"), std::string::npos);
    // '#' inside a name is no reference: escaped, so the text reads back as given.
    doc.PutChild("h", "&a#; &#65#;", xml::kPutKeepReferences);
    EXPECT_NE(doc.DocText().find("<h>&amp;a#; &amp;#65#;</h>"), std::string::npos);
    EXPECT_EQ(doc.TextOfChild(), "&a#; &#65#;");
    EXPECT_TRUE(doc.PutAttribute("q", "\"'<&"));
    EXPECT_EQ(doc.DocText().substr(0, 33), "<r q=\"&quot;&apos;&lt;&amp;\">\r\n<t");
    EXPECT_EQ(XmlTextDoc::EncodeEntities("\xB0\xA1>", XmlTextDoc::EncodeMode::Text, false), "\xB0\xA1&gt;");
}

TEST(XmlInsert, IntoAnEmptyParentOpensItUp) {
    XmlTextDoc a("<p/>");
    a.SeekMain();
    a.PutChild("new");
    EXPECT_EQ(a.DocText(), "<p>\r\n<new/>\r\n</p>");
    XmlTextDoc b("<p></p>");
    b.SeekMain();
    b.PutChild("new");
    EXPECT_EQ(b.DocText(), "<p>\r\n<new/>\r\n</p>");
    XmlTextDoc c("<p/>");
    c.SeekMain();
    c.PutChild("new", nullptr, xml::kPutNoLineBreaks);
    EXPECT_EQ(c.DocText(), "<p><new/></p>");
    XmlTextDoc d;
    d.PutMain("p", nullptr, xml::kPutNoEndTag | xml::kPutNoLineBreaks);
    EXPECT_EQ(d.DocText(), "<p>");
    EXPECT_FALSE(d.PutMain("q", "text", xml::kPutNoEndTag));
    d.PutChild("c", "1", xml::kPutNoLineBreaks);
    EXPECT_EQ(d.DocText(), "<p><c>1</c></p>");
    EXPECT_TRUE(XmlTextDoc(d.DocText()).CheckSingleRoot());
    XmlTextDoc e;
    e.PutMain("s", nullptr, xml::kPutSpaceBeforeSlash);
    EXPECT_EQ(e.DocText(), "<s />\r\n");
}

TEST(XmlInsert, AttributesAreReplacedInPlaceOrAddedAfterTheLast) {
    XmlTextDoc doc("<a x=1 y='2'/>");
    EXPECT_FALSE(doc.PutAttribute("x", "9"));
    doc.SeekMain();
    EXPECT_TRUE(doc.PutAttribute("x", "9"));
    EXPECT_EQ(doc.DocText(), "<a x=\"9\" y='2'/>");
    EXPECT_TRUE(doc.PutAttribute("z", 42));
    EXPECT_EQ(doc.DocText(), "<a x=\"9\" y='2' z=\"42\"/>");
    XmlTextDoc bare("<a/>");
    bare.SeekMain();
    bare.PutAttribute("n", -1);
    EXPECT_EQ(bare.DocText(), "<a n=\"-1\"/>");
    XmlTextDoc spaced("<a  >\r\n<b/>\r\n</a>");
    spaced.SeekMain();
    spaced.PutAttribute("k", "v");
    EXPECT_EQ(spaced.DocText(), "<a k=\"v\"  >\r\n<b/>\r\n</a>");
    EXPECT_TRUE(spaced.SeekChild("b"));
    EXPECT_EQ(spaced.Element(spaced.ChildPos()).start, XmlTextDoc(spaced.DocText()).Element(2).start);
}

TEST(XmlInsert, ReportStopsGrowingPastAThousandCharacters) {
    std::string report;
    XmlTextDoc::AddReportRecord(report, "lone_end_tag", "b", 0, 3);
    EXPECT_EQ(report, "<lone_end_tag tagname=\"b\" offset=\"3\"/>");
    XmlTextDoc::AddReportRecord(report, "file", "UTF-8", xml::kRecEncoding, 12, -1);
    EXPECT_EQ(report, "<lone_end_tag tagname=\"b\" offset=\"3\"/><file encoding=\"UTF-8\" offset=\"12\"/>");
    XmlTextDoc::AddReportRecord(report, "file", nullptr, xml::kRecUpdate | xml::kRecLength, 99);
    EXPECT_EQ(report,
              "<lone_end_tag tagname=\"b\" offset=\"3\"/><file encoding=\"UTF-8\" offset=\"12\" length=\"99\"/>");
    XmlTextDoc::AddReportRecord(report, "none", "x", xml::kRecUpdate);
    EXPECT_EQ(report.find("none"), std::string::npos);

    std::string big;
    int added = 0;
    while (big.size() < 1000) {
        XmlTextDoc::AddReportRecord(big, "r", "v", 0, 1);
        ++added;
    }
    const std::string full = big;
    EXPECT_GE(full.size(), 1000u);
    XmlTextDoc::AddReportRecord(big, "r", "v", 0, 1);
    EXPECT_EQ(big, full);
    EXPECT_GT(added, 10);
}

TEST(XmlInsert, ALeadByteCutOffAtTheEndOfAValueCannotSwallowTheMarkupAfterIt) {
    XmlTextDoc doc;
    doc.PutMain("r");
    EXPECT_TRUE(doc.PutChild("t", "ab\xB0"));
    EXPECT_TRUE(doc.PutAttribute("v", "\xB0"));
    EXPECT_EQ(doc.DocText(), "<r v=\"?\">\r\n<t>ab?</t>\r\n</r>\r\n");
    EXPECT_TRUE(XmlTextDoc(doc.DocText()).CheckSingleRoot());
    // A lead byte before a quote or '<' is stray: the markup byte is escaped on its own.
    EXPECT_EQ(XmlTextDoc::EncodeEntities("\xB0\"x\xB3<", XmlTextDoc::EncodeMode::Attribute, false), "?&quot;x?&lt;");
    XmlTextDoc attr("<a x='1'/>");
    attr.SeekMain();
    EXPECT_TRUE(attr.PutAttribute("y", "\xB0\"\xAE"));
    EXPECT_TRUE(attr.PutAttribute("x", "2"));
    EXPECT_EQ(attr.DocText(), "<a x=\"2\" y=\"?&quot;?\"/>");
    // Whole characters stay as they are.
    EXPECT_EQ(XmlTextDoc::EncodeEntities("\xB0\xA1", XmlTextDoc::EncodeMode::Attribute, false), "\xB0\xA1");
}

TEST(XmlInsert, AppendedRecordsReadAsADocumentWouldWriteThem) {
    // The direct append and the document route give the same bytes.
    std::string direct;
    XmlTextDoc::AddReportRecord(direct, "lone_end_tag", "a\"<&'", 0, 7, 9);
    XmlTextDoc doc;
    doc.PutMain("lone_end_tag", "", xml::kPutNoLineBreaks);
    doc.PutAttribute("tagname", "a\"<&'");
    doc.PutAttribute("offset", 7);
    doc.PutAttribute("offset2", 9);
    EXPECT_EQ(direct, doc.DocText());
    std::string counted;
    XmlTextDoc::AddReportRecord(counted, "nulls_removed", nullptr, xml::kRecCount, -1);
    EXPECT_EQ(counted, "<nulls_removed count=\"-1\"/>");
}

TEST(XmlInsert, TagsLongerThanTheIndexFieldsAreRefusedAndChangeNothing) {
    // "</" + name + ">" fills the end-tag field exactly at 1,020 name bytes.
    const std::string fits(1020, 'n');
    const std::string tooLong(1021, 'n');
    XmlTextDoc doc;
    ASSERT_TRUE(doc.PutMain("r"));
    EXPECT_TRUE(doc.PutChild(fits.c_str(), "t"));
    const std::string before = doc.DocText();
    const auto next = doc.NextFreeIndex();
    EXPECT_FALSE(doc.PutChild(tooLong.c_str(), "t"));
    EXPECT_FALSE(doc.PutMain(tooLong.c_str(), "t"));
    EXPECT_EQ(doc.DocText(), before);
    EXPECT_EQ(doc.NextFreeIndex(), next);

    // Empty, the element has no end tag; a child would give it one too long.
    ASSERT_TRUE(doc.PutChild(tooLong.c_str()));
    ASSERT_TRUE(doc.Descend());
    const std::string empty = doc.DocText();
    EXPECT_FALSE(doc.PutChild("c", "1"));
    EXPECT_EQ(doc.DocText(), empty);

    // The start-tag field: neither a name nor an attribute may overflow it.
    const std::string huge(xml::kMaxStartTagLength - 2, 'n');  // "<" + name + "/>" is one byte too many
    EXPECT_FALSE(doc.PutMain(huge.c_str()));
    EXPECT_TRUE(doc.PutMain(huge.c_str() + 1));
    XmlTextDoc attr("<a/>");
    ASSERT_TRUE(attr.SeekMain());
    EXPECT_FALSE(attr.PutAttribute("v", std::string(xml::kMaxStartTagLength, 'x').c_str()));
    EXPECT_EQ(attr.DocText(), "<a/>");
}
