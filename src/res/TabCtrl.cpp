#include "res/TabCtrl.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

namespace res {
namespace {
// Tabs stay within the top 22 pixels: the pages start 25 pixels down.
constexpr int kTabBarHeight = 22;
}  // namespace

TabCtrl::TabCtrl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this)) {
    m_bar->setDrawBase(false);
    m_bar->setExpanding(false);
    m_bar->setFixedHeight(kTabBarHeight);
    m_bar->move(2, 0);
    connect(m_bar, &QTabBar::currentChanged, this, [this](int) {
        if (!m_programSelect) emit SelChange();
    });
}

int TabCtrl::InsertItem(int index, const QString& text) {
    m_programSelect = true;
    const int at = m_bar->insertTab(index, text);
    m_programSelect = false;
    return at;
}

int TabCtrl::GetItemCount() const { return m_bar->count(); }

int TabCtrl::GetCurSel() const { return m_bar->currentIndex(); }

void TabCtrl::SetCurSel(int index) {
    m_programSelect = true;
    m_bar->setCurrentIndex(index);
    m_programSelect = false;
}

void TabCtrl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QStyleOptionTabWidgetFrame frame;
    frame.initFrom(this);
    frame.rect = rect().adjusted(0, kTabBarHeight - 1, 0, 0);
    frame.shape = QTabBar::RoundedNorth;
    frame.tabBarSize = m_bar->size();
    frame.tabBarRect = m_bar->geometry();
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &frame, &painter, this);
}

void TabCtrl::resizeEvent(QResizeEvent*) { m_bar->resize(width() - 4, kTabBarHeight); }

}  // namespace res
