// Gateway commands of the RF page: the MCU's NET KEYs and one gateway radio's
// frequency, with the check that a frequency is not already another module's.
#include <QCoreApplication>

#include "rfconfig/PageText.h"
#include "rfconfig/RFConfigDlg.h"
#include "wire/CommandText.h"

using rfpage::Cell;
using rfpage::SameId;
namespace command = devlink::command;

void RFConfigDlg::OnBnClickedGetNetKey() {
    if (!ServiceGuard()) return;
    if (!m_listGatewayModules->GetCheck(0)) return;
    const std::string id = Cell(m_listGatewayModules, 0, 1);
    if (!SameId(id, "FFFFFF")) return;
    if (m_bConnected) SendCommand(devlink::CMD_GET, command::Get("GM", id));
}

void RFConfigDlg::OnBnClickedSetNetKey() {
    if (!ServiceGuard()) return;
    const int rows = m_listNetKeys->GetItemCount();
    if (rows < 21) {
        rfpage::PageMessageBox(this, QStringLiteral("인수의 갯수가 부족합니다. 확인하시기 바랍니다."));
        return;
    }
    if (m_bConnected) SendCommand(devlink::CMD_SET, command::SetNetKeys(rfpage::ColumnCells(m_listNetKeys, 1)));
}

void RFConfigDlg::OnBnClickedGetGateway() {
    if (!ServiceGuard()) return;
    const std::string id = Cell(m_listGatewayFreq, 0, 0);
    if (m_bConnected) SendCommand(devlink::CMD_GET, command::Get("G2", id));
}

void RFConfigDlg::OnBnClickedSetGateway() {
    if (!ServiceGuard()) return;
    if (m_listGatewayFreq->GetItemCount() == 0) {
        rfpage::PageMessageBox(this, QStringLiteral("ID 설정을 확인하시기 바랍니다."));
        return;
    }
    const std::string id = Cell(m_listGatewayFreq, 0, 0);
    const std::string frequency = Cell(m_listGatewayFreq, 0, 1);
    if (frequency.empty()) {
        rfpage::PageMessageBox(this, QStringLiteral("주파수가 설정되지 않았습니다. 확인하시기 바랍니다."));
        return;
    }
    const network::FrequencyClaim claim = m_site.ClaimFrequency(id, frequency);
    if (claim.kind == network::FrequencyClaim::TakenBy) {
        res::AppMessageBox(
            QCoreApplication::translate(
                "Veskora", "이미 해당 주파수는 ID %1 모듈에서 사용중입니다.\r\n 다른 주파수를 사용하시기 바랍니다.")
                .arg(textcodec::ToQString(claim.owner)));
        return;
    }
    if (claim.kind == network::FrequencyClaim::OwnAlready) return;  // nothing to send
    if (m_bConnected) SendCommand(devlink::CMD_SET, command::Set("G2", id, {frequency}));
}
