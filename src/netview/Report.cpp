#include "netview/Report.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTextFrame>
#include <algorithm>
#include <array>
#include <map>
#include <utility>

#include "res/PrivateFiles.h"

namespace netview {
namespace {

// The head row repeats on each page a table runs over; paths get the room they need to stay on one line.
QString TableHead(bool withTime) {
    const QString item = withTime ? QStringLiteral("35%") : QStringLiteral("40%");
    const QString other = withTime ? QStringLiteral("19%") : QStringLiteral("20%");
    QString html =
        QStringLiteral(
            "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" style=\"font-size: 8pt\">"
            "<thead><tr>"
            "<th align=\"left\" width=\"%1\">Item</th><th align=\"left\" width=\"%2\">Value</th>"
            "<th align=\"left\" width=\"%2\">Plan</th><th align=\"left\">State</th>")
            .arg(item, other);
    if (withTime) html += QStringLiteral("<th align=\"left\">Time</th>");
    return html + QStringLiteral("</tr></thead>");
}

QString Row(const ReportRow& r, bool withTime, bool includeKeys) {
    const bool masked = r.key && !includeKeys;
    const QString value = masked ? MaskedKey(r.value) : r.value;
    const QString plan = masked && !r.plan.isEmpty() ? MaskedKey(r.plan) : r.plan;
    QString html =
        QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td>")
            .arg(r.path.toHtmlEscaped(), value.toHtmlEscaped(), plan.toHtmlEscaped(), r.state.toHtmlEscaped());
    if (withTime) html += QStringLiteral("<td>%1</td>").arg(r.time.toHtmlEscaped());
    return html + QStringLiteral("</tr>");
}

QString Table(const std::vector<ReportRow>& rows, bool withTime, bool includeKeys) {
    QString html = TableHead(withTime);
    for (const ReportRow& r : rows) html += Row(r, withTime, includeKeys);
    return html + QStringLiteral("</table>");
}

// The node rows of one repeater: its node table and the nodes that table names.
struct NodeRows {
    int rows = 0, nodes = 0;
    bool unsure = false;  // a row in a state other than read or confirmed
    std::map<QString, int> states;
    bool shown = false;
};

// The repeater (0-5) whose node table holds the row's path, or -1.
int NodeTableOf(const QString& path) {
    for (int k = 0; k < network::kRepeaters; ++k) {
        if (path.startsWith(QString::fromStdString(network::path::NodeTable(k, 0)).chopped(3))) return k;
    }
    return -1;
}

// Every value, a repeater's node rows folded into one line while all of them
// are read or confirmed: a full site is hundreds of rows that say the same.
QString EveryValueTable(const std::vector<ReportRow>& rows, bool includeKeys) {
    std::map<QString, int> nodeOwners;  // node ID: the repeater whose table names it
    for (const ReportRow& r : rows) {
        const int k = NodeTableOf(r.path);
        if (k >= 0 && !r.value.isEmpty() && !r.path.endsWith(QStringLiteral(" / SNT"))) nodeOwners.emplace(r.value, k);
    }
    const auto ownerOf = [&](const QString& path) {
        if (const int k = NodeTableOf(path); k >= 0 || !path.startsWith(QStringLiteral("node "))) return k;
        const auto owner = nodeOwners.find(path.mid(5, path.indexOf(QStringLiteral(" / ")) - 5));
        return owner == nodeOwners.end() ? -1 : owner->second;
    };
    const QString read = QString::fromLatin1(ShownStateName(ShownState::Read));
    const QString confirmed = QString::fromLatin1(ShownStateName(ShownState::Confirmed));
    std::vector<int> owners;
    owners.reserve(rows.size());
    std::array<NodeRows, network::kRepeaters> groups;
    for (const ReportRow& r : rows) {
        const int k = ownerOf(r.path);
        owners.push_back(k);
        if (k < 0) continue;
        NodeRows& group = groups[static_cast<std::size_t>(k)];
        ++group.rows;
        ++group.states[r.state];
        group.unsure |= r.state != read && r.state != confirmed;
    }
    for (const auto& [id, k] : nodeOwners) ++groups[static_cast<std::size_t>(k)].nodes;

    QString html = TableHead(true);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int k = owners[i];
        if (k < 0 || groups[static_cast<std::size_t>(k)].unsure) {
            html += Row(rows[i], true, includeKeys);
            continue;
        }
        NodeRows& group = groups[static_cast<std::size_t>(k)];
        if (std::exchange(group.shown, true)) continue;
        QStringList counts;
        for (const auto& [state, n] : group.states) counts << QStringLiteral("%1 %2").arg(n).arg(state);
        const QString said = group.states.size() == 1 ? QStringLiteral("all %1").arg(group.states.begin()->first)
                                                      : counts.join(QStringLiteral(", "));
        html += QStringLiteral("<tr><td>repeater %1 / nodes</td><td colspan=\"4\">%2 nodes, %3 values: %4</td></tr>")
                    .arg(k + 1)
                    .arg(group.nodes)
                    .arg(group.rows)
                    .arg(said.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}

// Before → after for each value the session wrote.
QString ChangeTable(const std::vector<ReportRow>& rows, bool includeKeys) {
    QString html = QStringLiteral(
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" style=\"font-size: 8pt\">"
        "<thead><tr><th align=\"left\" width=\"40%\">Item</th><th align=\"left\" width=\"34%\">Before → after</th>"
        "<th align=\"left\">State</th></tr></thead>");
    for (const ReportRow& r : rows) {
        const bool masked = r.key && !includeKeys;
        const QString change =
            QStringLiteral("%1 → %2").arg(masked ? MaskedKey(r.value) : r.value, masked ? MaskedKey(r.plan) : r.plan);
        html += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                    .arg(r.path.toHtmlEscaped(), change.toHtmlEscaped(), r.state.toHtmlEscaped());
    }
    return html + QStringLiteral("</table>");
}

// How many values are in each state, most first: the report's summary.
QString StateCounts(const std::vector<ReportRow>& rows) {
    std::map<QString, int> counts;
    for (const ReportRow& r : rows) ++counts[r.state];
    std::vector<std::pair<QString, int>> ordered(counts.begin(), counts.end());
    std::stable_sort(ordered.begin(), ordered.end(), [](const auto& a, const auto& b) { return a.second > b.second; });
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\">");
    for (const auto& [state, n] : ordered) {
        html += QStringLiteral("<tr><td>%1</td><td align=\"right\">%2</td></tr>").arg(state.toHtmlEscaped()).arg(n);
    }
    return html + QStringLiteral("</table>");
}

}  // namespace

std::vector<QString> ConflictLines(const std::vector<Placement>& placements) {
    std::map<double, QStringList> shared;
    for (const Placement& p : placements) {
        if (p.clash) shared[p.megahertz] << QString::fromStdString(p.label);
    }
    std::vector<QString> lines;
    lines.reserve(shared.size());
    for (const auto& [megahertz, labels] : shared) {
        lines.push_back(QStringLiteral("%1 MHz: %2").arg(megahertz, 0, 'f', 3).arg(labels.join(QStringLiteral(", "))));
    }
    return lines;
}

QString MaskedKey(const QString& key) {
    return key.isEmpty() ? QStringLiteral("not set") : QStringLiteral("set (%1 characters)").arg(key.size());
}

QString ReportHtml(const ReportData& data, const QString& imageSource) {
    QString html = QStringLiteral(
                       "<html><head><meta charset=\"utf-8\"><title>Commissioning report</title></head>"
                       "<body style=\"font-family: sans-serif; font-size: 9pt\">"
                       "<h1>Commissioning report</h1>"
                       "<p>Site: %1<br>Technician: %2<br>Gateway: %3<br>Date: %4<br>%5</p>")
                       .arg(data.site.toHtmlEscaped(), data.technician.toHtmlEscaped(), data.gateway.toHtmlEscaped(),
                            data.when.toHtmlEscaped(),
                            data.includeKeys ? QStringLiteral("Network keys are shown in full.")
                                             : QStringLiteral("Network keys are not shown."));
    if (!data.notes.isEmpty()) {
        html += QStringLiteral("<p>Notes:<br>%1</p>")
                    .arg(data.notes.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
    }
    html += QStringLiteral("<h2>Summary</h2><p>%1 values.</p>").arg(data.rows.size()) + StateCounts(data.rows);
    html += QStringLiteral("<h2>Frequency plan</h2><p><img src=\"%1\" width=\"640\"></p>").arg(imageSource);
    // The drawing marks conflicts in red; the text says them for a reader and a printout.
    html += QStringLiteral("<h3>Frequency conflicts (%1)</h3>").arg(data.conflicts.size());
    if (data.conflicts.empty()) html += QStringLiteral("<p>None.</p>");
    for (const QString& line : data.conflicts) html += QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped());
    html += QStringLiteral("<h2>Changed in this session (%1)</h2>").arg(data.changes.size());
    html += data.changes.empty() ? QStringLiteral("<p>None.</p>") : ChangeTable(data.changes, data.includeKeys);
    html += QStringLiteral("<h2>Differences left open (%1)</h2>").arg(data.open.size());
    html += data.open.empty() ? QStringLiteral("<p>None.</p>") : Table(data.open, false, data.includeKeys);
    // The list of every value starts a page of its own: the first page is the summary a customer reads.
    html += QStringLiteral("<h2 style=\"page-break-before: always\">Every value</h2>") +
            EveryValueTable(data.rows, data.includeKeys);
    // Signed on paper, by the customer who takes the site over.
    html += QStringLiteral(
        "<p style=\"margin-top: 24pt\">Signature: ______________________________ "
        "Date: ________________</p>");
    return html + QStringLiteral("</body></html>");
}

ReportPages::ReportPages(const ReportData& data)
    : m_device(std::make_unique<QImage>(1, 1, QImage::Format_RGB32)), m_document(std::make_unique<QTextDocument>()) {
    const int dotsPerMeter = qRound(kDpi / 0.0254);
    m_device->setDotsPerMeterX(dotsPerMeter);
    m_device->setDotsPerMeterY(dotsPerMeter);
    m_document->documentLayout()->setPaintDevice(m_device.get());
    QFont font = m_document->defaultFont();
    font.setPointSizeF(9);
    m_document->setDefaultFont(font);
    m_document->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("plan.png")), data.frequencyPlan);
    m_document->setHtml(ReportHtml(data, QStringLiteral("plan.png")));
    QTextFrameFormat frame = m_document->rootFrame()->frameFormat();
    frame.setMargin(1.5 / 2.54 * kDpi);
    m_document->rootFrame()->setFrameFormat(frame);
    m_document->setPageSize(QPageSize(QPageSize::A4).sizePixels(kDpi));
}

ReportPages::~ReportPages() = default;

int ReportPages::Count() const { return m_document->pageCount(); }

void ReportPages::Paint(QPainter& painter, int n) const {
    const QSizeF page = m_document->pageSize();
    const QRectF shown(0, n * page.height(), page.width(), page.height());
    painter.save();
    painter.translate(0, -shown.top());
    painter.setClipRect(shown);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = shown;
    m_document->documentLayout()->draw(&painter, context);
    painter.restore();
    // A signed report is taken apart and copied: each page says where it belongs.
    const qreal margin = m_document->rootFrame()->frameFormat().bottomMargin();
    QFont foot = m_document->defaultFont();
    foot.setPixelSize(qRound(9.0 * kDpi / 72));  // 9 points in the layout's dots, whatever the painter's device
    painter.save();
    painter.setFont(foot);
    painter.setPen(Qt::darkGray);
    painter.drawText(QRectF(0, page.height() - margin, page.width(), margin / 2), Qt::AlignCenter,
                     QStringLiteral("Page %1 of %2").arg(n + 1).arg(Count()));
    painter.restore();
}

QImage ReportPages::Picture(int n, int dpi) const {
    const QSizeF page = m_document->pageSize() * dpi / kDpi;
    QImage picture(page.toSize(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    const int dotsPerMeter = qRound(dpi / 0.0254);
    picture.setDotsPerMeterX(dotsPerMeter);
    picture.setDotsPerMeterY(dotsPerMeter);
    {
        QPainter painter(&picture);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        painter.scale(static_cast<qreal>(dpi) / kDpi, static_cast<qreal>(dpi) / kDpi);
        Paint(painter, n);
    }
    return picture;
}

bool WriteReport(const ReportData& data, const QString& pdfPath, QString* error) {
    const ReportPages pages(data);
    const bool pdfWritten = res::SavePrivateFile(
        pdfPath,
        [&](QIODevice& out) {
            QPdfWriter pdf(&out);
            pdf.setPageSize(QPageSize(QPageSize::A4));
            pdf.setPageMargins(QMarginsF());
            pdf.setResolution(ReportPages::kDpi);
            pdf.setTitle(QStringLiteral("Commissioning report"));
            QPainter painter(&pdf);
            for (int n = 0; n < pages.Count(); ++n) {
                if (n > 0 && !pdf.newPage()) return false;
                pages.Paint(painter, n);
            }
            return painter.end() && out.pos() > 0;
        },
        error);
    if (!pdfWritten) return false;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    data.frequencyPlan.save(&buffer, "PNG");
    const QFileInfo info(pdfPath);
    const QString htmlPath = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".html");
    return res::SavePrivateFile(
        htmlPath,
        ReportHtml(data, QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64())).toUtf8(),
        error);
}

}  // namespace netview
