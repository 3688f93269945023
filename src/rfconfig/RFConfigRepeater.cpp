// Repeater commands of the RF page: the module of the selected repeater row
// (RM, R2 or R9 by row), and the choice of which repeater's IDs are shown.
#include "link/CommandText.h"
#include "res/ComboBox.h"
#include "rfconfig/PageText.h"
#include "rfconfig/RFConfigDlg.h"

using rfpage::Cell;

namespace {

constexpr int kRepeaterRows = 6;

// The command family of a repeater row: the MCU, an SX1280 or an SX1276.
const char* FamilyOf(int row) { return row == 0 ? "RM" : row <= 2 ? "R2" : "R9"; }

}  // namespace

void RFConfigDlg::OnBnClickedGetRepeater() {
    if (!ServiceGuard()) return;
    const int r = m_nSelRepeaterRow;
    // No row chosen (a click below the rows): there is no module to ask.
    if (r < 0 || r >= kRepeaterRows) return;
    const std::string id = Cell(m_listRepeaterModules, r, 1);
    if (rfpage::Unaddressable(id)) return;
    if (m_bConnected) SendCommand(CMD_GET, std::string("AT+GET ") + FamilyOf(r) + " " + id + "\r\n");
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
        line = "AT+SET RM " + id + " ";
        for (int n = 0; n < nodes; ++n) line += Cell(m_listNodes, n, 1) + (n < nodes - 1 ? " " : "\r\n");
    } else {
        if (rfpage::Unaddressable(id)) return;
        const std::string frequency = Cell(m_listRepeaterModules, r, 2);
        const std::string netKey = Cell(m_listRepeaterModules, r, 3);
        const std::string busySf = Cell(m_listRepeaterModules, r, 4);
        if (frequency.empty() || netKey.empty() || busySf.empty()) {
            rfpage::PageMessageBox(this, rfpage::kTooFewParameters);
            return;
        }
        line = std::string("AT+SET ") + FamilyOf(r) + " " + id + " " + frequency + " " + netKey + " " + busySf + "\r\n";
    }
    if (m_bConnected) SendCommand(CMD_SET, line);
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
