#include "link/GatewayLink.h"

#include <memory>
#include <utility>

#include "network/FrameInfo.h"
#include "wire/CommandText.h"

namespace devlink {
namespace {

// The key a GET and its answer share: the code and the module's ID (a GM
// answer is the gateway's, whatever ID it carries).
std::string AskKey(std::string_view code, std::string_view id) {
    return std::string(code) + ' ' + (code == "GM" ? std::string() : UpperNarrow(id));
}

// Bounds what is remembered of GETs nobody answered (a link that answers
// nothing while a flood of GETs goes out).
constexpr std::size_t kAskedKept = 1024;
constexpr int kAskedPerModule = 8;

}  // namespace

GatewayLink::GatewayLink(QObject* parent) : Channel(), m_clock(network::SystemNow) {
    setParent(parent);
    frameWait.setSingleShot(true);
    frameWait.setTimerType(Qt::PreciseTimer);  // counted from a frame's first byte, not rounded later
    frameWait.setInterval(kFrameWaitMs);
    connect(&frameWait, &QTimer::timeout, this, &GatewayLink::OnFrameWaitElapsed);
    m_nextReceiveTurn.setSingleShot(true);
    m_nextReceiveTurn.setInterval(0);
    connect(&m_nextReceiveTurn, &QTimer::timeout, this, [this] {
        if (dataSocket) OnSocketReceive(dataSocket, 0);
    });
}

GatewayLink::~GatewayLink() {
    // No view hears the link's end from a destructor: they may be gone already.
    blockSignals(true);
    Close();
}

bool GatewayLink::IsOpen() const { return dataSocket && dataSocket->state() == QAbstractSocket::ConnectedState; }

void GatewayLink::Send(const std::string& line) { Write(line.rfind("AT+GET", 0) == 0 ? CMD_GET : CMD_SET, line, true); }

void GatewayLink::SendCommand(int kind, const std::string& line) { Write(kind, line, false); }

void GatewayLink::Write(int kind, const std::string& line, bool forClient) {
    const bool sent = !line.empty() && IsOpen();
    if (sent) {
        dataSocket->write(line.data(), static_cast<qint64>(line.size()));
        if (kind == CMD_GET) {
            const network::FrameInfo words = network::DescribeCommand(line);
            if (!words.tag.empty()) {
                if (m_asked.size() >= kAskedKept) m_asked.clear();
                Asked& asked = m_asked[AskKey(words.tag, words.id)];
                asked.count = std::min(asked.count + 1, kAskedPerModule);
                asked.byClient = forClient;
            }
        }
    }
    emit CommandSent(kind, line, sent);
}

bool GatewayLink::AnswersAsked(const Reply& reply, bool* byClient) {
    *byClient = false;
    if (reply.textMessage || reply.tagIndex < 0) return false;
    const auto it = m_asked.find(AskKey(reply.tag, reply.tagIndex == kTagG2 ? reply.g2Id : reply.moduleId));
    if (it == m_asked.end()) return false;
    *byClient = it->second.byClient;
    if (--it->second.count == 0) m_asked.erase(it);
    return true;
}

bool GatewayLink::Listen(unsigned port) {
    // A listening socket left from an earlier link would keep the port: close it first.
    delete listenSocket;
    listenSocket = new CListenSocket(this);
    listenSocket->SetGatewayAddress(gatewayAddress);
    qCDebug(lcLink, "\r\nCheck Listenling Port 1: %u\r\n", port);
    if (!listenSocket->listen(listenAddress, static_cast<quint16>(port))) {
        linkError = listenSocket->errorString();
        qCDebug(lcLink) << "listening failed:" << linkError;
        return false;
    }
    return true;
}

void GatewayLink::Redial(const QString& host, quint16 port, const std::function<void(bool)>& done) {
    if (dataSocket || !connected) {
        done(dataSocket != nullptr);
        return;
    }
    // Not blocking: until it is adopted, the socket's notifications are not the current link's.
    auto* socket = new CDataSocket(this);
    auto settled = std::make_shared<bool>(false);  // done is told once
    connect(socket, &QTcpSocket::connected, this, [this, socket, done, settled] {
        if (std::exchange(*settled, true)) return;
        if (dataSocket || !connected) {  // the gateway came back first, or Disconnect was pressed
            socket->deleteLater();
            done(dataSocket != nullptr);
            return;
        }
        DiscardPartialFrame();
        dataSocket = socket;
        linkActive = true;
        NotifyState();
        done(true);
    });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this, socket, done, settled] {
        if (std::exchange(*settled, true)) return;  // an adopted link's errors are its own
        linkError = socket->errorString();
        socket->deleteLater();
        done(false);
    });
    socket->connectToHost(host, port);
}

void GatewayLink::OnSocketAccept(int) {
    if (dataSocket || !listenSocket) return;  // the pending connection waits, unaccepted
    auto* socket = new CDataSocket(this);
    if (!listenSocket->Accept(socket)) {
        delete socket;
        return;
    }
    DiscardPartialFrame();
    dataSocket = socket;
    NotifyState();
}

void GatewayLink::OnSocketClose(CDataSocket* socket, int) {
    if (socket != dataSocket) return;
    dataSocket = nullptr;
    DiscardPartialFrame();
    socket->deleteLater();
    NotifyState();
    // Another connection may have waited meanwhile: take it now.
    if (listenSocket && listenSocket->HasWaiting()) OnSocketAccept(0);
}

void GatewayLink::Close() {
    DiscardPartialFrame();
    delete dataSocket;
    dataSocket = nullptr;
    delete listenSocket;
    listenSocket = nullptr;
}

GatewayLink::State GatewayLink::CurrentState() const {
    if (dataSocket) return linkActive ? State::Connected : State::AcceptedAfterPress;
    if (!connected) return State::Idle;
    return linkActive ? State::Dropped : State::DroppedAfterPress;
}

void GatewayLink::NotifyState() {
    const State now = CurrentState();
    if (now == m_notified) return;
    m_notified = now;
    const bool open = dataSocket != nullptr;
    const bool was = std::exchange(m_open, open);
    if (open && !was) OnOpened();
    if (!open && was) OnClosed();
    emit StateChanged(now);
    if (open != was) {
        if (open) {
            emit Opened();
        } else {
            emit Closed(now == State::Idle ? QStringLiteral("disconnected")
                                           : QStringLiteral("the gateway dropped the link"));
        }
    }
}

void GatewayLink::OnOpened() {
    // A new link: what the last one said is history until read again.
    ++live.linkSession;
    m_asked.clear();
    emit SiteChanged();
}

void GatewayLink::OnClosed() {
    if (live.lostAt.size() >= kLossesKept) live.lostAt.erase(live.lostAt.begin());
    live.lostAt[live.linkSession] = m_clock();
    m_asked.clear();
    emit SiteChanged();
}

void GatewayLink::DiscardPartialFrame() {
    // Bytes of a link that is gone must never complete the next link's first reply.
    assembler.Discard();
    frameWait.stop();
}

void GatewayLink::OnSocketReceive(CDataSocket* socket, int) {
    if (socket != dataSocket) return;  // a socket on its way out
    // Notifications do not repeat, so what waits is read a read at a time; a
    // bounded batch per turn keeps the window alive under a flood, and the
    // rest is taken up on the next turn of the event loop.
    for (int reads = 0; socket == dataSocket && socket->bytesAvailable() > 0; ++reads) {
        if (reads == kReadsPerTurn) {
            if (!m_nextReceiveTurn.isActive()) m_nextReceiveTurn.start();
            return;
        }
        char buffer[kReadSize];
        const qint64 n = socket->read(buffer, sizeof buffer);
        if (n < 0) {
            qCDebug(lcLink) << "read failed:" << socket->errorString();
            emit ReadFailed();
            return;
        }
        for (std::string& frame : assembler.Feed(std::string_view(buffer, static_cast<size_t>(n)))) {
            HandleFrame(std::move(frame));
        }
        // The wait for a frame's rest counts from its first byte: a trickle cannot postpone it.
        if (!assembler.HasPending()) {
            frameWait.stop();
        } else if (assembler.PendingStartedAnew() || !frameWait.isActive()) {
            frameWait.start();
        }
    }
}

void GatewayLink::OnFrameWaitElapsed() {
    // The rest of a frame never came: handle what there is.
    if (!assembler.HasPending()) return;
    frameGivenUp = true;
    HandleFrame(assembler.Flush());
    frameGivenUp = false;
}

void GatewayLink::HandleFrame(std::string frame) {
    Received received{std::move(frame), {}, frameGivenUp};
    received.reply = DecodeReply(received.frame, serviceStopped, replyTags);
    const Reply& reply = received.reply;
    if (reply.textMessage) qCDebug(lcLink, "\r\nDetected $!!!\r\n");
    if (!state.Store(reply)) qCDebug(lcLink, "\r\nWornning - Response Tag is worng!!\r\n");
    if (reply.extraTokens)
        qCDebug(lcLink) << "reply" << reply.tag.c_str() << "had" << reply.extraTokens << "tokens too many";
    const bool siteTookIt = AnswersAsked(reply, &received.forClient) && network::ApplyObserved(live, reply, m_clock());
    emit FrameDecoded(received);
    if (siteTookIt) emit SiteChanged();
    // Clients last: one that answers with its next command must not show it before this frame.
    emit ReplyReceived(received.reply, received.frame);
}

}  // namespace devlink
