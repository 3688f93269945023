#include "link/GatewayClient.h"

#include <QEventLoop>

#include "network/SiteState.h"

namespace devlink {
namespace {

constexpr int kFrameWaitMs = 300;

}  // namespace

SocketChannel::SocketChannel() {
    m_frameWait.setSingleShot(true);
    m_frameWait.setInterval(kFrameWaitMs);
    connect(&m_frameWait, &QTimer::timeout, this, [this] {
        if (m_assembler.HasPending()) emit FrameReceived(m_assembler.Flush());
    });
    connect(&m_socket, &QTcpSocket::readyRead, this, &SocketChannel::OnReadyRead);
    connect(&m_socket, &QTcpSocket::connected, this, &Channel::Opened);
    connect(&m_socket, &QTcpSocket::disconnected, this, [this] {
        m_assembler.Discard();
        m_frameWait.stop();
        emit Closed(QStringLiteral("the gateway closed the link"));
    });
}

SocketChannel::~SocketChannel() {
    // The socket's own teardown must not call back into members already gone.
    m_socket.disconnect(this);
    m_socket.abort();
}

bool SocketChannel::Open(const QString& host, quint16 port, int timeoutMs, QString* error) {
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    const auto c1 = connect(&m_socket, &QTcpSocket::connected, &loop, &QEventLoop::quit);
    const auto c2 = connect(&m_socket, &QAbstractSocket::errorOccurred, &loop, &QEventLoop::quit);
    m_socket.connectToHost(host, port);
    if (m_socket.state() != QAbstractSocket::ConnectedState && m_socket.state() != QAbstractSocket::UnconnectedState) {
        timer.start(timeoutMs);
        loop.exec();
    }
    disconnect(c1);
    disconnect(c2);
    if (IsOpen()) return true;
    if (error) {
        *error = m_socket.error() == QAbstractSocket::UnknownSocketError
                     ? QStringLiteral("no connection within %1 ms").arg(timeoutMs)
                     : m_socket.errorString();
    }
    m_socket.abort();
    return false;
}

void SocketChannel::Close() { m_socket.disconnectFromHost(); }

void SocketChannel::Flush(int timeoutMs) {
    while (m_socket.bytesToWrite() > 0 && m_socket.waitForBytesWritten(timeoutMs)) {
    }
}

void SocketChannel::Send(const std::string& line) { m_socket.write(line.data(), static_cast<qint64>(line.size())); }

void SocketChannel::OnReadyRead() {
    const QByteArray bytes = m_socket.readAll();
    for (qsizetype at = 0; at < bytes.size(); at += static_cast<qsizetype>(kReadSize)) {
        const auto n = std::min<qsizetype>(static_cast<qsizetype>(kReadSize), bytes.size() - at);
        for (const std::string& frame :
             m_assembler.Feed(std::string_view(bytes.constData() + at, static_cast<size_t>(n)))) {
            emit FrameReceived(frame);
        }
        if (!m_assembler.HasPending()) {
            m_frameWait.stop();
        } else if (m_assembler.PendingStartedAnew() || !m_frameWait.isActive()) {
            m_frameWait.start();
        }
    }
}

Request ForModule(std::string line, std::string_view code, std::string_view id) {
    return {std::move(line), std::string(code), std::string(id)};
}

GatewayClient::GatewayClient(Channel& channel, QObject* parent) : QObject(parent), m_channel(channel) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_settling) {
            Finish({true, {}, {}});
        } else {
            Finish({false, {}, QStringLiteral("no answer within %1 ms").arg(m_timeoutMs)});
        }
    });
    connect(&m_channel, &Channel::FrameReceived, this, &GatewayClient::OnFrame);
    connect(&m_channel, &Channel::Closed, this, &GatewayClient::OnClosed);
}

void GatewayClient::Submit(Request request, Done done) {
    m_queue.push_back({std::move(request), std::move(done)});
    if (!m_busy) Next();
}

void GatewayClient::Cancel() {
    m_timer.stop();
    m_queue.clear();
    m_current = {};
    m_busy = false;
    m_settling = false;
}

void GatewayClient::Next() {
    while (!m_busy && !m_queue.empty()) {
        m_current = std::move(m_queue.front());
        m_queue.pop_front();
        if (!m_channel.IsOpen()) {
            m_busy = true;
            Finish({false, {}, QStringLiteral("no link to the gateway")});
            continue;
        }
        m_busy = true;
        if (!m_current.request.line.empty()) {
            emit Sending(QString::fromStdString(m_current.request.line).trimmed());
            m_channel.Send(m_current.request.line);
        }
        const Request& request = m_current.request;
        if (request.line.empty() && request.tag != kSettleTag) {
            Finish({true, {}, {}});
        } else if (request.tag.empty() || request.tag == kSettleTag) {
            // A service line has no reply frame, but the gateway may say "$…":
            // the next command waits for that or a moment, so that the two
            // do not arrive as one read.
            m_settling = true;
            m_timer.start(kSettleMs);
        } else {
            m_timer.start(m_timeoutMs);
        }
    }
}

void GatewayClient::Finish(Outcome outcome) {
    m_timer.stop();
    m_busy = false;
    m_settling = false;
    Done done = std::move(m_current.done);
    m_current = {};
    if (done) done(outcome);
    Next();
}

void GatewayClient::OnFrame(const std::string& frame) {
    Reply reply = DecodeReply(frame, false);
    if (m_settling && reply.textMessage) {
        Finish({true, std::move(reply), {}});
        return;
    }
    const Request& wanted = m_current.request;
    const bool answers = m_busy && !wanted.tag.empty() && reply.tag == wanted.tag &&
                         (wanted.id.empty() || network::SameId(reply.moduleId, wanted.id));
    if (!answers) {
        emit Unmatched(reply);
        return;
    }
    Finish({true, std::move(reply), {}});
}

void GatewayClient::OnClosed(const QString& reason) {
    // Everything waiting fails with the same reason; nothing is sent on a closed link.
    const QString why = QStringLiteral("link closed: %1").arg(reason);
    std::deque<Entry> waiting;
    waiting.swap(m_queue);
    if (m_busy) {
        m_timer.stop();
        m_busy = false;
        m_settling = false;
        Done done = std::move(m_current.done);
        m_current = {};
        if (done) done({false, {}, why});
    }
    for (Entry& entry : waiting) {
        if (entry.done) entry.done({false, {}, why});
    }
}

}  // namespace devlink
