#include "GatewayServer.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>

namespace gatewaysim {

GatewayServer::GatewayServer(Options options, QObject* parent) : QObject(parent), m_options(options) {
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        // One connection at a time: a second waits until the first ends.
        if (m_socket) return;
        Adopt(m_server.nextPendingConnection());
        if (m_options.stopListeningAfterAccept) m_server.close();
    });
}

bool GatewayServer::Start() {
    if (!m_server.listen(QHostAddress::LocalHost, m_options.port)) return false;
    m_port = m_server.serverPort();
    return true;
}

std::unique_ptr<GatewayServer> StartInProcess(Options options) {
    options.port = 0;
    options.verbose = false;
    options.stopListeningAfterAccept = true;
    auto server = std::make_unique<GatewayServer>(options);
    if (!server->Start()) return nullptr;
    return server;
}

void GatewayServer::Adopt(QTcpSocket* socket) {
    m_socket.reset(socket);
    m_sinceConnect = 0;
    m_buffer.clear();
    connect(socket, &QTcpSocket::readyRead, this, &GatewayServer::OnReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (m_socket.get() != socket) return;
        m_socket.release()->deleteLater();
        if (m_server.hasPendingConnections()) Adopt(m_server.nextPendingConnection());
    });
    if (m_options.verbose) std::fprintf(stderr, "gateway-sim: connected\n");
    if (m_options.unsolicited) {
        // What a gateway with a stale queue might say first: values for two modules nobody asked for.
        Send(BuildFrame("G2", "A00001", "9990000000"));
        Send(BuildFrame("R9", "R10092", "9990000000 FFFF 9"));
        m_replies += 2;
    }
    if (m_options.floodOnConnect > 0) {
        // As fast as the socket takes them, in chunks, so the event loop runs.
        // The next turn's timer holds the pump; the pump itself only a weak
        // reference, so it is freed when the flood ends or the link goes.
        auto remaining = std::make_shared<int>(m_options.floodOnConnect);
        auto pump = std::make_shared<std::function<void()>>();
        const std::weak_ptr<std::function<void()>> self = pump;
        *pump = [this, remaining, self, socket] {
            if (m_socket.get() != socket) return;
            std::string chunk;
            for (int i = 0; i < 200 && *remaining > 0; ++i, --*remaining) {
                const std::string id = std::to_string(100000 + *remaining % 900000);
                chunk += BuildFrame("G2", id, std::to_string(2400000000 + *remaining % 1000000));
                ++m_replies;
            }
            socket->write(chunk.data(), static_cast<qint64>(chunk.size()));
            if (*remaining > 0) {
                if (auto next = self.lock()) QTimer::singleShot(0, this, [next] { (*next)(); });
            }
        };
        QTimer::singleShot(0, this, [pump] { (*pump)(); });
    }
}

void GatewayServer::OnReadyRead() {
    if (!m_socket) return;
    const QByteArray bytes = m_socket->readAll();
    m_buffer.append(bytes.constData(), static_cast<size_t>(bytes.size()));
    m_received.append(bytes.constData(), static_cast<size_t>(bytes.size()));
    for (const std::string& command : TakeCommands(m_buffer)) {
        Log("<-", command);
        m_model.nodesPerRepeater = m_options.nodesPerRepeater;
        const bool ignored = m_options.ignoreSets && command.rfind("AT+SET", 0) == 0;
        const Model before = ignored ? m_model : Model();
        std::vector<std::string> replies = Answer(m_model, command);
        if (ignored) {
            // Answered with the values it was sent, which it does not keep.
            const int commands = m_model.commands;
            m_model = before;
            m_model.commands = commands;
        }
        if (Unanswered(command, ++m_commands)) replies.clear();
        for (std::string& reply : replies) {
            for (int copy = m_options.duplicateReplies ? 2 : 1; copy > 0; --copy) {
                if (m_options.lateMs > 0) {
                    QTimer::singleShot(m_options.lateMs, this, [this, reply, socket = m_socket.get()] {
                        if (m_socket.get() == socket) Reply(reply);
                    });
                } else {
                    Reply(reply);
                }
            }
        }
        if (m_options.closeAfter > 0 && ++m_sinceConnect >= m_options.closeAfter && m_socket) {
            if (m_options.verbose) std::fprintf(stderr, "gateway-sim: closing the link\n");
            m_socket->disconnectFromHost();
            if (m_options.reconnectDelayMs >= 0) {
                QTimer::singleShot(m_options.reconnectDelayMs, this, [this] {
                    auto* back = new QTcpSocket;
                    back->connectToHost(QHostAddress::LocalHost, m_port);
                    if (m_options.verbose) std::fprintf(stderr, "gateway-sim: connecting back\n");
                    if (m_socket) m_socket.release()->deleteLater();
                    Adopt(back);
                });
            }
            return;
        }
    }
}

void GatewayServer::Reply(std::string reply) {
    if (m_options.badTags && (m_replies % 3) == 2 && reply.size() > 21 && reply[0] != '$') {
        reply[20] = static_cast<char>(reply[20] | 0x20);
        reply[21] = static_cast<char>(reply[21] | 0x20);
    }
    if (m_options.joinReplies && reply[0] != '$') {
        if (m_held.empty()) {
            m_held = reply;
            QTimer::singleShot(100, this, [this] {
                if (!m_held.empty()) Send(std::exchange(m_held, std::string()));
            });
        } else {
            Send(std::exchange(m_held, std::string()) + reply);
        }
    } else {
        Send(reply, m_options.latencyMs);
    }
    if (m_options.dollarMessages && reply[0] != '$') Send("$DONE");
    ++m_replies;
}

bool GatewayServer::Unanswered(const std::string& command, int n) const {
    if (m_options.dropEvery > 0 && n % m_options.dropEvery == 0) return true;
    // The ID is the third word of "AT+GET <code> <id>".
    const std::size_t code = command.find(' ');
    const std::size_t id = code == std::string::npos ? code : command.find(' ', code + 1);
    if (id == std::string::npos) return false;
    std::string word = command.substr(id + 1, command.find(' ', id + 1) - id - 1);
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return m_options.silentIds.count(word) != 0;
}

void GatewayServer::Send(const std::string& bytes, int delayMs) {
    if (!m_socket) return;
    Log("->", bytes);
    if (m_options.splitReplies && bytes.size() > 22) {
        // The first part carries the whole header, so that it reads as the
        // start of a frame rather than as a short message.
        const std::size_t half = std::max<std::size_t>(21, bytes.size() / 2);
        m_outgoing.push_back({bytes.substr(0, half), delayMs});
        m_outgoing.push_back({bytes.substr(half), 50});
    } else {
        m_outgoing.push_back({bytes, delayMs});
    }
    Pump();
}

void GatewayServer::Pump() {
    while (!m_waiting && !m_outgoing.empty()) {
        Piece& next = m_outgoing.front();
        if (next.delayMs > 0) {
            const int delay = std::exchange(next.delayMs, 0);
            m_waiting = true;
            QTimer::singleShot(delay, this, [this] {
                m_waiting = false;
                Pump();
            });
            return;
        }
        if (m_socket) {
            m_socket->write(next.bytes.data(), static_cast<qint64>(next.bytes.size()));
            m_socket->flush();
        }
        m_outgoing.pop_front();
    }
}

void GatewayServer::Log(const char* direction, const std::string& bytes) const {
    if (!m_options.verbose) return;
    std::string shown;
    for (const unsigned char c : bytes) shown += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
    std::fprintf(stderr, "gateway-sim %s %s\n", direction, shown.c_str());
}

}  // namespace gatewaysim
