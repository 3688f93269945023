// The device link of the RF page: the Connect button's states, listening,
// accepting the gateway's connection back, and losing it.
#include <QLineEdit>
#include <QPushButton>
#include <memory>
#include <utility>

#include "res/IpAddressCtrl.h"
#include "res/UserPrompts.h"
#include "rfconfig/RFConfigDlg.h"
#include "textcodec/qt/NarrowText.h"
#include "wire/CommandText.h"

namespace {
const QString kCaption = QStringLiteral("알림");
}  // namespace

void RFConfigDlg::OnBnClickedConnect() {
    using res::PromptIcon;
    if (m_bLinkActive) {
        if (m_pDataSocket) {
            m_bConnected = false;
            CloseLink();
            m_btnConnect->setText(QStringLiteral("Connect"));
        } else {
            res::WindowMessageBox(this, QStringLiteral("서버와 연결이 실패하였습니다."), kCaption, PromptIcon::Error);
        }
    } else if (m_pDataSocket) {
        res::WindowMessageBox(this, QStringLiteral("Already Connected!"), kCaption, PromptIcon::Information);
    } else {
        m_pDataSocket = new CDataSocket(this);
        const QString host = m_ipAddress->Text();
        const unsigned port = devlink::PortOf(textcodec::ToNarrow(m_editPort->text()));
        const bool ok = port > 0 && port <= 0xFFFF && m_pDataSocket->ConnectAndWait(host, static_cast<quint16>(port));
        if (!ok) {
            // The reason stays for the trace and for views that show the link's state.
            m_strLinkError = port == 0 || port > 0xFFFF ? QStringLiteral("no port") : m_pDataSocket->errorString();
            qCDebug(lcLink) << "connect failed:" << m_strLinkError;
            res::WindowMessageBox(this, QStringLiteral("Server Connection Fail!"), kCaption, PromptIcon::Error);
            m_bConnected = false;
            delete m_pDataSocket;
            m_pDataSocket = nullptr;
            return;
        }
        // Only the host the link was made to may connect back.
        m_gatewayAddress = m_pDataSocket->peerAddress();
        res::WindowMessageBox(this, QStringLiteral("Server Connetion Success!"), kCaption, PromptIcon::Information);
        m_bConnected = true;
        StartListening(port);
        m_btnConnect->setText(QStringLiteral("Disconnect"));
    }
    m_bLinkActive = !m_bLinkActive;
    NotifyLinkState();
}

void RFConfigDlg::Redial(const std::function<void(bool)>& done) {
    if (m_pDataSocket || !m_bConnected) {
        done(m_pDataSocket != nullptr);
        return;
    }
    const unsigned port = devlink::PortOf(textcodec::ToNarrow(m_editPort->text()));
    if (port == 0 || port > 0xFFFF) {
        done(false);
        return;
    }
    // Not blocking: until it is adopted, the socket's notifications are not the page's current link's.
    auto* socket = new CDataSocket(this);
    auto settled = std::make_shared<bool>(false);  // done is told once
    connect(socket, &QTcpSocket::connected, this, [this, socket, done, settled] {
        if (std::exchange(*settled, true)) return;
        if (m_pDataSocket || !m_bConnected) {  // the gateway came back first, or Disconnect was pressed
            socket->deleteLater();
            done(m_pDataSocket != nullptr);
            return;
        }
        DiscardPartialFrame();
        m_pDataSocket = socket;
        m_bLinkActive = true;
        NotifyLinkState();
        done(true);
    });
    connect(socket, &QAbstractSocket::errorOccurred, this, [this, socket, done, settled] {
        if (std::exchange(*settled, true)) return;  // an adopted link's errors are its own
        m_strLinkError = socket->errorString();
        socket->deleteLater();
        done(false);
    });
    socket->connectToHost(m_ipAddress->Text(), static_cast<quint16>(port));
}

void RFConfigDlg::StartListening(unsigned port) {
    // A listening socket left from an earlier link would keep the port: close it first.
    delete m_pListenSocket;
    m_pListenSocket = new CListenSocket(this);
    m_pListenSocket->SetGatewayAddress(m_gatewayAddress);
    qCDebug(lcLink, "\r\nCheck Listenling Port 1: %u\r\n", port);
    if (!m_pListenSocket->listen(m_listenAddress, static_cast<quint16>(port))) {
        m_strLinkError = m_pListenSocket->errorString();
        qCDebug(lcLink) << "listening failed:" << m_strLinkError;
    }
}

void RFConfigDlg::OnSocketAccept(int) {
    if (m_pDataSocket || !m_pListenSocket) return;  // the pending connection waits, unaccepted
    auto* socket = new CDataSocket(this);
    if (!m_pListenSocket->Accept(socket)) {
        delete socket;
        return;
    }
    DiscardPartialFrame();
    m_pDataSocket = socket;
    NotifyLinkState();
}

void RFConfigDlg::OnSocketClose(CDataSocket* socket, int) {
    if (socket != m_pDataSocket) return;
    m_pDataSocket = nullptr;
    DiscardPartialFrame();
    socket->deleteLater();
    NotifyLinkState();
    // Another connection may have waited meanwhile: take it now.
    if (m_pListenSocket && m_pListenSocket->HasWaiting()) OnSocketAccept(0);
}

void RFConfigDlg::CloseLink() {
    DiscardPartialFrame();
    delete m_pDataSocket;
    m_pDataSocket = nullptr;
    delete m_pListenSocket;
    m_pListenSocket = nullptr;
}

RFConfigDlg::LinkState RFConfigDlg::CurrentLinkState() const {
    if (m_pDataSocket) return m_bLinkActive ? LinkState::Connected : LinkState::AcceptedAfterPress;
    if (!m_bConnected) return LinkState::Idle;
    return m_bLinkActive ? LinkState::Dropped : LinkState::DroppedAfterPress;
}

void RFConfigDlg::NotifyLinkState() {
    const LinkState now = CurrentLinkState();
    if (now == m_notifiedLinkState) return;
    m_notifiedLinkState = now;
    emit LinkStateChanged(now);
}

void RFConfigDlg::DiscardPartialFrame() {
    // Bytes of a link that is gone must never complete the next link's first reply.
    m_assembler.Discard();
    m_frameWait.stop();
}

void RFConfigDlg::SendCommand(int nKind, const std::string& strCommand) {
    if (strCommand.empty()) {
        // The command builders refused the line: an ID or value held a
        // control byte (a line end would have made it two commands).
        AppendLog(devlink::CommandLogEntry(nKind, "(not sent: an ID or value holds a control character)\r\n"), false);
        return;
    }
    std::string entry = devlink::CommandLogEntry(nKind, strCommand);
    const bool sent = m_pDataSocket && m_pDataSocket->state() == QAbstractSocket::ConnectedState;
    if (sent) {
        m_pDataSocket->write(strCommand.data(), static_cast<qint64>(strCommand.size()));
    } else if (!entry.empty()) {
        // No data connection (the gateway dropped it): nothing goes out.
        if (entry.size() < 2 || entry.compare(entry.size() - 2, 2, "\r\n") != 0) entry += "\r\n";
        entry += "  (not sent: no connection to the gateway)\r\n";
    }
    AppendLog(entry, false);
    emit CommandSent(nKind, strCommand, sent);
}
