#pragma once

#include <QObject>
#include <QTimer>

class RFConfigDlg;

// The reconnect option: when the link drops, the RF page connects again
// after 1, 2, 4 … 30 s (the steps grow until one works); a press of the
// page's Connect/Disconnect button, a link that stands again or switching
// the option off cancels the wait.
class Reconnector : public QObject {
    Q_OBJECT

public:
    explicit Reconnector(RFConfigDlg& page, QObject* parent = nullptr);
    void SetEnabled(bool on);
    bool Enabled() const { return m_enabled; }
    // Milliseconds a step's second lasts (1000; tests make it short).
    void SetSecondMs(int ms) { m_secondMs = ms; }
    int Attempts() const { return m_attempt; }
    bool Waiting() const { return m_timer.isActive(); }

signals:
    // A wait before the next attempt has begun; cancelled when seconds is 0.
    void WaitingFor(int seconds, int attempt);

private:
    void OnLinkState(int state);
    void Schedule();
    void Attempt();
    void Cancel();

    RFConfigDlg& m_page;
    QTimer m_timer;
    bool m_enabled = false;
    bool m_dropped = false;
    int m_state = 0;  // the page's last link state
    int m_attempt = 0;
    int m_secondMs = 1000;
};
