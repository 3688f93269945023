#pragma once

#include <QImage>
#include <QString>
#include <memory>
#include <vector>

#include "netview/SiteView.h"

class QPainter;
class QTextDocument;

namespace netview {

struct ReportRow {
    QString path, value, plan, state, time;
    bool key = false;  // a NET key: masked unless the report includes keys
};

struct ReportData {
    QString site;  // the site's name, else the plan's file name
    QString technician;
    QString notes;    // may hold line ends
    QString gateway;  // address:port
    QString when;     // date and time of the report
    std::vector<ReportRow> rows;
    std::vector<ReportRow> open;  // differences left open
    // Values this session wrote: path, value before (in value), after (in plan), state.
    std::vector<ReportRow> changes;
    QImage frequencyPlan;
    // Frequencies shared where they must not be, in words: "2402.000 MHz: a, b".
    std::vector<QString> conflicts;
    // A report is handed over: keys appear only when the technician asks.
    bool includeKeys = false;
};

// How a key appears in a report that does not include keys: whether it is
// set, and its length.
QString MaskedKey(const QString& key);

// The conflicts of a frequency plan in words, one line per shared frequency.
std::vector<QString> ConflictLines(const std::vector<Placement>& placements);

// The commissioning report as HTML; imageSource names the frequency plan's picture.
QString ReportHtml(const ReportData& data, const QString& imageSource);

// The report laid out on A4 pages as its PDF has them: 150 dots per inch,
// 1.5 cm margins, the page's number at its foot. The PDF and the pictures of
// its pages are painted from this one layout.
class ReportPages {
public:
    static constexpr int kDpi = 150;

    explicit ReportPages(const ReportData& data);
    ~ReportPages();
    ReportPages(const ReportPages&) = delete;
    ReportPages& operator=(const ReportPages&) = delete;

    int Count() const;
    // Paints page n (from 0) on a painter whose device has kDpi dots per inch.
    void Paint(QPainter& painter, int n) const;
    // Page n as a picture at dpi dots per inch, on white.
    QImage Picture(int n, int dpi) const;

private:
    std::unique_ptr<QImage> m_device;  // gives the layout its resolution
    std::unique_ptr<QTextDocument> m_document;
};

// Writes the report as PDF to pdfPath and as HTML (the picture inside) beside
// it, with ".html" for the suffix, both the user's alone (0600). False with
// the reason when either fails.
bool WriteReport(const ReportData& data, const QString& pdfPath, QString* error);

}  // namespace netview
