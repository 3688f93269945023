#include "app/LinkStatus.h"
#include "res/Readings.h"

#include <QDateTime>

namespace {

QString Bytes(std::int64_t n) {
    if (n < 1024) return QStringLiteral("%1 B").arg(n);
    if (n < std::int64_t{1024} * 1024) return res::Added("%1 KB").arg(static_cast<double>(n) / 1024.0, 0, 'f', 1);
    return res::Added("%1 MB").arg(static_cast<double>(n) / (1024.0 * 1024.0), 0, 'f', 1);
}

}  // namespace

void LinkStatus::SetLink(Link link, const QString& address, quint16 port, std::int64_t now, bool listening) {
    m_listening = listening;
    const bool fresh = (link == Link::Connected || link == Link::ConnectedBack) && link != m_link;
    m_link = link;
    m_address = address;
    m_port = port;
    m_since = now;
    if (fresh || link == Link::NotConnected) m_service = Service::Unknown;
}

void LinkStatus::Received(std::int64_t bytes, std::int64_t now) {
    m_received += bytes;
    m_lastReply = now;
}

QString LinkStatus::LinkText(bool english) const {
    const auto added = [english](const char* text) { return english ? QString::fromUtf8(text) : res::Added(text); };
    switch (m_link) {
        case Link::NotConnected: return added("Not connected");
        case Link::Connected: return added("Connected to %1:%2").arg(m_address).arg(m_port);
        case Link::Lost:
            // Only what is true: nothing waits for the gateway when the port could not be listened on.
            return m_listening ? added("Link lost — waiting for the gateway on port %1").arg(m_port)
                               : added("Link lost — not listening on port %1; Connect links again").arg(m_port);
        case Link::ConnectedBack:
            return added("Gateway connected back from %1 at %2")
                .arg(m_address, QDateTime::fromMSecsSinceEpoch(m_since).toString(QStringLiteral("hh:mm:ss")));
    }
    return {};
}

QString LinkStatus::ServiceText() const {
    switch (m_service) {
        case Service::Running: return res::Added("Service running");
        case Service::Stopped: return res::Added("Service stopped");
        case Service::Unknown: break;
    }
    return m_link == Link::NotConnected ? res::Added("Service: —") : res::Added("Service unknown (new link)");
}

QString LinkStatus::ActivityText(std::int64_t now) const {
    const QString last =
        m_lastReply ? res::Added("last reply %1 s ago").arg((now - m_lastReply) / 1000) : res::Added("no reply yet");
    return res::Added("%1 · sent %2 · received %3").arg(last, Bytes(m_sent), Bytes(m_received));
}
