#include "netview/Report.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace netview {
namespace {

QString Table(const std::vector<ReportRow>& rows, bool withTime) {
    QString html = QStringLiteral(
        "<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\">"
        "<tr><th align=\"left\">Item</th><th align=\"left\">Value</th><th align=\"left\">Plan</th>"
        "<th align=\"left\">State</th>");
    if (withTime) html += QStringLiteral("<th align=\"left\">Time</th>");
    html += QStringLiteral("</tr>");
    for (const ReportRow& r : rows) {
        html +=
            QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td><td>%4</td>")
                .arg(r.path.toHtmlEscaped(), r.value.toHtmlEscaped(), r.plan.toHtmlEscaped(), r.state.toHtmlEscaped());
        if (withTime) html += QStringLiteral("<td>%1</td>").arg(r.time.toHtmlEscaped());
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

}  // namespace

QString ReportHtml(const ReportData& data, const QString& imageSource) {
    QString html = QStringLiteral(
                       "<html><head><meta charset=\"utf-8\"><title>Commissioning report</title></head>"
                       "<body style=\"font-family: sans-serif; font-size: 9pt\">"
                       "<h1>Commissioning report</h1>"
                       "<p>Site: %1<br>Gateway: %2<br>Date: %3</p>")
                       .arg(data.site.toHtmlEscaped(), data.gateway.toHtmlEscaped(), data.when.toHtmlEscaped());
    html += QStringLiteral("<h2>Frequency plan</h2><p><img src=\"%1\" width=\"640\"></p>").arg(imageSource);
    html += QStringLiteral("<h2>Differences left open (%1)</h2>").arg(data.open.size());
    html += data.open.empty() ? QStringLiteral("<p>None.</p>") : Table(data.open, false);
    html += QStringLiteral("<h2>Every value</h2>") + Table(data.rows, true);
    return html + QStringLiteral("</body></html>");
}

bool WriteReport(const ReportData& data, const QString& pdfPath, QString* error) {
    QTextDocument document;
    document.addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("plan.png")), data.frequencyPlan);
    document.setHtml(ReportHtml(data, QStringLiteral("plan.png")));
    {
        QPdfWriter pdf(pdfPath);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setResolution(150);
        pdf.setTitle(QStringLiteral("Commissioning report"));
        document.print(&pdf);
    }
    if (!QFileInfo(pdfPath).isFile() || QFileInfo(pdfPath).size() == 0) {
        if (error) *error = QStringLiteral("cannot write %1").arg(pdfPath);
        return false;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    data.frequencyPlan.save(&buffer, "PNG");
    const QFileInfo info(pdfPath);
    const QString htmlPath = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".html");
    QSaveFile html(htmlPath);
    if (!html.open(QIODevice::WriteOnly) ||
        html.write(
            ReportHtml(data, QStringLiteral("data:image/png;base64,") + QString::fromLatin1(png.toBase64())).toUtf8()) <
            0 ||
        !html.commit()) {
        if (error) *error = QStringLiteral("cannot write %1: %2").arg(htmlPath, html.errorString());
        return false;
    }
    return true;
}

}  // namespace netview
