#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>

#include "network/NetworkFile.h"
#include "network/Tokens.h"
#include "network/WritePlan.h"
#include "support/Files.h"
#include "xml/XmlTextDoc.h"

using network::Origin;

namespace {

network::Site SmallSite() {
    network::Site site;
    site.gateway.ids = {"FFFFFF", "A00001", "A00002"};
    site.repeaters[2].ids = {"R00003", "R30001", "R30002", "R30091", "R30092", "R30093"};
    for (int k = 0; k < network::kNetKeys; ++k) site.gateway.netKeys[k] = {"K" + std::to_string(k), Origin::Read, 1000};
    site.gateway.radioFrequency[0] = {"2402000000", Origin::Confirmed, 1765123456789};
    site.gateway.radioFrequency[1] = {"", Origin::NoAnswer, 0};
    site.repeaters[2].radios[3] = {{"915000000", Origin::Read, 5}, {"0A0B", Origin::Read, 5}, {"7", Origin::Read, 5}};
    site.repeaters[2].nodeTable[1] = {"N00301", Origin::Read, 6};
    site.nodes["N00301"].attributes[0] = {"2402000000", Origin::Planned, 0};
    site.nodes["N00301"].attributes[4] = {"a&<b>", Origin::Read, 7};
    return site;
}

}  // namespace

TEST(NetworkFile, ASiteComesBackFromItsFileValueForValue) {
    const network::Site site = SmallSite();
    TempFolder folder;
    const std::string path = folder.path() + "/site.xml";
    std::string error;
    ASSERT_TRUE(network::SaveNetworkFile(site, path, &error)) << error;
    network::Site back;
    ASSERT_TRUE(network::LoadNetworkFile(path, back, &error)) << error;
    EXPECT_TRUE(network::Compare(site, back).empty());
    EXPECT_EQ(back.repeaters[2].ids, site.repeaters[2].ids);
    EXPECT_EQ(back.gateway.radioFrequency[0].origin, Origin::Confirmed);
    EXPECT_EQ(back.gateway.radioFrequency[0].when, 1765123456789);
    EXPECT_EQ(back.gateway.radioFrequency[1].origin, Origin::NoAnswer);
    EXPECT_EQ(back.nodes.at("N00301").attributes[4].text, "a&<b>");
    EXPECT_EQ(back.nodes.at("N00301").attributes[1].origin, Origin::Unknown);  // never written, never read
    EXPECT_EQ(network::FormatTime(1765123456789), "2025-12-07T16:04:16.789Z");

    // A partial read is marked on the root and otherwise the same file, read the same way.
    const std::string partial = network::NetworkFileText(site, "interrupted");
    EXPECT_EQ(partial.rfind("<VeskoraNetwork format=\"1\" partial=\"interrupted\">", 0), 0u) << partial.substr(0, 60);
    const std::string whole = network::NetworkFileText(site);
    EXPECT_EQ(partial.substr(partial.find('>')), whole.substr(whole.find('>')));
    network::Site marked;
    ASSERT_TRUE(network::ReadNetworkText(partial, marked, &error)) << error;
    EXPECT_TRUE(network::Compare(site, marked).empty());
}

TEST(NetworkFile, AFileOfKeysIsTheUsersAloneWhateverTheUmaskOrTheFileItReplaces) {
    const ScopedUmask usual(022);
    TempFolder folder;
    const std::string path = folder.filePath("site.xml");
    std::string error;
    ASSERT_TRUE(network::SaveNetworkFile(SmallSite(), path, &error)) << error;
    EXPECT_EQ(FileMode(path), 0600);
    ::chmod(path.c_str(), 0644);
    ASSERT_TRUE(network::SaveNetworkFile(SmallSite(), path, &error)) << error;
    EXPECT_EQ(FileMode(path), 0600);
    // The ID file is saved the ordinary way: the umask's default, or the old file's mode.
    const std::string ids = folder.filePath("ids.xml");
    EXPECT_TRUE(xml::XmlTextDoc("<LORAID/>").SaveTo(ids.c_str()));
    EXPECT_EQ(FileMode(ids), 0644);
    ::chmod(ids.c_str(), 0664);
    EXPECT_TRUE(xml::XmlTextDoc("<LORAID/>").SaveTo(ids.c_str()));
    EXPECT_EQ(FileMode(ids), 0664);
}

TEST(NetworkFile, ABadFileNamesTheLineAndWhatWasExpectedAndChangesNothing) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"<Other format=\"1\"/>", "line 1: expected the root element <VeskoraNetwork>, found <Other>"},
        {"<VeskoraNetwork/>", "line 1: expected a format number"},
        {"<VeskoraNetwork format=\"2\"/>", "line 1: format 2 is not one this program reads (1)"},
        {"<VeskoraNetwork format=\"1\">\n<Value path=\"gateway / SX1280 A / frequency\">24x</Value>\n</VeskoraNetwork>",
         "line 2: expected a frequency in Hz (digits only), found \"24x\""},
        {"<VeskoraNetwork format=\"1\">\n\n<Value path=\"repeater 7 / MCU / node table / "
         "SNT\">1</Value>\n</VeskoraNetwork>",
         "line 3: expected a value path, found \"repeater 7 / MCU / node table / SNT\""},
        {"<VeskoraNetwork format=\"1\">\n<Value path=\"gateway / NET KEY 1\" "
         "state=\"sure\">1</Value>\n</VeskoraNetwork>",
         "line 2: expected a state of unknown, read, planned, confirmed, differs or no answer, found \"sure\""},
        {"<VeskoraNetwork format=\"1\">\n<Module path=\"gateway / MCU\" id=\"FFFFFF\"/>\n<Module path=\"gateway / "
         "MCU\" "
         "id=\"FFFFFF\"/>\n</VeskoraNetwork>",
         "line 3: the path \"gateway / MCU\" comes twice"},
        {"<VeskoraNetwork format=\"1\">\n<Value>1</Value>\n</VeskoraNetwork>",
         "line 2: expected a path attribute on <Value>"},
        {"<VeskoraNetwork format=\"1\">\n<Value path=\"x\">1</Valu>\n</VeskoraNetwork>",
         "line 2: expected well-formed XML, found an end tag </Valu> that closes no open element"},
        // Every value and ID is one token on a command line: nothing in it may end or split the line.
        {"<VeskoraNetwork format=\"1\">\n<Value path=\"repeater 1 / SX1276 2 / NET key\">"
         "0000&#13;&#10;AT+SET G2 A00001 1</Value>\n</VeskoraNetwork>",
         "line 2: repeater 1 / SX1276 2 / NET key: the value holds a line break "
         "(0x0D)"},
        {"<VeskoraNetwork format=\"1\">\n<Value path=\"gateway / NET KEY 3\">00&#10;00</Value>\n</VeskoraNetwork>",
         "line 2: gateway / NET KEY 3: the value holds a line break (0x0A)"},
        {"<VeskoraNetwork format=\"1\">\n<Value path=\"gateway / NET KEY 3\">00&#9;00</Value>\n</VeskoraNetwork>",
         "line 2: gateway / NET KEY 3: the value holds the control character 0x09"},
        {"<VeskoraNetwork format=\"1\">\n<Value path=\"repeater 1 / SX1276 2 / busy/SF\">00 00</Value>\n"
         "</VeskoraNetwork>",
         "line 2: repeater 1 / SX1276 2 / busy/SF: the value \"00 00\" holds a blank"},
        {"<VeskoraNetwork format=\"1\">\n<Value path=\"gateway / NET KEY 3\">&#0;</Value>\n</VeskoraNetwork>",
         "line 2: gateway / NET KEY 3: the value holds the reference &#0;"},
        {"<VeskoraNetwork format=\"1\">\n<Value path=\"repeater 1 / MCU / node table / node 1\">N0000001</Value>\n"
         "</VeskoraNetwork>",
         "line 2: repeater 1 / MCU / node table / node 1: the value \"N0000001\" is longer than 6 characters"},
        {"<VeskoraNetwork format=\"1\">\n<Module path=\"repeater 1 / SX1276 2\" id=\"R10092 X\"/>\n"
         "</VeskoraNetwork>",
         "line 2: expected a module ID of one token, found \"R10092 X\", which holds a blank"},
        {"<VeskoraNetwork format=\"1\">\n<Module path=\"repeater 1 / SX1276 2\" id=\"R1&#13;&#10;\"/>\n"
         "</VeskoraNetwork>",
         "line 2: expected a module ID of one token, found \"R1\\r\\n\", which holds a line break (0x0D)"},
        {"<VeskoraNetwork format=\"1\">\n<Value path=\"node N0&#9;1 / SF\">7</Value>\n</VeskoraNetwork>",
         "line 2: expected a node ID of one token, found \"N0\\t1\", which holds the control character 0x09"},
    };
    for (const auto& c : cases) {
        network::Site site = SmallSite();
        std::string error;
        EXPECT_FALSE(network::ReadNetworkText(c.text, site, &error)) << c.text;
        EXPECT_EQ(error.substr(0, std::string(c.error).size()), c.error) << c.text;
        EXPECT_TRUE(network::Compare(site, SmallSite()).empty()) << "a failed read changed the site: " << c.text;
    }
}

TEST(WritePlan, EachModuleThatDiffersGetsOneSetCarryingItsOtherValuesAsRead) {
    network::Site live = SmallSite();
    network::Site plan;
    plan.gateway.ids = live.gateway.ids;
    plan.repeaters = live.repeaters;
    for (auto& repeater : plan.repeaters) repeater.radios = {}, repeater.nodeTable = {};
    plan.gateway.netKeys[3] = {"ABCD", Origin::Planned, 0};                     // differs
    plan.gateway.radioFrequency[0] = {"2402000000", Origin::Planned, 0};        // the same: no write
    plan.repeaters[2].radios[3].frequency = {"868000000", Origin::Planned, 0};  // SX1276 2
    plan.nodes["N00301"].attributes[8] = {"9", Origin::Planned, 0};             // cannot be set

    const std::vector<network::WriteItem> items = network::PlanWrites(plan, live);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].setLine,
              "AT+SET GM FFFFFF K0 K1 K2 ABCD K4 K5 K6 K7 K8 K9 K10 K11 K12 K13 K14 K15 K16 K17 K18 K19 K20\r\n");
    EXPECT_EQ(items[0].getLine, "AT+GET GM FFFFFF\r\n");
    EXPECT_EQ(items[1].module, "repeater 3 / SX1276 2");
    EXPECT_EQ(items[1].setLine, "AT+SET R9 R30092 868000000 0A0B 7\r\n");
    EXPECT_TRUE(items[1].problem.empty());
    EXPECT_NE(items[2].problem.find("read-only"), std::string::npos);

    // The read-back decides, regardless of a-z case and padding blanks.
    network::Site after = live;
    after.repeaters[2].radios[3].frequency.text = "868000000 ";
    after.repeaters[2].radios[3].netKey.text = "0a0b";
    EXPECT_TRUE(network::Unconfirmed(items[1], after).empty());
    after.repeaters[2].radios[3].busySf.text = "8";
    EXPECT_EQ(network::Unconfirmed(items[1], after), std::vector<std::string>{"repeater 3 / SX1276 2 / busy/SF"});
    network::MarkWritten(items[1], after, 42);
    EXPECT_EQ(after.repeaters[2].radios[3].frequency.origin, Origin::Confirmed);
    EXPECT_EQ(after.repeaters[2].radios[3].busySf.origin, Origin::Differs);

    // The gateway radios never share a frequency, as on the RF page.
    network::Site clash = plan;
    live.gateway.radioFrequency[1] = {"2480000000", Origin::Read, 1};
    clash.gateway.radioFrequency[0] = {"2480000000", Origin::Planned, 0};
    EXPECT_NE(network::PlanWrites(clash, live)[1].problem.find("must not share"), std::string::npos);

    // A value neither planned nor read cannot be filled in: the item says so.
    live.gateway.netKeys[5] = {};
    EXPECT_EQ(network::PlanWrites(plan, live)[0].problem, "gateway / NET KEY 4 is neither planned nor read");
}

TEST(NetworkFile, IdsForTheWireAreOneTokenAndOnlyRegularFilesAreRead) {
    TempFolder folder;
    const std::string ids = folder.path() + "/ids.xml";
    std::ofstream(ids) << "<LORAID><Gatewy><GM>FFFFFF</GM><G2A>A00001</G2A><G2B>A00002</G2B></Gatewy><Repeater>"
                          "<R1><RM>R00001</RM><R92>R10092&#13;&#10;AT+STOP</R92></R1></Repeater></LORAID>";
    network::Site site;
    std::string error;
    EXPECT_FALSE(network::LoadSiteIds(ids, site, &error));
    EXPECT_NE(error.find("repeater 1 / SX1276 2: the ID \"R10092\\r\\nAT+STOP\" holds a line break"), std::string::npos)
        << error;

    // A FIFO would block the open for ever: it is refused at once.
    const std::string fifo = folder.path() + "/plan.xml";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(network::LoadNetworkFile(fifo, site, &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    EXPECT_FALSE(network::LoadSiteIds(fifo, site, &error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;

    // Messages show a code-page value as text, whatever bytes it has.
    EXPECT_EQ(network::Quoted("\xB0\xA1\x01"), "\"\xEA\xB0\x80\\x01\"");
}

TEST(WritePlan, AValueThatIsNotOneTokenIsNeverWritten) {
    network::Site live = SmallSite();
    network::Site plan;
    plan.repeaters[2].ids = live.repeaters[2].ids;
    plan.repeaters[2].radios[3].frequency = {"868000000", Origin::Planned, 0};
    // The read value that goes out beside the planned one holds a line end.
    live.repeaters[2].radios[3].netKey.text = "0A\r\nAT+STOP";
    const std::vector<network::WriteItem> items = network::PlanWrites(plan, live);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].problem, "repeater 3 / SX1276 2 / NET key: the value holds a line break (0x0D)");
    live.repeaters[2].radios[3].netKey.text = "0A0B";
    plan.repeaters[2].ids[4] = "R30092 X";
    EXPECT_EQ(network::PlanWrites(plan, live)[0].problem, "the module's ID \"R30092 X\" holds a blank");
}

TEST(NetworkFile, WhoCommissionedTheSiteComesBackWhateverItHoldsOrIsRefusedWithTheReason) {
    const network::Site plain = SmallSite();
    network::Site site = plain;
    site.about = {"Plant \"A\" & <B>", "\xB1\xE8 O'Neil", "\n line 1\n\tline 2 & <3> ]]>\n\n"};
    TempFolder folder;
    const std::string path = folder.filePath("plan.xml");
    std::string error;
    ASSERT_TRUE(network::SaveNetworkFile(site, path, &error)) << error;
    network::Site back;
    ASSERT_TRUE(network::LoadNetworkFile(path, back, &error)) << error;
    EXPECT_EQ(back.about.site, site.about.site);
    EXPECT_EQ(back.about.technician, site.about.technician);
    EXPECT_EQ(back.about.notes, site.about.notes);
    EXPECT_TRUE(network::Compare(site, back).empty());
    // Without it the file is what it was; with it, only the one element is added.
    const std::string without = network::NetworkFileText(plain);
    const std::string with = network::NetworkFileText(site);
    EXPECT_EQ(without.find("About"), std::string::npos);
    const std::size_t at = with.find("<About"), end = with.find("</About>") + 8;
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(with.substr(0, at) + with.substr(with.find('<', end)), without);
    // A hand-edited file with Windows line ends reads its notes with plain ones.
    ASSERT_TRUE(network::ReadNetworkText(
        "<VeskoraNetwork format=\"1\">\r\n<About technician=\"K\">a&#13;&#10;b</About>\r\n</VeskoraNetwork>", back,
        &error))
        << error;
    EXPECT_EQ(back.about.notes, "a\nb");
    EXPECT_TRUE(back.about.site.empty());

    const struct {
        network::About about;
        const char* why;
    } refused[] = {
        {{"a\nb", "", ""}, "the site name holds a line break (0x0A)"},
        {{"", "x\ry", ""}, "the technician holds a line break (0x0D)"},
        {{"", "", "bell\a"}, "the notes' text holds the control character 0x07"},
        {{"", std::string(network::kMaxAboutLine + 1, 'x'), ""}, "the technician is longer than 200 bytes"},
    };
    for (const auto& r : refused) {
        site.about = r.about;
        EXPECT_EQ(network::AboutProblem(r.about), r.why);
        EXPECT_FALSE(network::SaveNetworkFile(site, path, &error));
        EXPECT_NE(error.find(r.why), std::string::npos) << error;
        std::string bytes;
        EXPECT_FALSE(network::NetworkFileBytes(site, &bytes, &error));
    }
    // The file written before the refusals is still there, whole.
    ASSERT_TRUE(network::LoadNetworkFile(path, back, &error)) << error;
    EXPECT_EQ(back.about.technician, "\xB1\xE8 O'Neil");
    const std::string twice =
        "<VeskoraNetwork format=\"1\">\n<About site=\"a\"/>\n<About site=\"b\"/>\n</VeskoraNetwork>";
    EXPECT_FALSE(network::ReadNetworkText(twice, back, &error));
    EXPECT_EQ(error, "line 3: <About> comes twice");
    EXPECT_FALSE(network::ReadNetworkText(
        "<VeskoraNetwork format=\"1\">\n<About technician=\"a&#10;b\"/>\n</VeskoraNetwork>", back, &error));
    EXPECT_EQ(error, "line 2: the technician holds a line break (0x0A)");
}
