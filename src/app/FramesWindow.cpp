#include "app/FramesWindow.h"

#include <QDateTime>
#include <QHeaderView>
#include <QSplitter>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include "res/Readings.h"
#include "rfconfig/RFConfigDlg.h"

namespace {

enum Column { kTime, kDirection, kTag, kId, kValues, kWarnings, kColumns };

QString Join(const network::FrameInfo& info) {
    QStringList parts;
    for (const auto& [name, value] : info.values) {
        parts << QString::fromStdString(name) + QLatin1Char('=') + QString::fromStdString(value);
    }
    return parts.join(QStringLiteral("  "));
}

const char* SpanColour(network::ByteSpan::Kind kind) {
    switch (kind) {
        case network::ByteSpan::Header: return "#e8e8e8";
        case network::ByteSpan::LengthByte: return "#ffd28a";
        case network::ByteSpan::Tag: return "#a8d8ff";
        case network::ByteSpan::Id: return "#c8f0c0";
        case network::ByteSpan::Payload: return "#fff6c8";
        case network::ByteSpan::Beyond: return "#f4c0c0";
    }
    return "#ffffff";
}

}  // namespace

FramesWindow::FramesWindow(RFConfigDlg& page, QWidget* parent)
    : QWidget(parent, Qt::Window), m_clock(network::SystemNow) {
    setWindowTitle(res::Added("Decoded frames"));
    resize(1000, 600);
    auto* layout = new QVBoxLayout(this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    m_table = new QTableWidget(0, kColumns, splitter);
    m_table->setAccessibleName(res::Added("Frames"));
    m_table->setHorizontalHeaderLabels({res::Added("Time"), res::Added("Dir"), res::Added("Tag"), res::Added("ID"),
                                        res::Added("Values"), res::Added("Warnings")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setColumnWidth(kValues, 420);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_bytes = new QTextEdit(splitter);
    m_bytes->setAccessibleName(res::Added("Bytes of the selected frame"));
    m_bytes->setReadOnly(true);
    layout->addWidget(splitter);
    connect(m_table, &QTableWidget::currentCellChanged, this, [this](int row) { ShowBytes(row); });

    connect(&page, &RFConfigDlg::CommandSent, this, [this](int, const std::string& line, bool sent) {
        network::FrameInfo info = network::DescribeCommand(line);
        if (!sent) info.warnings.emplace_back("not sent: no connection to the gateway");
        Add(line, std::move(info));
    });
    connect(&page.Link(), &devlink::GatewayLink::FrameDecoded, this, [this](const devlink::Received& received) {
        Add(received.frame, network::DescribeReply(received.frame, received.reply, received.givenUp));
    });
}

void FramesWindow::Add(std::string bytes, network::FrameInfo info) {
    if (static_cast<int>(m_entries.size()) >= kRowsKept) {
        m_entries.pop_front();
        m_table->removeRow(0);
    }
    const int row = m_table->rowCount();
    m_table->insertRow(row);
    const QString cells[kColumns] = {
        QDateTime::fromMSecsSinceEpoch(m_clock()).toString(QStringLiteral("hh:mm:ss.zzz")),
        info.outgoing ? res::Added("→ sent") : res::Added("← received"),
        QString::fromStdString(info.tag),
        QString::fromStdString(info.id),
        Join(info),
        QString::fromStdString([&] {
            std::string w;
            for (const std::string& s : info.warnings) w += (w.empty() ? "" : "; ") + s;
            return w;
        }()),
    };
    for (int c = 0; c < kColumns; ++c) {
        auto* item = new QTableWidgetItem(cells[c]);
        if (!info.warnings.empty()) item->setBackground(QColor(255, 236, 214));
        m_table->setItem(row, c, item);
    }
    m_entries.push_back({std::move(bytes), std::move(info)});
}

void FramesWindow::ShowBytes(int row) {
    if (row < 0 || row >= static_cast<int>(m_entries.size())) {
        m_bytes->clear();
        return;
    }
    const Entry& e = m_entries[static_cast<std::size_t>(row)];
    // Sixteen bytes a line: offset, hex, ASCII; each byte tinted by the part it belongs to.
    const auto colourAt = [&](std::size_t i) -> const char* {
        for (const network::ByteSpan& s : e.info.spans) {
            if (i >= s.offset && i < s.offset + s.length) return SpanColour(s.kind);
        }
        return "#ffffff";
    };
    QString html = QStringLiteral("<pre style=\"font-family: monospace\">");
    for (std::size_t line = 0; line < e.bytes.size(); line += 16) {
        html += QStringLiteral("%1  ").arg(line, 4, 16, QLatin1Char('0'));
        QString ascii;
        for (std::size_t i = line; i < line + 16; ++i) {
            if (i >= e.bytes.size()) {
                html += QStringLiteral("   ");
                continue;
            }
            const auto b = static_cast<unsigned char>(e.bytes[i]);
            const QString bg = QString::fromLatin1(colourAt(i));
            html += QStringLiteral("<span style=\"background:%1\">%2</span> ").arg(bg).arg(b, 2, 16, QLatin1Char('0'));
            const QChar c = (b >= 0x20 && b < 0x7F) ? QChar(static_cast<char16_t>(b)) : QChar(u'.');
            ascii += QStringLiteral("<span style=\"background:%1\">%2</span>").arg(bg, QString(c).toHtmlEscaped());
        }
        html += QStringLiteral(" ") + ascii + QLatin1Char('\n');
    }
    // The legend, in the kinds' own colours.
    html += QStringLiteral("</pre><p>");
    const std::pair<network::ByteSpan::Kind, QString> legend[] = {
        {network::ByteSpan::Header, res::Added("header")},
        {network::ByteSpan::LengthByte, res::Added("length byte")},
        {network::ByteSpan::Tag, res::Added("tag")},
        {network::ByteSpan::Id, res::Added("ID")},
        {network::ByteSpan::Payload, res::Added("payload")},
        {network::ByteSpan::Beyond, res::Added("past the length")}};
    for (const auto& [kind, name] : legend) {
        html += QStringLiteral("<span style=\"background:%1\">%2</span> ")
                    .arg(QString::fromLatin1(SpanColour(kind)), name.toHtmlEscaped());
    }
    html += QStringLiteral("</p>");
    m_bytes->setHtml(html);
}

int FramesWindow::Rows() const { return m_table->rowCount(); }
QString FramesWindow::Cell(int row, int column) const {
    const QTableWidgetItem* item = m_table->item(row, column);
    return item ? item->text() : QString();
}
void FramesWindow::Select(int row) { m_table->setCurrentCell(row, 0); }
QString FramesWindow::BytesText() const { return m_bytes->toPlainText(); }
