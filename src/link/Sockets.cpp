#include "link/Sockets.h"

#include <QEventLoop>
#include <QTimer>

#include <unistd.h>

CDataSocket::CDataSocket(LinkHandler* owner) : m_pDlg(owner) {
    connect(this, &QTcpSocket::readyRead, this, [this] { m_pDlg->OnSocketReceive(this, 0); });
    connect(
        this, &QTcpSocket::disconnected, this, [this] { m_pDlg->OnSocketClose(this, 0); }, Qt::QueuedConnection);
}

CDataSocket::~CDataSocket() {
    disconnect(this, nullptr, this, nullptr);
    abort();
}

bool CDataSocket::ConnectAndWait(const QString& host, quint16 port, int timeoutMs) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool ok = false;
    const auto c1 = connect(this, &QTcpSocket::connected, &loop, [&] {
        ok = true;
        loop.quit();
    });
    const auto c2 = connect(this, &QAbstractSocket::errorOccurred, &loop, [&] { loop.quit(); });
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    connectToHost(host, port);
    if (state() != QAbstractSocket::ConnectedState && state() != QAbstractSocket::UnconnectedState) {
        timer.start(timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    disconnect(c1);
    disconnect(c2);
    ok = ok || state() == QAbstractSocket::ConnectedState;
    if (!ok) abort();
    return ok;
}

CListenSocket::CListenSocket(LinkHandler* owner) : m_pDlg(owner) {}

CListenSocket::~CListenSocket() {
    close();
    for (const qintptr d : m_waiting) ::close(static_cast<int>(d));
}

void CListenSocket::incomingConnection(qintptr descriptor) {
    m_waiting.push_back(descriptor);
    m_pDlg->OnSocketAccept(0);
}

bool CListenSocket::Accept(CDataSocket* socket) {
    if (m_waiting.empty()) return false;
    const qintptr d = m_waiting.front();
    m_waiting.erase(m_waiting.begin());
    if (socket->setSocketDescriptor(d)) return true;
    ::close(static_cast<int>(d));
    return false;
}
