#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "ids/IdFile.h"
#include "support/Files.h"
#include "textcodec/CodePage.h"
#include "xml/XmlTextDoc.h"

namespace {

struct Walked {
    std::string mcu = "unset", a = "unset", b = "unset";
    ids::RepeaterRecords repeaters;
};

Walked Walk(const std::string& text) {
    xml::XmlTextDoc doc(text);
    Walked w;
    ids::WalkIdDocument(doc, {&w.mcu, &w.a, &w.b, &w.repeaters});
    return w;
}

using Ids = std::vector<std::string>;

}  // namespace

TEST(IdFile, AFreshSaveIsEightCrLfLinesOfUtf8WithoutAMark) {
    TempFolder dir;
    const std::string path = dir.filePath("ids.xml");
    xml::XmlTextDoc doc;
    ids::BuildIdDocument(doc, "", "", {});
    ASSERT_TRUE(doc.SaveTo(path.c_str()));
    EXPECT_EQ(
        ReadFile(path),
        "<LORAID>\r\n<Gatewy>\r\n<GM>FFFFFF</GM>\r\n<G2A/>\r\n<G2B/>\r\n</Gatewy>\r\n<Repeater/>\r\n</LORAID>\r\n");
}

TEST(IdFile, OnlySixEntryRecordsAreWrittenAndReadBackInOrder) {
    textcodec::ScopedSystemCodePage cp(949);
    ids::RepeaterRecords records;
    records[0] = {"r1mcu", "r1a", "r1b", "r191", "r192", "r193"};
    records[1] = {"1", "2", "3", "4", "5"};                         // five: dropped
    records[2] = {"1", "2", "3", "4", "5", "6", "7"};               // seven: dropped
    records[5] = {"", "&<>", "\xB0\xA1", "######", "x", "ffffff"};  // "가" in 949, markup, empties
    xml::XmlTextDoc doc;
    ids::BuildIdDocument(doc, "a00001", "b00002", records);
    EXPECT_EQ(doc.DocText().find("<R2>"), std::string::npos);
    EXPECT_EQ(doc.DocText().find("<R3>"), std::string::npos);

    const Walked w = Walk(doc.DocText());
    EXPECT_EQ(w.mcu, "FFFFFF");  // "Gatewy" is read through the first-child fallback
    EXPECT_EQ(w.a, "a00001");
    EXPECT_EQ(w.b, "b00002");
    EXPECT_EQ(w.repeaters[0], records[0]);
    EXPECT_TRUE(w.repeaters[1].empty() && w.repeaters[2].empty());
    EXPECT_EQ(w.repeaters[5], records[5]);

    xml::XmlTextDoc none;
    ids::BuildIdDocument(none, "", "", {});
    EXPECT_NE(none.DocText().find("<Repeater/>"), std::string::npos);
}

TEST(IdFile, HandWrittenGatewayElements) {
    const Walked spelled = Walk("<LORAID><Gateway><GM>ABCDEF</GM><G2A>a1</G2A><G2B>b1</G2B></Gateway></LORAID>");
    EXPECT_EQ(std::tie(spelled.mcu, spelled.a, spelled.b), std::tie("ABCDEF", "a1", "b1"));

    // No gateway element: the first child, whatever its name, stands in; the root's name is never checked.
    const Walked other = Walk("<ROOT><Radios><G2B>b2</G2B><GM>m2</GM></Radios><Gateway2/></ROOT>");
    EXPECT_EQ(other.mcu, "m2");
    EXPECT_EQ(other.a, "");  // missing: the search restarted, found nothing
    EXPECT_EQ(other.b, "b2");

    const Walked after = Walk("<LORAID><Other/><Gateway><G2A>late</G2A></Gateway></LORAID>");
    EXPECT_EQ(after.a, "late");
}

TEST(IdFile, RepeaterElementsAppendSixIdsEachWhateverTheyHold) {
    const Walked partial = Walk(
        "<LORAID><Gatewy/><Repeater><R1><RM>m</RM><R93>s3</R93></R1>"
        "<R3><RM>a</RM><R2A>b</R2A><R2B>c</R2B><R91>d</R91><R92>e</R92><R93>f</R93></R3>"
        "<R3><R93>z</R93><RM>y</RM></R3></Repeater>"
        "<Repeater><R3><RM>again</RM></R3><R7><RM>no</RM></R7></Repeater></LORAID>");
    EXPECT_EQ(partial.repeaters[0], (Ids{"m", "m", "m", "m", "m", "s3"}));
    // Three R3 elements in two Repeater elements: eighteen IDs, in file order.
    // The second R3 finds RM only before R93 is passed: nothing is read until R93.
    ASSERT_EQ(partial.repeaters[2].size(), 18u);
    EXPECT_EQ(Ids(partial.repeaters[2].begin(), partial.repeaters[2].begin() + 6), (Ids{"a", "b", "c", "d", "e", "f"}));
    EXPECT_EQ(partial.repeaters[2][6], "y");
    EXPECT_EQ(partial.repeaters[2][12], "again");
    for (std::size_t k : {1u, 3u, 4u, 5u}) EXPECT_TRUE(partial.repeaters[k].empty()) << k;

    // A Repeater element before the gateway element is never reached.
    const Walked early = Walk("<LORAID><Repeater><R1><RM>x</RM></R1></Repeater><Gatewy/></LORAID>");
    for (const auto& list : early.repeaters) EXPECT_TRUE(list.empty());

    // Lists are appended to, not replaced.
    xml::XmlTextDoc doc("<L><Gatewy/><Repeater><R2/></Repeater></L>");
    ids::RepeaterRecords records;
    records[1] = {"kept"};
    std::string a, b;
    ids::WalkIdDocument(doc, {nullptr, &a, &b, &records});
    EXPECT_EQ(records[1], (Ids{"kept", "", "", "", "", "", ""}));
}

TEST(IdFile, TheFolderIsMadeWithEveryMissingLevel) {
    TempFolder dir;
    const std::string base = dir.path();
    const std::string folder = base + "/Documents/Brenholt/Veskora/";
    EXPECT_EQ(ids::EnsureIdFolder(folder, "ids.xml"), 0);
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_FALSE(std::filesystem::exists(folder + "ids.xml"));  // nothing written yet
    EXPECT_EQ(ids::EnsureIdFolder(folder, "ids.xml"), 0);       // there already: fine
    std::ofstream(folder + "ids.xml") << "<LORAID/>";
    EXPECT_EQ(ids::EnsureIdFolder(folder, "ids.xml"), 0);

    std::ofstream(base + "/file") << "x";
    EXPECT_EQ(ids::EnsureIdFolder(base + "/file/sub/", "ids.xml"), 1);  // a file stands in the way

    EXPECT_EQ(ids::FileErrorOf("<file_error msg=\"No such file or directory\" n=\"2\"/>\r\n"),
              "No such file or directory");
    EXPECT_EQ(ids::FileErrorOf(""), "");
}

TEST(IdFile, FilesOverOneMegabyteAreRefusedUnreadAndLeftAsTheyAre) {
    TempFolder dir;
    const std::string path = dir.filePath("ids.xml");
    const std::string head = "<LORAID><Gatewy><GM>FFFFFF</GM></Gatewy>";
    const std::string tail = "</LORAID>";
    const std::string exact = head + std::string(ids::kMaxIdFileBytes - head.size() - tail.size(), ' ') + tail;
    std::ofstream(path, std::ios::binary) << exact;
    xml::XmlTextDoc doc;
    EXPECT_TRUE(ids::LoadIdFile(doc, path)) << doc.ReportText();
    const std::string over = exact + " ";
    std::ofstream(path, std::ios::binary) << over;
    EXPECT_FALSE(ids::LoadIdFile(doc, path));
    EXPECT_EQ(doc.ReportText(), "<file_error msg=\"File too large\" n=\"27\"/>");
    EXPECT_EQ(ReadFile(path), over);
}

TEST(IdFile, AHostileFileCannotGrowTheListsWithoutBound) {
    std::string text = "<LORAID><Gatewy/><Repeater>";
    for (int i = 0; i < 1000; ++i) text += "<R1/><R6><RM>x</RM></R6>";
    text += "</Repeater><Repeater><R1/><R2/></Repeater></LORAID>";
    const Walked w = Walk(text);
    // Six elements' worth per repeater; the rest is not read.
    EXPECT_EQ(w.repeaters[0].size(), 36u);
    EXPECT_EQ(w.repeaters[5], Ids(36, "x"));
    EXPECT_EQ(w.repeaters[1].size(), 6u);
}
