#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <vector>

class CDataSocket;

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
// connections wait in it until the owner accepts one into a data socket.
class CListenSocket : public QTcpServer {
    Q_OBJECT

public:
    explicit CListenSocket(LinkHandler* owner);
    ~CListenSocket() override;

    // Moves the oldest waiting connection into socket; false when none waits.
    bool Accept(CDataSocket* socket);
    bool HasWaiting() const { return !m_waiting.empty(); }

    LinkHandler* m_pDlg;

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    std::vector<qintptr> m_waiting;
};
