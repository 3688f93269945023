#include "app/Reconnector.h"

#include <algorithm>
#include <utility>

#include "rfconfig/RFConfigDlg.h"

Reconnector::Reconnector(RFConfigDlg& page, QObject* parent) : QObject(parent), m_page(page) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &Reconnector::Attempt);
    connect(&m_page, &RFConfigDlg::LinkStateChanged, this,
            [this](RFConfigDlg::LinkState state) { OnLinkState(static_cast<int>(state)); });
}

void Reconnector::SetEnabled(bool on) {
    m_enabled = on;
    if (!on) {
        Cancel();
    } else if (m_dropped && !m_timer.isActive()) {
        Schedule();
    }
}

void Reconnector::OnLinkState(int state) {
    using S = RFConfigDlg::LinkState;
    const int before = std::exchange(m_state, state);
    // A press of Connect/Disconnect while the link is down is the technician taking over.
    if (state == static_cast<int>(S::DroppedAfterPress) && before == static_cast<int>(S::Dropped)) {
        m_dropped = false;
        Cancel();
        return;
    }
    m_dropped = state == static_cast<int>(S::Dropped) || state == static_cast<int>(S::DroppedAfterPress);
    if (m_dropped) {
        if (m_enabled && !m_timer.isActive()) Schedule();
        return;
    }
    // A link again, or Disconnect: nothing to wait for.
    Cancel();
}

void Reconnector::Schedule() {
    const int seconds = std::min(30, 1 << std::min(m_attempt, 5));
    ++m_attempt;
    m_timer.start(seconds * m_secondMs);
    emit WaitingFor(seconds, m_attempt);
}

void Reconnector::Attempt() {
    if (!m_enabled || !m_dropped) return;
    m_page.Redial([this](bool linked) {
        if (!linked && m_enabled && m_dropped && !m_timer.isActive()) Schedule();
    });
}

void Reconnector::Cancel() {
    const bool wasWaiting = m_timer.isActive();
    m_timer.stop();
    m_attempt = 0;
    if (wasWaiting) emit WaitingFor(0, 0);
}
