#include "app/RfPageLink.h"

#include <QLineEdit>

#include "res/IpAddressCtrl.h"
#include "wire/CommandText.h"

RfPageLink::RfPageLink(RFConfigDlg& page) : m_page(page) {
    // After every view has recorded the frame: a client answers it with its
    // next command at once, which must not show before the frame does.
    connect(&m_page, &RFConfigDlg::FrameSettled, this, &devlink::Channel::FrameReceived);
    connect(&m_page, &RFConfigDlg::LinkStateChanged, this, [this](RFConfigDlg::LinkState state) {
        if (state == RFConfigDlg::LinkState::Connected || state == RFConfigDlg::LinkState::AcceptedAfterPress) {
            emit Opened();
        } else {
            emit Closed(state == RFConfigDlg::LinkState::Idle ? QStringLiteral("disconnected")
                                                              : QStringLiteral("the gateway dropped the link"));
        }
    });
}

void RfPageLink::Send(const std::string& line) {
    m_page.SendCommand(line.rfind("AT+GET", 0) == 0 ? CMD_GET : CMD_SET, line);
}

bool RfPageLink::IsOpen() const {
    return m_page.m_pDataSocket && m_page.m_pDataSocket->state() == QAbstractSocket::ConnectedState;
}

QString RfPageLink::Address() const {
    if (!m_page.m_ipAddress || !m_page.m_editPort) return {};
    return m_page.m_ipAddress->Text() + QLatin1Char(':') + m_page.m_editPort->text();
}

void RfPageLink::Connect() {
    // Only from no link at all: pressing Connect on a live link would end it.
    if (!m_page.m_pDataSocket && !m_page.m_bConnected) m_page.OnBnClickedConnect();
}

void RfPageLink::StopService() {
    if (!m_page.m_bServiceStopped) m_page.OnBnClickedServiceStop();
}

void RfPageLink::RestartService() {
    if (m_page.m_bServiceStopped) m_page.OnBnClickedServiceStop();
}
