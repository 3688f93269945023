// Service control of the RF page: the two toggle buttons and the query chain
// that asks for both gateway radios' frequencies.
#include <QCoreApplication>
#include <QPushButton>

#include "res/UserPrompts.h"
#include "rfconfig/RFConfigDlg.h"
#include "wire/CommandText.h"

namespace {

void NotConnected() {
    res::AppMessageBox(QStringLiteral("기기와 연결이 되어 있지 않습니다.\r\n 기기 연결 후 시도하시기 바랍니다."),
                       res::PromptIcon::Information);
}

}  // namespace

void RFConfigDlg::OnBnClickedServiceStop() {
    if (!m_bConnected) {
        NotConnected();
        return;
    }
    if (m_bServiceStopped) {
        SendCommand(devlink::CMD_SET, std::string(devlink::command::kRestartService));
        m_btnServiceStop->setText(QCoreApplication::translate("Veskora", "서비스 종료"));
    } else {
        SendCommand(devlink::CMD_SET, std::string(devlink::command::kStopService));
        m_btnServiceStop->setText(QCoreApplication::translate("Veskora", "서비스 재시작"));
    }
    m_bServiceStopped = !m_bServiceStopped;
}

void RFConfigDlg::OnBnClickedServiceChange() {
    if (!m_bConnected) {
        NotConnected();
        return;
    }
    if (m_bRfConfigService) {
        SendCommand(devlink::CMD_SET, std::string(devlink::command::kStartService));
        m_btnServiceChange->setText(QCoreApplication::translate("Veskora", "RF 구성 서비스 시작"));
    } else {
        SendCommand(devlink::CMD_SET, std::string(devlink::command::kEndService));
        m_btnServiceChange->setText(QCoreApplication::translate("Veskora", "베스코라 서비스 시작"));
    }
    m_bRfConfigService = !m_bRfConfigService;
}

void RFConfigDlg::StartQueryTimer() {
    // A second press restarts the first query only; a pending second query still goes out.
    m_timer1000.start();
}

void RFConfigDlg::OnTimer(int nIDEvent) {
    const auto query = [this](std::size_t radio) {
        const std::string id = radio < m_arrGatewayIds.size() ? m_arrGatewayIds[radio] : std::string();
        if (m_bConnected) SendCommand(devlink::CMD_GET, devlink::command::Get("G2", id));
    };
    if (nIDEvent == 1000) {
        query(1);
        m_timer1000.stop();
        m_timer2000.start();
    } else if (nIDEvent == 2000) {
        query(2);
        m_timer2000.stop();
    }
}

bool RFConfigDlg::ServiceGuard() {
    if (m_bServiceStopped) return true;
    res::AppMessageBox(QStringLiteral("서비스가 동작 중입니다. 서비스 종료 후 설정값을 변경하시기 바랍니다."),
                       res::PromptIcon::Warning);
    return false;
}
