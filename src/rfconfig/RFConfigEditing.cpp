// List editing and selection on the RF page: the five in-place editors, the
// clicks that choose what the commands address, and the check boxes that act
// like radio buttons.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "res/TemplateBuilder.h"
#include "rfconfig/PageText.h"
#include "rfconfig/RFConfigDlg.h"

void RFConfigDlg::OpenCellEditor(CellEditor& cell, int iItem, int iSubItem) {
    // The cell is remembered before any test: Enter writes into the cell
    // double-clicked last, even when that double-click opened nothing.
    *cell.row = iItem;
    *cell.column = iSubItem;
    if (iItem < 0 || iSubItem < cell.firstColumn) return;

    const QRect inList = cell.list->GetSubItemRect(iItem, iSubItem);
    const QRect onPage(cell.list->mapTo(this, inList.topLeft()), inList.size());
    cell.editor->setText(cell.list->GetItemText(iItem, iSubItem));
    cell.editor->setGeometry(onPage);
    cell.editor->raise();
    cell.editor->show();
    cell.editor->setFocus(Qt::OtherFocusReason);
    // Typing replaces the value; End or a click keeps it for changing.
    cell.editor->selectAll();
}

void RFConfigDlg::CommitCellEditor(CellEditor& cell) {
    const QString typed = cell.editor->text();
    cell.list->SetItemText(*cell.row, *cell.column, cell.upperCase ? rfpage::UpperLatinLetters(typed) : typed);
    cell.editor->setGeometry(0, 0, 0, 0);
    cell.editor->hide();
    emit CellEdited(cell.list, *cell.row, *cell.column);
}

bool RFConfigDlg::PreTranslateKey(QWidget* target, QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QWidget* focus = QApplication::focusWidget();
        for (CellEditor& cell : m_cellEditors) {
            if (cell.editor == focus && target == focus) {
                CommitCellEditor(cell);
                break;
            }
        }
        return true;
    }
    return PageBase::PreTranslateKey(target, event);
}

void RFConfigDlg::OnNMDblclkNetKeys(int iItem, int iSubItem) { OpenCellEditor(m_cellEditors[0], iItem, iSubItem); }

void RFConfigDlg::OnNMDblclkGatewayFreq(int iItem, int iSubItem) { OpenCellEditor(m_cellEditors[1], iItem, iSubItem); }

void RFConfigDlg::OnNMDblclkRepeaterModules(int iItem, int iSubItem) {
    CellEditor& cell = m_cellEditors[2];
    // The MCU row has nothing to edit: its settings are the node IDs.
    if (iItem == 0) {
        *cell.row = iItem;
        *cell.column = iSubItem;
        return;
    }
    OpenCellEditor(cell, iItem, iSubItem);
}

void RFConfigDlg::OnNMDblclkNodeAttr(int iItem, int iSubItem) { OpenCellEditor(m_cellEditors[3], iItem, iSubItem); }

void RFConfigDlg::OnNMDblclkNodes(int iItem, int iSubItem) { OpenCellEditor(m_cellEditors[4], iItem, iSubItem); }

void RFConfigDlg::OnNMClickGatewayModules(int iItem) {
    if (iItem < 1 || iItem >= m_listGatewayModules->GetItemCount()) return;
    m_strSelGatewayId = rfpage::Cell(m_listGatewayModules, iItem, 1);
    m_listGatewayFreq->DeleteAllItems();
    m_listGatewayFreq->InsertItem(0, textcodec::ToQString(m_strSelGatewayId));
}

void RFConfigDlg::OnNMClickNodes(int iItem) {
    if (iItem < 0 || iItem >= m_listNodes->GetItemCount()) return;
    m_strSelNodeId = rfpage::Cell(m_listNodes, iItem, 1);
    m_listNodeAttr->DeleteAllItems();
    m_listNodeAttr->InsertItem(0, textcodec::ToQString(m_strSelNodeId));
}

void RFConfigDlg::OnNMClickRepeaterModules(int iItem) {
    m_nSelRepeaterRow = iItem;
    if (iItem >= 0 && iItem < m_listRepeaterModules->GetItemCount()) {
        m_strSelRepeaterModuleId = rfpage::Cell(m_listRepeaterModules, iItem, 1);
    }
}

void RFConfigDlg::KeepOneChecked(res::ListCtrl* list, int iItem) {
    // Each uncheck notifies at once (nested), before the loop goes on.
    for (int i = 0; i < list->GetItemCount(); ++i) {
        if (i != iItem && list->GetCheck(i)) list->SetCheck(i, false);
    }
}

void RFConfigDlg::OnLvnItemchangedGatewayModules(int iItem, bool checked) {
    QWidget* getNetKey = res::FindControl(this, 1034);
    QWidget* setNetKey = res::FindControl(this, 1035);
    QWidget* getGateway = res::FindControl(this, 1014);
    QWidget* setGateway = res::FindControl(this, 1015);
    if (checked) {
        KeepOneChecked(m_listGatewayModules, iItem);
        if (m_listGatewayModules->GetCheck(0)) {
            getNetKey->setEnabled(true);
            setNetKey->setEnabled(true);
            getGateway->setEnabled(false);
            setGateway->setEnabled(false);
        } else if (m_listGatewayModules->GetCheck(1) || m_listGatewayModules->GetCheck(2)) {
            getGateway->setEnabled(true);
            setGateway->setEnabled(true);
        }
    } else if (!m_listGatewayModules->GetCheck(0)) {
        getNetKey->setEnabled(false);
        setNetKey->setEnabled(false);
    }
}

void RFConfigDlg::OnLvnItemchangedRepeaterModules(int iItem, bool checked) {
    if (checked) KeepOneChecked(m_listRepeaterModules, iItem);
}

void RFConfigDlg::OnLvnItemchangedNodes(int iItem, bool checked) {
    if (checked) KeepOneChecked(m_listNodes, iItem);
}
