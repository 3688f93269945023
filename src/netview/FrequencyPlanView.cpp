#include "netview/FrequencyPlanView.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

namespace netview {
namespace {

struct Band {
    const char* name;
    bool subGigahertz;
    double low, high;  // MHz shown when no module lies outside
};

constexpr Band kBands[] = {
    {"2.4 GHz band (SX1280)", false, 2400.0, 2483.5},
    {"sub-GHz band (SX1276)", true, 863.0, 928.0},
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
    Draw(painter, image.rect());
    return image;
}

void FrequencyPlanView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    Draw(painter, rect());
}

void FrequencyPlanView::Draw(QPainter& painter, const QRect& area) const {
    painter.setRenderHint(QPainter::Antialiasing);
    const int bandHeight = area.height() / 2;
    const QFontMetrics metrics = painter.fontMetrics();
    for (int b = 0; b < 2; ++b) {
        const Band& band = kBands[b];
        const QRect box(area.left() + 10, area.top() + b * bandHeight, area.width() - 20, bandHeight);
        std::vector<const Placement*> here;
        double low = band.low, high = band.high;
        for (const Placement& p : m_placements) {
            if (p.subGigahertz != band.subGigahertz) continue;
            here.push_back(&p);
            low = std::min(low, p.megahertz);
            high = std::max(high, p.megahertz);
        }
        std::sort(here.begin(), here.end(),
                  [](const Placement* a, const Placement* c) { return a->megahertz < c->megahertz; });
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(box.left(), box.top() + metrics.ascent() + 2, QString::fromLatin1(band.name));
        const int axisY = box.top() + metrics.height() + 12;
        painter.drawLine(box.left(), axisY, box.right(), axisY);
        const auto xOf = [&](double mhz) {
            return box.left() + static_cast<int>((mhz - low) / (high - low) * (box.width() - 1));
        };
        for (const double end : {low, high}) {
            const int x = xOf(end);
            painter.drawLine(x, axisY - 4, x, axisY + 4);
            const QString text = QString::number(end, 'f', 1) + QStringLiteral(" MHz");
            const int w = metrics.horizontalAdvance(text);
            painter.drawText(std::clamp(x - w / 2, box.left(), box.right() - w), axisY - 6, text);
        }
        // Labels step down a line at a time so that neighbours do not overlap.
        int line = 0;
        int lastRight = -1000000;
        for (const Placement* p : here) {
            const int x = xOf(p->megahertz);
            const QString text =
                QString::fromStdString(p->label) + QStringLiteral("  ") + QString::number(p->megahertz, 'f', 3);
            const int w = metrics.horizontalAdvance(text);
            const int left = std::clamp(x - 4, box.left(), box.right() - w);
            line = left <= lastRight ? line + 1 : 0;
            const int rows = std::max(1, (box.bottom() - axisY - 8) / metrics.height());
            line %= rows;
            lastRight = left + w + 6;
            const QColor colour = p->clash ? QColor(200, 30, 30) : QColor(30, 90, 170);
            painter.setPen(colour);
            painter.setBrush(colour);
            painter.drawEllipse(QPoint(x, axisY), 4, 4);
            const int y = axisY + 8 + (line + 1) * metrics.height();
            painter.drawLine(x, axisY + 4, x, y - metrics.ascent());
            painter.drawText(left, y, text + (p->clash ? QStringLiteral("  (shared)") : QString()));
        }
        painter.setBrush(Qt::NoBrush);
    }
}

}  // namespace netview
