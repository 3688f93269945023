#pragma once

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QTest>

// Clicks an option in a combo box's open list with the mouse and waits for
// the list to close; false if the option is not there or the list stays.
inline bool PickFromOpenList(QComboBox* combo, int index) {
    if (index < 0 || index >= combo->count()) return false;
    QAbstractItemView* view = combo->view();
    const QPoint at = view->visualRect(view->model()->index(index, 0)).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    return QTest::qWaitFor([] { return !QApplication::activePopupWidget(); }, 2000);
}

// Makes a window active again once a list has closed, as a desktop does (the
// offscreen platform leaves no window active).
inline bool Reactivate(QWidget* window) {
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}
