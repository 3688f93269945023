#pragma once

#include <QHostAddress>
#include <QLoggingCategory>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <vector>

class CDataSocket;
class QSocketNotifier;

// Trace lines of the link for developers: off unless
// QT_LOGGING_RULES="veskora.link.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcLink)

// What the socket classes tell their owner. The RF page implements it.
class LinkHandler {
public:
    virtual ~LinkHandler() = default;
    virtual void OnSocketAccept(int errorCode) = 0;
    virtual void OnSocketReceive(CDataSocket* socket, int errorCode) = 0;
    virtual void OnSocketClose(CDataSocket* socket, int errorCode) = 0;
};

// The one data connection to the gateway; forwards its notifications.
class CDataSocket : public QTcpSocket {
    Q_OBJECT

public:
    explicit CDataSocket(LinkHandler* owner);
    ~CDataSocket() override;

    // Connects and waits for the outcome, keeping the window alive meanwhile
    // (a local event loop); false after a refusal, an error or timeoutMs.
    bool ConnectAndWait(const QString& host, quint16 port, int timeoutMs = 10000);

    LinkHandler* m_pDlg;
};

// The listening socket that lets the gateway connect back. Incoming
// connections from the gateway's address wait in it until the owner accepts
// one into a data socket; any other is closed at once, never read.
class CListenSocket : public QTcpServer {
    Q_OBJECT

public:
    // How many connections may wait, as the listen call's backlog says.
    static constexpr int kBacklog = 5;
    // How long accepting pauses when the process has no descriptor left.
    static constexpr int kAcceptPauseMs = 200;

    explicit CListenSocket(LinkHandler* owner);
    ~CListenSocket() override;

    // The only address a connection is taken from: the one the link was made to.
    void SetGatewayAddress(const QHostAddress& address) { m_gateway = address; }

    // Moves the oldest waiting connection into socket; false when none waits.
    bool Accept(CDataSocket* socket);
    bool HasWaiting() const { return !m_waiting.empty(); }
    std::size_t WaitingCount() const { return m_waiting.size(); }

    LinkHandler* m_pDlg;

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Waiting {
        qintptr descriptor;
        std::unique_ptr<QSocketNotifier> notifier;  // tells when the peer gives up waiting
    };
    void WatchWaiting(qintptr descriptor);
    void DropWaiting(std::size_t index);
    void OnWaitingReadable(qintptr descriptor);
    void OnAcceptError(QAbstractSocket::SocketError error);

    std::vector<Waiting> m_waiting;
    QHostAddress m_gateway;
    QTimer m_resume;
};
