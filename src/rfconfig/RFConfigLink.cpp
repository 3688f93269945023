// The device link as the RF page presses it: the Connect button's states,
// and what the page logs of each command the link sends.
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
        m_pDataSocket = new CDataSocket(&m_link);
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
    const unsigned port = devlink::PortOf(textcodec::ToNarrow(m_editPort->text()));
    if (!m_pDataSocket && m_bConnected && (port == 0 || port > 0xFFFF)) {
        done(false);
        return;
    }
    m_link.Redial(m_ipAddress->Text(), static_cast<quint16>(port), done);
}

void RFConfigDlg::StartListening(unsigned port) { m_link.Listen(port); }

void RFConfigDlg::SendCommand(int nKind, const std::string& strCommand) { m_link.SendCommand(nKind, strCommand); }

void RFConfigDlg::OnCommandSent(int nKind, const std::string& strCommand, bool sent) {
    if (strCommand.empty()) {
        // The command builders refused the line: an ID or value held a
        // control byte (a line end would have made it two commands).
        AppendLog(devlink::CommandLogEntry(nKind, "(not sent: an ID or value holds a control character)\r\n"), false);
    } else {
        std::string entry = devlink::CommandLogEntry(nKind, strCommand);
        if (!sent && !entry.empty()) {
            // No data connection (the gateway dropped it): nothing went out.
            if (entry.size() < 2 || entry.compare(entry.size() - 2, 2, "\r\n") != 0) entry += "\r\n";
            entry += "  (not sent: no connection to the gateway)\r\n";
        }
        AppendLog(entry, false);
    }
    emit CommandSent(nKind, strCommand, sent);
}
