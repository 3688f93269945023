#include "netview/FrequencyPlanView.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <map>

#include "res/Readings.h"

namespace netview {
namespace {

struct Band {
    bool subGigahertz;  // the SX1276 band, else the SX1280's
    double low, high;   // MHz shown when no module lies outside
};

constexpr Band kBands[] = {
    {false, 2400.0, 2483.5},
    {true, 863.0, 928.0},
};

}  // namespace

FrequencyPlanView::FrequencyPlanView(QWidget* parent) : QWidget(parent) { setMinimumHeight(180); }

void FrequencyPlanView::SetPlacements(std::vector<Placement> placements) {
    m_placements = std::move(placements);
    update();
}

QImage FrequencyPlanView::Render(const QSize& size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    Draw(painter, image.rect(), true);
    return image;
}

void FrequencyPlanView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    Draw(painter, rect(), false);
}

void FrequencyPlanView::Draw(QPainter& painter, const QRect& area, bool english) const {
    const auto added = [english](const char* text) { return english ? QString::fromUtf8(text) : res::Added(text); };
    painter.setRenderHint(QPainter::Antialiasing);
    const int bandHeight = area.height() / 2;
    const QFontMetrics metrics = painter.fontMetrics();
    const QColor text = palette().color(QPalette::Text);
    for (int b = 0; b < 2; ++b) {
        const Band& band = kBands[b];
        const QRect box(area.left() + 10, area.top() + b * bandHeight + 2, area.width() - 20, bandHeight - 4);
        // Modules at one frequency share one mark and one label.
        std::map<double, std::vector<const Placement*>> marks;
        for (const Placement& p : m_placements) {
            if (p.subGigahertz == band.subGigahertz) marks[p.megahertz].push_back(&p);
        }
        // The scale spans the modules with a margin, or the whole band without any.
        double low = band.low, high = band.high;
        if (!marks.empty()) {
            const double first = marks.begin()->first, last = marks.rbegin()->first;
            const double margin = std::max(1.0, 0.08 * (last - first));
            low = first - margin;
            high = last + margin;
        }
        painter.setPen(text);
        const int titleY = box.top() + metrics.ascent();
        painter.drawText(box.left(), titleY,
                         band.subGigahertz ? added("sub-GHz band (SX1276)") : added("2.4 GHz band (SX1280)"));
        const int axisY = titleY + metrics.descent() + 10;
        painter.drawLine(box.left(), axisY, box.right(), axisY);
        const auto xOf = [&](double mhz) {
            return box.left() + static_cast<int>((mhz - low) / (high - low) * (box.width() - 1));
        };
        // The scale's ends, right of the title.
        const QString ends =
            QStringLiteral("%1 – %2 MHz").arg(QString::number(low, 'f', 1), QString::number(high, 'f', 1));
        painter.drawText(box.right() - metrics.horizontalAdvance(ends), titleY, ends);

        // Each label takes the first row where it overlaps no other; past the last row only the mark is drawn.
        const int rows = std::max(1, (box.bottom() - axisY - 4) / metrics.height());
        std::vector<int> rowEnd(static_cast<std::size_t>(rows), box.left() - 1000);
        for (const auto& [mhz, modules] : marks) {
            const int x = xOf(mhz);
            const bool clash = std::any_of(modules.begin(), modules.end(), [](const Placement* p) { return p->clash; });
            const QColor colour = clash ? QColor(200, 30, 30) : QColor(30, 90, 170);
            painter.setPen(colour);
            painter.setBrush(colour);
            painter.drawEllipse(QPoint(x, axisY), 4, 4);
            QString label = QString::number(mhz, 'f', 3) + QStringLiteral(" MHz: ");
            label += modules.size() == 1 ? QString::fromStdString(modules.front()->label)
                                         : added("%1 modules").arg(modules.size());
            if (clash) label += QLatin1Char(' ') + added("(shared where it must not be)");
            const int w = metrics.horizontalAdvance(label);
            const int left = std::clamp(x - 4, box.left(), std::max(box.left(), box.right() - w));
            for (int r = 0; r < rows; ++r) {
                if (left <= rowEnd[static_cast<std::size_t>(r)]) continue;
                rowEnd[static_cast<std::size_t>(r)] = left + w + 8;
                const int y = axisY + 6 + (r + 1) * metrics.height();
                painter.setPen(QColor(190, 190, 190));
                painter.drawLine(x, axisY + 4, x, y - metrics.ascent());
                painter.setPen(colour);
                painter.drawText(left, y, label);
                break;
            }
        }
        painter.setBrush(Qt::NoBrush);
    }
}

}  // namespace netview
