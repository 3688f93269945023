// Node commands of the RF page: the attributes of the node in the one-row
// attribute list.
#include "link/CommandText.h"
#include "rfconfig/PageText.h"
#include "rfconfig/RFConfigDlg.h"

using rfpage::Cell;

void RFConfigDlg::OnBnClickedGetNode() {
    if (!ServiceGuard()) return;
    const std::string id = Cell(m_listNodeAttr, 0, 0);
    if (m_bConnected) SendCommand(CMD_GET, "AT+GET N9 " + id + "\r\n");
}

void RFConfigDlg::OnBnClickedSetNode() {
    // No service guard: a node's attributes can be set while the service runs.
    std::string line = "AT+SET N9 ";
    const std::string id = Cell(m_listNodeAttr, 0, 0);
    if (rfpage::Unaddressable(id)) return;
    std::string attributes;
    for (int c = 1; c <= 7; ++c) {
        const std::string value = Cell(m_listNodeAttr, 0, c);
        if (value.empty()) {
            rfpage::PageMessageBox(this, rfpage::kTooFewParameters);
            return;
        }
        attributes += " " + value;
    }
    line += id + attributes + "\r\n";
    if (m_bConnected) SendCommand(CMD_SET, line);
}
