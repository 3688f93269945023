// The Network tab's history of a site: entries newest first, any two compared.
#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidget>

#include "netview/SiteHistory.h"
#include "network/History.h"
#include "network/NetworkFile.h"
#include "support/Files.h"

TEST(SiteHistory, ListsNewestFirstAndShowsWhatDiffersBetweenAnyTwoEntriesOrTheLiveSite) {
    TempFolder folder;
    const std::string dir = network::HistoryFolder(folder.filePath("sites.conf"), "north");
    network::Site site;
    site.gateway.ids = {"FFFFFF", "A00001", "A00002"};
    std::int64_t day = 0;
    ASSERT_TRUE(network::ParseTime("2026-12-01T09:30:00.000Z", &day));
    const char* frequencies[] = {"2402000000", "2410000000", "2480000000"};
    std::string saved, error;
    for (int n = 0; n < 3; ++n) {
        site.gateway.radioFrequency[0] = {frequencies[n], network::Origin::Read, day};
        site.gateway.radioFrequency[1] = {"2450000000", network::Origin::Read, day};
        ASSERT_TRUE(network::KeepInHistory(dir, site, "read", day + n * 86400000LL, 10, &saved, &error,
                                           n == 1 ? "interrupted" : ""))
            << error;
    }
    network::Site live = site;
    live.gateway.radioFrequency[1].text = "2460000000";

    netview::SiteHistory history;
    history.SetLive([&live] { return &live; });
    history.ShowFolder(dir);
    history.resize(600, 600);
    history.show();
    QTreeWidget* entries = history.Entries();
    ASSERT_EQ(entries->topLevelItemCount(), 4);  // the live site, then the three entries
    EXPECT_EQ(entries->topLevelItem(1)->text(0), QStringLiteral("2026-12-03T09:30:00.000Z"));
    EXPECT_EQ(entries->topLevelItem(2)->text(1), QStringLiteral("read (partial)"));
    EXPECT_EQ(entries->topLevelItem(3)->text(1), QStringLiteral("read"));

    const auto choose = [&](int first, int second) {
        entries->clearSelection();
        QTest::mouseClick(entries->viewport(), Qt::LeftButton, {},
                          entries->visualItemRect(entries->topLevelItem(first)).center());
        QTest::mouseClick(entries->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          entries->visualItemRect(entries->topLevelItem(second)).center());
    };
    const std::string gatewayA = network::path::GatewayFrequency(0);
    const std::string gatewayB = network::path::GatewayFrequency(1);
    const struct {
        int first, second;
        std::vector<std::vector<std::string>> rows;  // path, older, newer
    } cases[] = {
        {1, 3, {{gatewayA, "2402000000", "2480000000"}}},  // picked newest first, shown oldest left
        {2, 1, {{gatewayA, "2410000000", "2480000000"}}},
        {0, 1, {{gatewayB, "2450000000", "2460000000"}}},  // the newest entry against the live site
    };
    for (const auto& c : cases) {
        choose(c.first, c.second);
        QTreeWidget* differences = history.Differences();
        ASSERT_EQ(differences->topLevelItemCount(), static_cast<int>(c.rows.size())) << c.first << " " << c.second;
        for (int r = 0; r < differences->topLevelItemCount(); ++r) {
            for (int column = 0; column < 3; ++column) {
                EXPECT_EQ(differences->topLevelItem(r)->text(column).toStdString(), c.rows[r][column]);
            }
        }
        EXPECT_TRUE(history.Summary().startsWith(QStringLiteral("1 difference between")));
    }
    // One entry alone compares nothing.
    entries->clearSelection();
    EXPECT_EQ(history.Differences()->topLevelItemCount(), 0);
}
