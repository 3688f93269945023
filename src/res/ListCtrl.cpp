#include "res/ListCtrl.h"

#include <QHeaderView>
#include <QMouseEvent>

namespace res {

ListCtrl::ListCtrl(QWidget* parent) : QTableWidget(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Tab leaves the list for the page's next control, as in a dialog; arrows move between rows.
    setTabKeyNavigation(false);
    setShowGrid(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setMinimumSectionSize(0);

    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != 0 || !(m_exStyle & kCheckBoxes) || m_settingCheck) return;
        const bool checked = item->checkState() == Qt::Checked;
        if (item->data(Qt::UserRole).toBool() == checked) return;
        item->setData(Qt::UserRole, checked);
        emit CheckChanged(item->row(), checked);
    });
}

void ListCtrl::SetExtendedStyle(unsigned style) {
    m_exStyle = style;
    setShowGrid(style & kGridLines);
    setSelectionBehavior((style & kFullRowSelect) ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
}

int ListCtrl::InsertColumn(int column, const QString& heading, int width) {
    column = std::clamp(column, 0, columnCount());
    insertColumn(column);
    auto* header = new QTableWidgetItem(heading);
    header->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHorizontalHeaderItem(column, header);
    setColumnWidth(column, width);
    return column;
}

int ListCtrl::InsertItem(int row, const QString& text) {
    row = std::clamp(row, 0, rowCount());
    insertRow(row);
    QTableWidgetItem* item = EnsureItem(row, 0);
    item->setText(text);
    if (m_exStyle & kCheckBoxes) SetCheck(row, false);
    return row;
}

bool ListCtrl::SetItemText(int row, int column, const QString& text) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount()) return false;
    EnsureItem(row, column)->setText(text);
    return true;
}

QString ListCtrl::GetItemText(int row, int column) const {
    const QTableWidgetItem* it = item(row, column);
    return it ? it->text() : QString();
}

void ListCtrl::DeleteAllItems() { setRowCount(0); }

bool ListCtrl::GetCheck(int row) const {
    const QTableWidgetItem* it = item(row, 0);
    return it && it->checkState() == Qt::Checked;
}

void ListCtrl::SetCheck(int row, bool checked) {
    if (row < 0 || row >= rowCount()) return;
    QTableWidgetItem* it = EnsureItem(row, 0);
    const bool was = it->data(Qt::UserRole).toBool();
    m_settingCheck = true;
    it->setFlags(it->flags() | Qt::ItemIsUserCheckable);
    it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    it->setData(Qt::UserRole, checked);
    m_settingCheck = false;
    if (was != checked) emit CheckChanged(row, checked);
}

QRect ListCtrl::GetSubItemRect(int row, int column) const {
    const QRect r = visualRect(model()->index(row, column));
    return r.translated(viewport()->geometry().topLeft());
}

void ListCtrl::mouseReleaseEvent(QMouseEvent* event) {
    QTableWidget::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    emit Clicked(index.isValid() ? index.row() : -1, index.isValid() ? index.column() : -1);
}

void ListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableWidget::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QModelIndex index = indexAt(event->position().toPoint());
    emit DoubleClicked(index.isValid() ? index.row() : -1, index.isValid() ? index.column() : -1);
}

QTableWidgetItem* ListCtrl::EnsureItem(int row, int column) {
    QTableWidgetItem* it = item(row, column);
    if (!it) {
        it = new QTableWidgetItem;
        it->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(row, column, it);
    }
    return it;
}

}  // namespace res
