#include <gtest/gtest.h>

#include "xml/ElementTable.h"
#include "xml/XmlTextDoc.h"

using xml::ElementTable;

TEST(ElementTable, GrowsOneSegmentAtATimeAndKeepsEntries) {
    ElementTable t;
    t.Resize(10);
    EXPECT_EQ(t.Size(), 10);
    EXPECT_EQ(t.SegmentCount(), 1);
    EXPECT_EQ(t.SegmentPointerCapacity(), 4);  // 2*0 + 4
    t[9].start = 99;

    // A request past the next segment's end is cut there.
    t.Resize(300000);
    EXPECT_EQ(t.Size(), 2 * ElementTable::kSegmentSize);
    EXPECT_EQ(t.SegmentLength(0), ElementTable::kSegmentSize);  // the old last became full
    EXPECT_EQ(t.SegmentLength(1), ElementTable::kSegmentSize);
    EXPECT_EQ(t[9].start, 99);

    t.Resize(2 * ElementTable::kSegmentSize + 5);
    EXPECT_EQ(t.SegmentCount(), 3);
    EXPECT_EQ(t.SegmentLength(2), 5);  // the new last holds exactly what is needed
    t[2 * ElementTable::kSegmentSize + 4].length = 7;
    t.Resize(4 * ElementTable::kSegmentSize + 1);
    t.Resize(4 * ElementTable::kSegmentSize + 1);
    EXPECT_EQ(t.SegmentCount(), 5);
    EXPECT_EQ(t.SegmentPointerCapacity(), 12);  // 2*4 + 4 when segment 4 was needed
    EXPECT_EQ(t[2 * ElementTable::kSegmentSize + 4].length, 7);

    t.Resize(3);  // never shrinks
    EXPECT_EQ(t.SegmentCount(), 5);
    t.Release();
    EXPECT_EQ(t.Size(), 0);
}

TEST(ElementTable, EntryBitFieldsHoldTheirWidths) {
    xml::ElementEntry e;
    e.SetStartTagLength(xml::kMaxStartTagLength);
    e.SetEndTagLength(xml::kMaxEndTagLength);
    EXPECT_EQ(e.StartTagLength(), (1 << 22) - 1);
    EXPECT_EQ(e.EndTagLength(), 1023);
    e.SetLevel(70000);
    EXPECT_EQ(e.Level(), 0xFFFF);
    e.levelFlags |= xml::kFlagNoEndTag;
    e.SetLevel(3);
    EXPECT_EQ(e.Level(), 3);
    EXPECT_TRUE(e.Has(xml::kFlagNoEndTag));
}

TEST(ElementTable, ParseReservesFromTheTextLength) {
    xml::XmlTextDoc doc(std::string(64 * 100, ' ') + "<a/>");
    EXPECT_GE(doc.Table().Size(), 100 + 8);
    doc.SetDocText(nullptr);
    EXPECT_EQ(doc.Table().Size(), 8);
}
