// Node commands of the RF page: the attributes of the node in the one-row
// attribute list.
#include "rfconfig/PageText.h"
#include "rfconfig/RFConfigDlg.h"
#include "wire/CommandText.h"

using rfpage::Cell;
namespace command = devlink::command;

void RFConfigDlg::OnBnClickedGetNode() {
    if (!ServiceGuard()) return;
    const std::string id = Cell(m_listNodeAttr, 0, 0);
    if (m_bConnected) SendCommand(devlink::CMD_GET, command::Get("N9", id));
}

void RFConfigDlg::OnBnClickedSetNode() {
    // No service guard: a node's attributes can be set while the service runs.
    const std::string id = Cell(m_listNodeAttr, 0, 0);
    if (rfpage::Unaddressable(id)) return;
    std::vector<std::string> attributes;
    for (int c = 1; c <= 7; ++c) {
        attributes.push_back(Cell(m_listNodeAttr, 0, c));
        if (attributes.back().empty()) {
            rfpage::PageMessageBox(this, rfpage::kTooFewParameters);
            return;
        }
    }
    if (m_bConnected) SendCommand(devlink::CMD_SET, command::Set("N9", id, attributes));
}
