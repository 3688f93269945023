#include <gtest/gtest.h>

#include "netview/Report.h"

TEST(Report, SaysTheCountsTheFrequencyConflictsAndTheSessionsChangesInWords) {
    const std::vector<netview::Placement> placements = {
        {"gateway / SX1280 A (A00001)", 2402.0, false, true},
        {"repeater 1 / SX1280 A (R10001)", 2418.0, false, false},
        {"gateway / SX1280 B (A00002)", 2402.0, false, true},
    };
    const std::vector<QString> conflicts = netview::ConflictLines(placements);
    ASSERT_EQ(conflicts.size(), 1U);
    EXPECT_EQ(conflicts[0], QStringLiteral("2402.000 MHz: gateway / SX1280 A (A00001), gateway / SX1280 B (A00002)"));

    netview::ReportData data;
    for (const char* state : {"read", "no answer", "read"})
        data.rows.push_back({{}, {}, {}, QString::fromUtf8(state), {}, false});
    const QString clean = netview::ReportHtml(data, {});
    EXPECT_TRUE(clean.contains(QStringLiteral("<td>read</td><td align=\"right\">2</td>"))) << clean.toStdString();
    EXPECT_TRUE(clean.contains(QStringLiteral("<td>no answer</td><td align=\"right\">1</td>")));
    EXPECT_TRUE(clean.contains(QStringLiteral("Frequency conflicts (0)</h3><p>None.</p>")));
    data.conflicts = conflicts;
    EXPECT_TRUE(netview::ReportHtml(data, {}).contains(QStringLiteral("<p>2402.000 MHz: gateway / SX1280 A")));

    // What the session changed, a key masked on both sides unless keys are asked for.
    data.changes = {{QStringLiteral("gateway / NET KEY 3"),
                     QStringLiteral("K104"),
                     QStringLiteral("abcd"),
                     QStringLiteral("written and confirmed"),
                     {},
                     true}};
    const QString masked = netview::ReportHtml(data, {});
    EXPECT_TRUE(masked.contains(QStringLiteral("Changed in this session (1)")));
    EXPECT_TRUE(masked.contains(QStringLiteral("<td>set (4 characters) → set (4 characters)</td>")));
    EXPECT_FALSE(masked.contains(QStringLiteral("K104")) || masked.contains(QStringLiteral("abcd")));
    data.includeKeys = true;
    EXPECT_TRUE(netview::ReportHtml(data, {}).contains(QStringLiteral("<td>K104 → abcd</td>")));
}
