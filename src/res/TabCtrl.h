#pragma once

#include <QWidget>

class QTabBar;

namespace res {

// A tab control whose pages are ordinary children placed by their owner: it
// draws the tabs and the frame and reports selection changes, nothing more.
class TabCtrl : public QWidget {
    Q_OBJECT

public:
    explicit TabCtrl(QWidget* parent = nullptr);

    int InsertItem(int index, const QString& text);
    int GetItemCount() const;
    int GetCurSel() const;
    // Selects a tab without raising SelChange, as a program-made selection.
    void SetCurSel(int index);
    QTabBar* Bar() const { return m_bar; }

signals:
    // The user picked another tab.
    void SelChange();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QTabBar* m_bar;
    bool m_programSelect = false;
};

}  // namespace res
