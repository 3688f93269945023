#include "link/GatewayClient.h"

#include <QEventLoop>

#include "network/Site.h"
#include "network/SiteState.h"

namespace devlink {
namespace {

constexpr int kFrameWaitMs = 300;

}  // namespace

SocketChannel::SocketChannel() {
    m_frameWait.setSingleShot(true);
    m_frameWait.setInterval(kFrameWaitMs);
    connect(&m_frameWait, &QTimer::timeout, this, [this] {
        if (m_assembler.HasPending()) Deliver(m_assembler.Flush());
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

void SocketChannel::Deliver(const std::string& frame) { emit ReplyReceived(DecodeReply(frame, false), frame); }

void SocketChannel::OnReadyRead() {
    const QByteArray bytes = m_socket.readAll();
    for (qsizetype at = 0; at < bytes.size(); at += static_cast<qsizetype>(kReadSize)) {
        const auto n = std::min<qsizetype>(static_cast<qsizetype>(kReadSize), bytes.size() - at);
        for (const std::string& frame :
             m_assembler.Feed(std::string_view(bytes.constData() + at, static_cast<size_t>(n)))) {
            Deliver(frame);
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

Request ReadBackOf(std::string line, std::string_view code, std::string_view id) {
    Request request = ForModule(std::move(line), code, id);
    request.confirms = true;
    return request;
}

GatewayClient::GatewayClient(Channel& channel, QObject* parent) : QObject(parent), m_channel(channel) {
    m_clock.start();
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_holding) {
            Finish({true, std::move(m_held), {}});
        } else if (m_settling) {
            Finish({true, {}, {}});
        } else {
            // Its answer may still come, later than anyone waits for it.
            m_modules[KeyOf(m_current.request.tag, m_current.request.id)].owedSince = m_clock.elapsed();
            Finish({false, {}, QStringLiteral("no answer within %1 ms").arg(m_timeoutMs)});
        }
    });
    m_gate.setSingleShot(true);
    connect(&m_gate, &QTimer::timeout, this, &GatewayClient::Next);
    connect(&m_channel, &Channel::ReplyReceived, this, &GatewayClient::OnReply);
    connect(&m_channel, &Channel::Opened, this, &GatewayClient::OnOpened);
    connect(&m_channel, &Channel::Closed, this, &GatewayClient::OnClosed);
    OnOpened();
}

std::string GatewayClient::KeyOf(std::string_view tag, std::string_view id) {
    return std::string(tag) + ' ' + UpperNarrow(id);
}

void GatewayClient::Submit(Request request, Done done) {
    m_queue.push_back({std::move(request), std::move(done)});
    if (!m_busy) Next();
}

void GatewayClient::SubmitNext(Request request, Done done) {
    m_queue.push_front({std::move(request), std::move(done)});
    if (!m_busy) Next();
}

void GatewayClient::Cancel() {
    m_timer.stop();
    m_gate.stop();
    m_gateSince = -1;
    m_queue.clear();
    m_current = {};
    m_busy = false;
    m_settling = false;
    m_holding = false;
}

qint64 GatewayClient::GateWait(const Request& request) {
    if (request.line.empty() || request.tag.empty() || request.tag == kSettleTag) return 0;
    const qint64 now = m_clock.elapsed();
    qint64 wait = 0;
    // Whatever the gateway says on its own after the link opens must pass first.
    if (!m_settled) {
        if (now - m_quietFrom >= m_quietMs) {
            m_settled = true;
        } else {
            wait = m_quietMs - (now - m_quietFrom);
        }
    }
    Module& module = m_modules[KeyOf(request.tag, request.id)];
    // A late answer to an earlier request for this module would answer this one.
    if (module.owedSince >= 0) {
        if (now - module.owedSince >= m_timeoutMs) {
            module.owedSince = -1;
        } else {
            wait = std::max(wait, m_timeoutMs - (now - module.owedSince));
        }
    }
    // An answer for it came moments ago: a repeat of it may still be on its way.
    if (module.lastFrame >= 0 && now - module.lastFrame < m_quietMs) {
        wait = std::max(wait, m_quietMs - (now - module.lastFrame));
    }
    if (wait == 0) return 0;
    if (m_gateSince < 0) m_gateSince = now;
    // A link that never falls quiet must not hold the queue for ever: the
    // request goes out, and a read-back on it cannot confirm.
    if (now - m_gateSince >= m_timeoutMs + m_quietMs) return -1;
    return wait;
}

void GatewayClient::Next() {
    while (!m_busy && !m_queue.empty()) {
        if (!m_channel.IsOpen()) {
            m_current = std::move(m_queue.front());
            m_queue.pop_front();
            m_busy = true;
            Finish({false, {}, QStringLiteral("no link to the gateway")});
            continue;
        }
        const qint64 wait = GateWait(m_queue.front().request);
        if (wait > 0) {
            m_gate.start(static_cast<int>(wait));
            return;
        }
        m_gate.stop();
        m_gateSince = -1;
        m_unquiet = wait < 0;
        m_current = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        const Request& request = m_current.request;
        if (request.line.empty() && !request.tag.empty() && request.tag != kSettleTag) {
            // The builders refused the line: a value held a control byte.
            Finish({false, {}, QStringLiteral("not sent: a value or ID holds a control character")});
            continue;
        }
        if (!request.line.empty()) {
            emit Sending(QString::fromStdString(request.line).trimmed());
            m_channel.Send(request.line);
        }
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
    m_holding = false;
    Done done = std::move(m_current.done);
    m_current = {};
    if (done) done(outcome);
    Next();
}

void GatewayClient::OnReply(Reply reply) {
    const qint64 now = m_clock.elapsed();
    if (!m_settled) m_quietFrom = now;
    Module* module = nullptr;
    if (!reply.textMessage && !reply.tag.empty()) {
        if (m_modules.size() >= kModulesKept) {
            // A flood of IDs must not grow memory for ever: modules that owe no late answer are
            // forgotten, but for the one asked now.
            const std::string asked = KeyOf(m_current.request.tag, m_current.request.id);
            std::erase_if(m_modules,
                          [&](const auto& entry) { return entry.second.owedSince < 0 && entry.first != asked; });
        }
        module = &m_modules[KeyOf(reply.tag, reply.moduleId)];
        module->lastFrame = now;
    }
    if (m_settling && reply.textMessage) {
        Finish({true, std::move(reply), {}});
        return;
    }
    const Request& wanted = m_current.request;
    const bool forWanted = m_busy && !wanted.tag.empty() && reply.tag == wanted.tag &&
                           (wanted.id.empty() || network::SameId(reply.moduleId, wanted.id));
    if (m_holding && forWanted) {
        // A second answer during a read-back's quiet: the same words are a
        // repeat; other words leave no way to tell which one was the answer.
        if (network::ReplyValues(reply) != network::ReplyValues(m_held)) {
            Finish({false,
                    {},
                    QStringLiteral("the gateway sent two different answers for %1 %2")
                        .arg(QString::fromStdString(wanted.tag), QString::fromStdString(wanted.id)),
                    true});
            return;
        }
        emit Unmatched(reply);
        return;
    }
    if (!forWanted || m_holding) {
        if (module) module->owedSince = -1;  // the late answer it was waiting for, most likely
        emit Unmatched(reply);
        return;
    }
    if (wanted.confirms) {
        if (m_unquiet) {
            Finish({false, {}, QStringLiteral("the link never fell quiet around the read-back"), true});
            return;
        }
        m_held = std::move(reply);
        m_holding = true;
        m_timer.start(m_quietMs);
        return;
    }
    Finish({true, std::move(reply), {}});
}

void GatewayClient::OnOpened() {
    m_settled = false;
    m_quietFrom = m_clock.elapsed();
    m_modules.clear();
}

void GatewayClient::OnClosed(const QString& reason) {
    // Everything waiting fails with the same reason; nothing is sent on a closed link.
    const QString why = QStringLiteral("link closed: %1").arg(reason);
    std::deque<Entry> waiting;
    waiting.swap(m_queue);
    m_gate.stop();
    m_gateSince = -1;
    if (m_busy) {
        m_timer.stop();
        m_busy = false;
        m_settling = false;
        m_holding = false;
        Done done = std::move(m_current.done);
        m_current = {};
        if (done) done({false, {}, why});
    }
    for (Entry& entry : waiting) {
        if (entry.done) entry.done({false, {}, why});
    }
}

}  // namespace devlink
