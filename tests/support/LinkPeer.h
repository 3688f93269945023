#pragma once

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <string>

// A gateway stand-in on 127.0.0.1 that records every byte it receives.
class Peer : public QObject {
public:
    Peer() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, this, [this] {
            socket.reset(server.nextPendingConnection());
            QObject::connect(socket.get(), &QTcpSocket::readyRead, this, [this] { received += socket->readAll(); });
            // Stop listening, so the page's own listening on the port succeeds.
            server.close();
        });
    }
    // Waits until at least n bytes arrived; false after ms milliseconds.
    bool WaitForBytes(qsizetype n, int ms = 3000) {
        return QTest::qWaitFor([&] { return received.size() >= n; }, ms);
    }

    QTcpServer server;
    std::unique_ptr<QTcpSocket> socket;
    QByteArray received;
};

inline std::string Frame(const std::string& tag, const std::string& id, const std::string& payload) {
    std::string f(20, '\x01');
    f += tag + " " + id + " " + payload;
    f[12] = static_cast<char>(f.size());
    return f;
}

inline quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
