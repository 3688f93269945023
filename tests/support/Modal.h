#pragma once

#include <QApplication>
#include <QTimer>
#include <functional>

// Runs open(), which starts a modal loop, and calls handle() with the modal
// widget once it is up; handle() must end that loop. Returns false when no
// modal widget appeared within timeoutMs (handle() is then not called, and the
// first modal widget found later, if any, is closed to unblock the test).
inline bool WithModal(const std::function<void()>& open, const std::function<void(QWidget*)>& handle,
                      int timeoutMs = 3000) {
    bool seen = false;
    QWidget* const before = QApplication::activeModalWidget();
    QTimer poll;
    poll.setInterval(10);
    int waited = 0;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != before) {
            poll.stop();
            seen = true;
            handle(modal);
        } else if ((waited += 10) > timeoutMs) {
            poll.stop();
        }
    });
    poll.start();
    open();
    poll.stop();
    return seen;
}
