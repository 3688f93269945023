#include <gtest/gtest.h>

#include "netview/FileNames.h"

TEST(FileNames, DialogsStartInTheIdFolderWithADatedNameAndAReportEndsInPdf) {
    const QDateTime now(QDate(2026, 12, 8), QTime(11, 51, 30));
    const QString folder = QStringLiteral("/home/t/Documents/Brenholt/Veskora/");
    EXPECT_EQ(netview::SuggestedPath(folder, QStringLiteral("Network files (*.xml)"), true, now),
              folder + QStringLiteral("site-20261208-1151.xml"));
    EXPECT_EQ(netview::SuggestedPath(folder, QStringLiteral("PDF documents (*.pdf)"), true, now),
              folder + QStringLiteral("report-20261208-1151.pdf"));
    EXPECT_EQ(netview::SuggestedPath(folder, QStringLiteral("Network files (*.xml)"), false, now), folder);

    const std::pair<const char*, const char*> suffixed[] = {
        {"/d/report", "/d/report.pdf"},
        {"/d/report.PDF", "/d/report.PDF"},
        {"/d/report.html", "/d/report.html.pdf"},
        {"/d/site.v2/report", "/d/site.v2/report.pdf"},
    };
    for (const auto& [chosen, written] : suffixed) {
        EXPECT_EQ(netview::WithSuffix(QString::fromUtf8(chosen), QStringLiteral("pdf")), QString::fromUtf8(written));
    }
}
