#pragma once

#include <QWidget>
#include <vector>

#include "netview/SiteView.h"

namespace netview {

// The frequency plan drawn: one scale per band, every module placed at its
// frequency and labelled; modules that clash are drawn red.
class FrequencyPlanView : public QWidget {
    Q_OBJECT

public:
    explicit FrequencyPlanView(QWidget* parent = nullptr);
    void SetPlacements(std::vector<Placement> placements);
    const std::vector<Placement>& Placements() const { return m_placements; }
    // The drawing at a given size, for the report (whose text is English).
    QImage Render(const QSize& size) const;
    QSize sizeHint() const override { return {600, 220}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Draw(QPainter& painter, const QRect& area, bool english) const;

    std::vector<Placement> m_placements;
};

}  // namespace netview
