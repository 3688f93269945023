// Repeater commands of the RF page: the module of the selected repeater row
// (RM, R2 or R9 by row), and the choice of which repeater's IDs are shown.
#include "res/ComboBox.h"
#include "rfconfig/PageText.h"
#include "rfconfig/RFConfigDlg.h"
#include "wire/CommandText.h"

using rfpage::Cell;
namespace command = devlink::command;

namespace {

constexpr int kRepeaterRows = 6;

}  // namespace

void RFConfigDlg::OnBnClickedGetRepeater() {
    if (!ServiceGuard()) return;
    const int r = m_nSelRepeaterRow;
    // No row chosen (a click below the rows): there is no module to ask.
    if (r < 0 || r >= kRepeaterRows) return;
    const std::string id = Cell(m_listRepeaterModules, r, 1);
    if (rfpage::Unaddressable(id)) return;
    if (m_bConnected) SendCommand(devlink::CMD_GET, command::Get(command::RepeaterFamily(r), id));
}

void RFConfigDlg::OnBnClickedSetRepeater() {
    if (!ServiceGuard()) return;
    const int r = m_nSelRepeaterRow;
    if (r < 0 || r >= kRepeaterRows) return;
    const std::string id = Cell(m_listRepeaterModules, r, 1);
    std::string line;
    if (r == 0) {
        if (rfpage::Unaddressable(id)) {
            rfpage::PageMessageBox(this, QStringLiteral("해당 ID는 전송 할 수 없습니다."));
            return;
        }
        const int nodes = m_listNodes->GetItemCount();
        if (!network::NodeTableComplete(nodes)) {
            rfpage::PageMessageBox(this, QStringLiteral("노드ID 파라미터가 부족합니다."));
            return;
        }
        line = command::Set("RM", id, rfpage::ColumnCells(m_listNodes, 1));
    } else {
        if (rfpage::Unaddressable(id)) return;
        const std::string frequency = Cell(m_listRepeaterModules, r, 2);
        const std::string netKey = Cell(m_listRepeaterModules, r, 3);
        const std::string busySf = Cell(m_listRepeaterModules, r, 4);
        if (frequency.empty() || netKey.empty() || busySf.empty()) {
            rfpage::PageMessageBox(this, rfpage::kTooFewParameters);
            return;
        }
        line = command::Set(command::RepeaterFamily(r), id, {frequency, netKey, busySf});
    }
    if (m_bConnected) SendCommand(devlink::CMD_SET, line);
}

void RFConfigDlg::OnCbnSelchangeRepeater() {
    const int k = m_comboRepeater->GetCurSel();
    if (k < 0 || k >= static_cast<int>(m_repeaterIds.size())) return;
    const std::vector<std::string>& ids = m_repeaterIds[static_cast<size_t>(k)];
    // Entries beyond the list's rows have no row and are dropped.
    const int rows = std::min(static_cast<int>(ids.size()), m_listRepeaterModules->GetItemCount());
    for (int i = 0; i < rows; ++i) {
        m_listRepeaterModules->SetItemText(i, 1, textcodec::ToQString(ids[static_cast<size_t>(i)]));
    }
}
