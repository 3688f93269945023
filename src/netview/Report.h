#pragma once

#include <QImage>
#include <QString>
#include <vector>

#include "netview/SiteView.h"

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

// Writes the report as PDF to pdfPath and as HTML (the picture inside) beside
// it, with ".html" for the suffix, both the user's alone (0600). False with
// the reason when either fails.
bool WriteReport(const ReportData& data, const QString& pdfPath, QString* error);

}  // namespace netview
