#include <gtest/gtest.h>

#include <QFile>
#include <QPageSize>
#include <QRegularExpression>
#include <QTemporaryDir>

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

TEST(Report, TheHeaderSaysWhoCommissionedTheSiteAndTheEndLeavesRoomToSign) {
    netview::ReportData data;
    data.site = QStringLiteral("Plant <A> & B");
    data.technician = QStringLiteral("J. \"Jay\" Park");
    data.notes = QStringLiteral("mast 4\n<north>");
    const QString html = netview::ReportHtml(data, {});
    EXPECT_TRUE(
        html.contains(QStringLiteral("Site: Plant &lt;A&gt; &amp; B<br>Technician: J. &quot;Jay&quot; Park<br>")))
        << html.left(600).toStdString();
    EXPECT_TRUE(html.contains(QStringLiteral("<p>Notes:<br>mast 4<br>&lt;north&gt;</p>")));
    EXPECT_LT(html.indexOf(QStringLiteral("Every value")), html.indexOf(QStringLiteral("Signature: ___")));
    EXPECT_TRUE(html.contains(QStringLiteral("Date: ___")));
    data.notes.clear();
    EXPECT_FALSE(netview::ReportHtml(data, {}).contains(QStringLiteral("Notes:")));
}

TEST(Report, ARepeatersNodeRowsFoldIntoOneLineUnlessOneOfThemIsNotReadOrConfirmed) {
    using network::path::Node;
    using network::path::NodeTable;
    netview::ReportData data;
    const auto add = [&](const std::string& path, const char* value, const char* state) {
        data.rows.push_back(
            {QString::fromStdString(path), QString::fromLatin1(value), {}, QString::fromLatin1(state), {}, false});
    };
    add("gateway / SX1280 A / frequency", "2402000000", "read");
    for (int k : {0, 1}) {
        add(NodeTable(k, 0), "2", "read");
        add(NodeTable(k, 1), k ? "N00201" : "N00101", "read");
        add(NodeTable(k, 2), k ? "N00202" : "N00102", k ? "read" : "written and confirmed");
        add(NodeTable(k, 3), "", "read");
    }
    for (const char* id : {"N00101", "N00102", "N00201", "N00202", "N00999"}) {
        for (int a = 0; a < 2; ++a) add(Node(id, a), "7", "read");
    }
    data.rows.back().state = QStringLiteral("no answer");  // N00999: in no table, listed whatever its state
    const auto cell = [](const std::string& path) {
        return QStringLiteral("<td>%1</td>").arg(QString::fromStdString(path));
    };

    QString html = netview::ReportHtml(data, {});
    for (const char* fold :
         {"<tr><td>repeater 1 / nodes</td><td colspan=\"4\">2 nodes, 8 values: 7 read, 1 written "
          "and confirmed</td></tr>",
          "<tr><td>repeater 2 / nodes</td><td colspan=\"4\">2 nodes, 8 values: all read</td></tr>"}) {
        EXPECT_TRUE(html.contains(QString::fromUtf8(fold))) << fold << "\n" << html.toStdString();
    }
    for (const std::string& gone : {NodeTable(0, 1), NodeTable(1, 0), Node("N00101", 0), Node("N00202", 1)}) {
        EXPECT_FALSE(html.contains(cell(gone))) << gone;
    }
    for (const std::string& kept : {std::string("gateway / SX1280 A / frequency"), Node("N00999", 0)}) {
        EXPECT_TRUE(html.contains(cell(kept))) << kept;
    }

    // A node of repeater 2 unsure, another differing: its node rows are listed in full, repeater 1 stays folded.
    data.rows[13].state = QStringLiteral("differs from plan");
    data.rows[14].state = QStringLiteral("read before the link was lost at 10:02");
    ASSERT_EQ(data.rows[14].path, QString::fromStdString(Node("N00201", 1)));
    html = netview::ReportHtml(data, {});
    EXPECT_TRUE(html.contains(QStringLiteral("<td>repeater 1 / nodes</td>")));
    EXPECT_FALSE(html.contains(QStringLiteral("repeater 2 / nodes")));
    for (const std::string& path : {NodeTable(1, 0), NodeTable(1, 3), Node("N00201", 0), Node("N00202", 1)}) {
        EXPECT_TRUE(html.contains(cell(path))) << path;
    }
    EXPECT_FALSE(html.contains(cell(Node("N00101", 0))));
}

TEST(Report, ThePdfAndThePicturesOfItsPagesComeFromOneLayout) {
    netview::ReportData data;
    for (int i = 0; i < 300; ++i) {
        data.rows.push_back(
            {QStringLiteral("gateway / value %1").arg(i), QStringLiteral("7"), {}, QStringLiteral("read"), {}, false});
    }
    const netview::ReportPages pages(data);
    ASSERT_GT(pages.Count(), 2);
    QTemporaryDir folder;
    const QString pdf = folder.filePath(QStringLiteral("report.pdf"));
    QString error;
    ASSERT_TRUE(netview::WriteReport(data, pdf, &error)) << error.toStdString();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString bytes = QString::fromLatin1(file.readAll());
    EXPECT_EQ(bytes.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))), pages.Count());

    const QImage third = pages.Picture(2, 50);
    EXPECT_EQ(third.size(), QPageSize(QPageSize::A4).sizePixels(50));
    int dark = 0;
    for (int y = 0; y < third.height(); ++y) {
        for (int x = 0; x < third.width(); ++x) dark += qGray(third.pixel(x, y)) < 200;
    }
    EXPECT_GT(dark, 5000) << dark;  // the rows of the table, not a white page
}
