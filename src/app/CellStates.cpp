#include "app/CellStates.h"

#include <QLineEdit>

#include "res/ListCtrl.h"
#include "res/Readings.h"
#include "rfconfig/RFConfigDlg.h"
#include "wire/CommandText.h"

namespace {

QColor Tint(CellStates::State state) {
    switch (state) {
        case CellStates::State::Edited: return {255, 246, 200};
        case CellStates::State::Waiting: return {220, 232, 250};
        case CellStates::State::Confirmed: return {214, 243, 214};
        case CellStates::State::Differs: return {248, 208, 208};
    }
    return {};
}

}  // namespace

CellStates::CellStates(RFConfigDlg& page, QObject* parent) : QObject(parent), m_page(page) {
    connect(&m_page, &RFConfigDlg::CellEdited, this, [this](res::ListCtrl* list, int row, int column) {
        Mark(list, row, column, State::Edited, res::Added("Edited, not sent yet"));
    });
    connect(&m_page, &RFConfigDlg::CommandSent, this, [this](int kind, const std::string& line, bool sent) {
        if (kind == devlink::CMD_SET && sent) OnSet(line);
    });
    connect(&m_page, &RFConfigDlg::ReplyDecoded, this, &CellStates::OnReply);
}

bool CellStates::StateOf(const res::ListCtrl* list, int row, int column, State* state) const {
    const auto it = m_cells.find({list, row, column});
    if (it == m_cells.end()) return false;
    *state = it->second.state;
    return true;
}

void CellStates::Mark(res::ListCtrl* list, int row, int column, State state, const QString& tip) {
    QTableWidgetItem* item = list->item(row, column);
    if (!item) return;
    Cell& cell = m_cells[{list, row, column}];
    cell.state = state;
    item->setBackground(Tint(state));
    item->setToolTip(tip);
}

void CellStates::Clear(res::ListCtrl* list, int row, int column) {
    m_cells.erase({list, row, column});
    if (QTableWidgetItem* item = list->item(row, column)) {
        item->setBackground(QBrush());
        item->setToolTip(QString());
    }
}

res::ListCtrl* CellStates::ListOf(const std::string& code, int* row, int* first, int* last) const {
    *row = -1;  // every row
    if (code == "GM") {
        *first = *last = 1;
        return m_page.m_listNetKeys;
    }
    if (code == "G2") {
        *row = 0;
        *first = *last = 1;
        return m_page.m_listGatewayFreq;
    }
    if (code == "R2" || code == "R9") {
        *row = m_page.m_nSelRepeaterRow;
        *first = 2;
        *last = 4;
        return m_page.m_listRepeaterModules;
    }
    if (code == "RM") {
        *first = *last = 1;
        return m_page.m_listNodes;
    }
    if (code == "N9") {
        *row = 0;
        *first = 1;
        *last = 7;
        return m_page.m_listNodeAttr;
    }
    return nullptr;
}

void CellStates::OnSet(const std::string& line) {
    // "AT+SET <code> …"
    if (line.rfind("AT+SET ", 0) != 0 || line.size() < 9) return;
    const std::string code = line.substr(7, 2);
    int row = 0, first = 0, last = 0;
    res::ListCtrl* list = ListOf(code, &row, &first, &last);
    if (!list) return;
    for (const RFConfigDlg::CellEditor& editor : m_page.m_cellEditors) {
        if (editor.list == list && editor.editor && editor.editor->isVisible()) emit EditorStillOpen();
    }
    for (auto& [key, cell] : m_cells) {
        const auto& [l, r, c] = key;
        if (l != list || cell.state != State::Edited || c < first || c > last || (row >= 0 && r != row)) continue;
        cell.sent = list->GetItemText(r, c);
        Mark(list, r, c, State::Waiting, res::Added("Sent, waiting for the reply"));
    }
}

void CellStates::OnReply(const devlink::Reply& reply) {
    int row = 0, first = 0, last = 0;
    res::ListCtrl* list = ListOf(reply.tag, &row, &first, &last);
    if (!list) return;
    std::map<Key, Cell> cells = m_cells;  // marks change the map
    for (const auto& [key, cell] : cells) {
        const auto& [l, r, c] = key;
        if (l != list || c < first || c > last || (row >= 0 && r != row)) continue;
        auto* target = const_cast<res::ListCtrl*>(l);
        if (cell.state == State::Edited) {
            Clear(target, r, c);  // the reply replaced what was typed and never sent
            continue;
        }
        const QString shown = target->GetItemText(r, c);
        if (shown.compare(cell.sent, Qt::CaseInsensitive) == 0) {
            Mark(target, r, c, State::Confirmed, res::Added("Confirmed by the reply"));
        } else {
            Mark(target, r, c, State::Differs, res::Added("Sent \"%1\"; the reply says \"%2\"").arg(cell.sent, shown));
        }
        m_cells[key].sent = cell.sent;
    }
}
