#include <gtest/gtest.h>

#include "network/History.h"
#include "network/NetworkFile.h"
#include "network/SiteList.h"
#include "support/Files.h"

namespace {

constexpr char kTwoSites[] =
    "# depots\n"
    "[north]\n"
    "gateway = 10.0.0.5\n"
    "ids = north/ids.xml\n"
    "\n"
    "# the harbour, commissioned in spring\n"
    "[harbour-2]\r\n"
    "  gateway = [fe80::1]:6000\n"
    "ids = /srv/harbour ids.xml\n"
    "plan = plans/harbour.xml\n"
    "keep = 5\n";

}  // namespace

TEST(SiteList, ReadsWhatAPersonWritesAndKeepsTheirLinesOnAddAndRemove) {
    std::vector<network::SiteEntry> sites;
    std::string error;
    ASSERT_TRUE(network::ParseSiteList(kTwoSites, &sites, &error)) << error;
    ASSERT_EQ(sites.size(), 2u);
    EXPECT_EQ(sites[0].host, "10.0.0.5");
    EXPECT_EQ(sites[0].port, 5555u);
    EXPECT_EQ(sites[0].keep, network::kDefaultHistoryKept);
    EXPECT_EQ(sites[1].name, "harbour-2");
    EXPECT_EQ(network::GatewayText(sites[1]), "[fe80::1]:6000");
    EXPECT_EQ(sites[1].idFile, "/srv/harbour ids.xml");
    EXPECT_EQ(sites[1].keep, 5);
    EXPECT_EQ(network::ResolvedPath("/home/t/ids/sites.conf", sites[1].plan), "/home/t/ids/plans/harbour.xml");

    TempFolder folder;
    const std::string path = folder.filePath("sites.conf");
    std::ofstream(path, std::ios::binary) << kTwoSites;
    network::SiteEntry added;
    added.name = "east";
    added.host = "127.0.0.1";
    added.port = 5601;
    added.idFile = "east.xml";
    ASSERT_TRUE(network::AddSite(path, added, &error)) << error;
    EXPECT_FALSE(network::AddSite(path, added, &error));
    EXPECT_EQ(error, "site \"east\" is in " + path + " already (line 13)");
    ASSERT_TRUE(network::RemoveSite(path, "north", &error)) << error;
    EXPECT_EQ(ReadFile(path),
              "# depots\n"
              "\n"
              "# the harbour, commissioned in spring\n"
              "[harbour-2]\r\n"
              "  gateway = [fe80::1]:6000\n"
              "ids = /srv/harbour ids.xml\n"
              "plan = plans/harbour.xml\n"
              "keep = 5\n"
              "\n"
              "[east]\n"
              "gateway = 127.0.0.1:5601\n"
              "ids = east.xml\n");
    EXPECT_FALSE(network::RemoveSite(path, "north", &error));
    // A missing list is an empty one, and is made by the first add.
    ASSERT_TRUE(network::LoadSiteList(folder.filePath("none.conf"), &sites, &error));
    EXPECT_TRUE(sites.empty());
}

TEST(SiteList, ABadFileIsRefusedWithItsLine) {
    const struct {
        const char* text;
        const char* error;
    } cases[] = {
        {"gateway = 1.2.3.4\n", "line 1: \"gateway\" before the first [NAME]"},
        {"[a]\ngateway = 1.2.3.4\nids = x\n[a]\n", "line 4: site \"a\" again (first on line 1)"},
        {"[a b]\n", "line 1: the site name \"a b\" holds \" \" (letters, digits, '.', '_', '-' only)"},
        {"[a@b]\n", "line 1: the site name \"a@b\" holds \"@\" (letters, digits, '.', '_', '-' only)"},
        {"[a\n", "line 1: expected [NAME], found \"[a\""},
        {"[a]\n\ngateway 1.2.3.4\n", "line 3: expected KEY = VALUE, found \"gateway 1.2.3.4\""},
        {"[a]\ngateway = 1.2.3.4:99999\n", "line 2: the port \"99999\" is not a number from 1 to 65535"},
        {"[a]\ngateway = 1.2.3.4\nids = x\nkeep = 0\n", "line 4: keep takes a number from 1 to 10000, not \"0\""},
        {"[a]\nport = 5\n", "line 2: unknown key \"port\" (gateway, ids, plan, keep)"},
        {"[a]\nids =\n", "line 2: \"ids\" has no value"},
        {"[a]\nids = x\n[b]\n", "line 3: site \"a\" has no gateway = ADDRESS[:PORT]"},
        {"[a]\ngateway = 1.2.3.4\n\n", "line 3: site \"a\" has no ids = FILE"},
    };
    for (const auto& c : cases) {
        std::vector<network::SiteEntry> sites(1);
        std::string error;
        EXPECT_FALSE(network::ParseSiteList(c.text, &sites, &error)) << c.text;
        EXPECT_EQ(error, c.error) << c.text;
        EXPECT_EQ(sites.size(), 1u) << "a refused file changed the list";
    }
}

TEST(History, KeepsTheNewestEntriesPartialOnesMarkedAndFindsThemByDate) {
    TempFolder folder;
    const std::string dir = network::HistoryFolder(folder.filePath("sites.conf"), "north");
    network::Site site;
    site.gateway.ids = {"FFFFFF", "A00001", "A00002"};
    std::int64_t day = 0;
    ASSERT_TRUE(network::ParseTime("2026-12-01T09:30:00.000Z", &day));
    std::string saved, error;
    for (int n = 0; n < 4; ++n) {
        site.gateway.radioFrequency[0] = {std::to_string(2402000000 + n), network::Origin::Read, day};
        ASSERT_TRUE(network::KeepInHistory(dir, site, n == 3 ? "apply" : "read", day + n * 86400000LL, 3, &saved,
                                           &error, n == 2 ? "interrupted" : ""))
            << error;
    }
    EXPECT_EQ(FileMode(dir), 0700);
    EXPECT_EQ(FileMode(saved), 0600);
    const std::vector<network::HistoryEntry> entries = network::ListHistory(dir);
    ASSERT_EQ(entries.size(), 3u);  // the first one went
    EXPECT_EQ(entries[0].when, "2026-12-02T09:30:00.000Z");
    EXPECT_TRUE(entries[1].partial);
    EXPECT_NE(ReadFile(entries[1].path).find("partial=\"interrupted\""), std::string::npos);
    EXPECT_EQ(entries[2].kind, "apply");

    EXPECT_EQ(network::FindHistory(entries, "latest", &error), &entries[2]);
    EXPECT_EQ(network::FindHistory(entries, "2026-12-03", &error), &entries[1]);
    EXPECT_EQ(network::FindHistory(entries, "2026-12", &error), &entries[2]);
    EXPECT_EQ(network::FindHistory(entries, "2026-12-01", &error), nullptr);
    EXPECT_EQ(error,
              "no entry of 2026-12-01 (the oldest is 2026-12-02T09:30:00.000Z, the newest 2026-12-04T09:30:00.000Z)");
    network::Site back;
    ASSERT_TRUE(network::LoadNetworkFile(entries[0].path, back, &error)) << error;
    EXPECT_EQ(back.gateway.radioFrequency[0].text, "2402000001");
}

TEST(History, EntriesWrittenOffTheCallersThreadAreTheFilesKeepInHistoryWritesAndAreAllOnDiskAtTheEnd) {
    TempFolder folder;
    const std::string kept = folder.filePath("kept"), written = folder.filePath("written");
    network::Site site;
    site.gateway.ids = {"FFFFFF", "A00001", "A00002"};
    site.gateway.radioFrequency[0] = {"2402000000", network::Origin::Read, 0};
    std::int64_t day = 0;
    ASSERT_TRUE(network::ParseTime("2026-12-01T09:30:00.000Z", &day));
    std::string saved, error;
    std::vector<std::string> paths;
    {
        int wakes = 0;
        network::HistoryWriter writer([&wakes] { ++wakes; });
        for (int n = 0; n < 4; ++n) {
            const std::string partial = n == 1 ? "interrupted" : "";
            ASSERT_TRUE(network::KeepInHistory(kept, site, "drift", day + n, 3, &saved, &error, partial)) << error;
            network::PendingEntry entry;
            ASSERT_TRUE(network::PrepareHistory(written, site, "drift", day + n, 3, &entry, &error, partial)) << error;
            writer.Add(std::move(entry));
        }
        writer.Drain();
        for (const network::HistoryWriter::Written& w : writer.TakeWritten()) {
            EXPECT_TRUE(w.ok) << w.error;
            paths.push_back(w.path);
        }
        EXPECT_EQ(writer.Outstanding(), 0u);
        network::PendingEntry unwritable;
        ASSERT_TRUE(
            network::PrepareHistory(folder.filePath("kept/" + std::filesystem::path(saved).filename().string() + "/x"),
                                    site, "drift", day, 3, &unwritable, &error));
        writer.Add(std::move(unwritable));
        writer.Drain();
        const auto failed = writer.TakeWritten();
        ASSERT_EQ(failed.size(), 1u);
        EXPECT_FALSE(failed[0].ok);
        EXPECT_NE(failed[0].error.find("cannot"), std::string::npos) << failed[0].error;
        EXPECT_EQ(wakes, 5);
    }
    ASSERT_EQ(paths.size(), 4u);
    const std::vector<network::HistoryEntry> a = network::ListHistory(kept), b = network::ListHistory(written);
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 3u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(std::filesystem::path(a[i].path).filename(), std::filesystem::path(b[i].path).filename());
        EXPECT_EQ(ReadFile(a[i].path), ReadFile(b[i].path));
        EXPECT_EQ(FileMode(b[i].path), 0600);
    }
}
