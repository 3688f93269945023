#pragma once

// User input made as a user makes it: windows activated, keys typed one by one.

#include <QTest>
#include <QWidget>

// Shows a top-level widget and makes it the active window, so that focus and
// typed keys reach it as they would on a desktop.
inline bool ShowActive(QWidget& widget) {
    widget.show();
    QApplication::setActiveWindow(&widget);
    return QTest::qWaitForWindowActive(&widget);
}

// Types text key by key into whichever widget has the focus at each key, as
// a user's keyboard does.
inline void TypeIntoFocus(const QString& text) {
    for (const QChar c : text) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus) return;
        if (c.unicode() < 0x80) {
            QTest::keyClicks(focus, QString(c));
        } else {
            // No key of its own (Korean from an input method): a key event carrying the text.
            QTest::sendKeyEvent(QTest::Click, focus, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// Presses a key on the widget with the focus; false when nothing has it.
inline bool PressKey(Qt::Key key) {
    QWidget* focus = QApplication::focusWidget();
    if (!focus) return false;
    QTest::keyClick(focus, key);
    return true;
}
