#include "link/Sockets.h"

#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

Q_LOGGING_CATEGORY(lcLink, "veskora.link", QtWarningMsg)

namespace {

// The address at the other end of a raw connected descriptor; null on failure.
QHostAddress PeerOf(qintptr descriptor) {
    sockaddr_storage peer{};
    socklen_t size = sizeof peer;
    if (::getpeername(static_cast<int>(descriptor), reinterpret_cast<sockaddr*>(&peer), &size) != 0) return {};
    return QHostAddress(reinterpret_cast<const sockaddr*>(&peer));
}

bool SameHost(const QHostAddress& a, const QHostAddress& b) {
    return !a.isNull() && a.isEqual(b, QHostAddress::ConvertV4MappedToIPv4);
}

}  // namespace

CDataSocket::CDataSocket(LinkHandler* owner) : m_pDlg(owner) {
    connect(this, &QTcpSocket::readyRead, this, [this] { m_pDlg->OnSocketReceive(this, 0); });
    connect(
        this, &QTcpSocket::disconnected, this, [this] { m_pDlg->OnSocketClose(this, 0); }, Qt::QueuedConnection);
    connect(this, &QAbstractSocket::errorOccurred, this,
            [this] { qCDebug(lcLink) << "data socket:" << errorString(); });
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

CListenSocket::CListenSocket(LinkHandler* owner) : m_pDlg(owner) {
    setListenBacklogSize(kBacklog);
    m_resume.setSingleShot(true);
    m_resume.setInterval(kAcceptPauseMs);
    connect(&m_resume, &QTimer::timeout, this, &QTcpServer::resumeAccepting);
    connect(this, &QTcpServer::acceptError, this, &CListenSocket::OnAcceptError);
}

CListenSocket::~CListenSocket() {
    close();
    while (!m_waiting.empty()) DropWaiting(0);
}

void CListenSocket::incomingConnection(qintptr descriptor) {
    const QHostAddress peer = PeerOf(descriptor);
    if (!SameHost(peer, m_gateway)) {
        qCDebug(lcLink) << "closed a connection from" << peer.toString() << "(not the gateway's address)";
        ::close(static_cast<int>(descriptor));
        return;
    }
    // A full queue makes way for the newest: the gateway's latest connection is the live one.
    if (m_waiting.size() >= static_cast<std::size_t>(kBacklog)) DropWaiting(0);
    WatchWaiting(descriptor);
    m_pDlg->OnSocketAccept(0);
}

void CListenSocket::WatchWaiting(qintptr descriptor) {
    auto notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, [this, descriptor] { OnWaitingReadable(descriptor); });
    m_waiting.push_back({descriptor, std::move(notifier)});
}

void CListenSocket::OnWaitingReadable(qintptr descriptor) {
    for (std::size_t i = 0; i < m_waiting.size(); ++i) {
        if (m_waiting[i].descriptor != descriptor) continue;
        char byte;
        const ssize_t n = ::recv(static_cast<int>(descriptor), &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n > 0) {
            // Bytes wait for whoever accepts it; only a close is of interest now.
            m_waiting[i].notifier->setEnabled(false);
        } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK)) {
            DropWaiting(i);  // the peer gave up waiting
        }
        return;
    }
}

void CListenSocket::DropWaiting(std::size_t index) {
    const qintptr descriptor = m_waiting[index].descriptor;
    m_waiting.erase(m_waiting.begin() + static_cast<std::ptrdiff_t>(index));  // the notifier goes first
    ::close(static_cast<int>(descriptor));
}

void CListenSocket::OnAcceptError(QAbstractSocket::SocketError error) {
    // Out of descriptors, accepting again at once would fail again at once: pause instead of spinning.
    qCDebug(lcLink) << "accept failed:" << error << errorString();
    pauseAccepting();
    m_resume.start();
}

bool CListenSocket::Accept(CDataSocket* socket) {
    if (m_waiting.empty()) return false;
    const qintptr d = m_waiting.front().descriptor;
    m_waiting.erase(m_waiting.begin());
    if (socket->setSocketDescriptor(d)) return true;
    ::close(static_cast<int>(d));
    return false;
}
