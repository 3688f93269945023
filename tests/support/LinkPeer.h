#pragma once

#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <memory>
#include <string>

#include <QLineEdit>
#include <QPushButton>
#include "res/IpAddressCtrl.h"
#include "rfconfig/RFConfigDlg.h"
#include "support/PromptRecorder.h"
#include "wire/CommandText.h"
#include "wire/ReplyFrame.h"

// A gateway stand-in on 127.0.0.1 that records every byte it receives.
class Peer : public QObject {
public:
    Peer() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, this, [this] {
            socket.reset(server.nextPendingConnection());
            QObject::connect(socket.get(), &QTcpSocket::readyRead, this, [this] { received += socket->readAll(); });
            QObject::connect(socket.get(), &QTcpSocket::disconnected, this, [this] {
                received += socket->readAll();
                closed = true;
            });
            // Stop listening, so the page's own listening on the port succeeds.
            server.close();
        });
    }
    // Waits until at least n bytes arrived; false after ms milliseconds.
    bool WaitForBytes(qsizetype n, int ms = 3000) {
        return QTest::qWaitFor([&] { return received.size() >= n; }, ms);
    }
    // Waits until the other end closed the link; every byte it sent before is in.
    bool WaitForClose(int ms = 3000) {
        return QTest::qWaitFor([&] { return closed; }, ms);
    }

    QTcpServer server;
    std::unique_ptr<QTcpSocket> socket;
    QByteArray received;
    bool closed = false;
};

inline std::string Frame(const std::string& tag, const std::string& id, const std::string& payload) {
    return devlink::EncodeReply(tag, id, payload);
}

inline quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Points a page at a gateway on 127.0.0.1:port, and has it listen on the
// loopback address only.
inline void AimAt(RFConfigDlg& page, quint16 port) {
    page.m_listenAddress = QHostAddress::LocalHost;
    page.m_ipAddress->SetAddress(127, 0, 0, 1);
    page.m_editPort->setText(QString::number(port));
}

// A shown RF page aimed at a recording peer; Connect() makes the link.
class PageWithPeer : public testing::Test {
protected:
    void SetUp() override {
        page.Create(&host);
        AimAt(page, peer.server.serverPort());
        host.resize(1700, 900);
        host.show();
    }

    void Connect() {
        QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return peer.socket != nullptr; }, 3000));
    }

    // Nothing more was sent: a line sent now arrives right after the expected
    // bytes (and is taken off again).
    bool Quiet(qsizetype expected) {
        page.SendCommand(devlink::CMD_SET, "$end");
        if (!peer.WaitForBytes(expected + 4) || peer.received.size() != expected + 4) return false;
        if (!peer.received.endsWith("$end")) return false;
        peer.received.chop(4);
        return true;
    }

    PromptRecorder prompts;
    Peer peer;
    QWidget host;
    RFConfigDlg page;
};
