#pragma once

#include <QApplication>
#include <QStyle>
#include <QTest>

#include "res/ListCtrl.h"

// Mouse actions on a list as a user makes them, at a cell's visible place.

inline QPoint CellCenter(const res::ListCtrl* list, int row, int column) {
    return list->visualRect(list->model()->index(row, column)).center();
}

inline void ClickCell(res::ListCtrl* list, int row, int column) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CellCenter(list, row, column));
}

// Press, release, double-click, release: what a mouse sends for a double-click.
inline void DoubleClickCell(res::ListCtrl* list, int row, int column) {
    const QPoint at = CellCenter(list, row, column);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
}

// A point in the empty area under the last row (the list must have room there).
inline QPoint BelowRows(const res::ListCtrl* list) {
    const QRect last = list->visualRect(list->model()->index(list->rowCount() - 1, 0));
    return {last.center().x(), last.bottom() + 6};
}

// Clicks the check box at the start of a row's first cell.
inline void ClickCheckBox(res::ListCtrl* list, int row) {
    const QRect cell = list->visualRect(list->model()->index(row, 0));
    const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1;
    const int indicator = list->style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, list);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(cell.left() + margin + indicator / 2, cell.center().y()));
}
