#pragma once

#include <QString>
#include <cstdint>

// What the status bar says of the link, from what happened on it. Plain
// logic: time comes in as milliseconds since the epoch.
class LinkStatus {
public:
    enum class Link { NotConnected, Connected, Lost, ConnectedBack };
    enum class Service { Unknown, Running, Stopped };

    // A new link (connected or connected back) leaves the service unknown.
    // listening: after a loss, whether the page listens for the gateway on port.
    void SetLink(Link link, const QString& address, quint16 port, std::int64_t now, bool listening = true);
    // The service lines this program sent.
    void SetService(Service service) { m_service = service; }
    void Sent(std::int64_t bytes) { m_sent += bytes; }
    void Received(std::int64_t bytes, std::int64_t now);

    Link CurrentLink() const { return m_link; }
    Service CurrentService() const { return m_service; }
    // english: for the session log, which reads the same in either language.
    QString LinkText(bool english = false) const;
    QString ServiceText() const;
    // "last reply 3 s ago · sent 1.2 KB · received 14.8 KB"
    QString ActivityText(std::int64_t now) const;

private:
    Link m_link = Link::NotConnected;
    Service m_service = Service::Unknown;
    QString m_address;
    quint16 m_port = 0;
    bool m_listening = true;
    std::int64_t m_since = 0;
    std::int64_t m_lastReply = 0;
    std::int64_t m_sent = 0, m_received = 0;
};
