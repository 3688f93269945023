#pragma once

#include <QStatusBar>
#include <QTimer>
#include <functional>

#include "app/LinkStatus.h"
#include "app/SessionLog.h"
#include "network/Clock.h"

class QLabel;
class RFConfigDlg;

// The main window's status bar: the link, the service, the time since the
// last reply and the bytes each way, kept from the RF page's signals; and
// the session log file, which gets every entry the page's log box gets.
class StatusBar : public QStatusBar {
    Q_OBJECT

public:
    using Clock = network::Clock;
    // The log box keeps this much once the session log holds every entry.
    static constexpr qsizetype kLogBoxLimit = qsizetype{16} * 1024 * 1024;

    StatusBar(RFConfigDlg& page, QWidget* parent);
    void SetClock(Clock clock) { m_clock = std::move(clock); }
    // Starts the session log in folder; the log box is limited once it runs.
    void StartSessionLog(const QString& folder);
    // Once the page's controls exist: a failed connect adds its address and
    // reason here, beside the page's own message.
    void WatchConnect();
    void Refresh();
    // A line about the link for the session log file only (the log box keeps its own entries).
    void LogLinkEvent(const QString& text);

    const LinkStatus& Status() const { return m_status; }
    const SessionLog& Log() const { return m_log; }
    QString LinkLabel() const;
    QString ServiceLabel() const;
    QString ActivityLabel() const;

private:
    void OnLinkState(int state);

    RFConfigDlg& m_page;
    Clock m_clock;
    LinkStatus m_status;
    SessionLog m_log;
    bool m_logFailureShown = false;
    bool m_connectedBeforePress = false;
    QTimer m_tick;
    QLabel* m_link = nullptr;
    QLabel* m_service = nullptr;
    QLabel* m_activity = nullptr;
};
