#pragma once

#include <QTableWidget>

namespace res {

// A report-view list: fixed columns, rows of text, optional check boxes in
// column 0. Items are never edited in place by the table itself; pages put
// their own editors over a cell.
class ListCtrl : public QTableWidget {
    Q_OBJECT

public:
    enum ExtendedStyle : unsigned {
        kGridLines = 0x1,
        kCheckBoxes = 0x4,
        kFullRowSelect = 0x20,
    };

    explicit ListCtrl(QWidget* parent = nullptr);

    void SetExtendedStyle(unsigned style);
    unsigned GetExtendedStyle() const { return m_exStyle; }

    // Appends or inserts a left-aligned column; returns its index.
    int InsertColumn(int column, const QString& heading, int width = 100);
    // Inserts a row whose column 0 reads text; returns its index.
    int InsertItem(int row, const QString& text);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    int GetItemCount() const { return rowCount(); }
    void DeleteAllItems();

    bool GetCheck(int row) const;
    void SetCheck(int row, bool checked);

    // The cell's rectangle in the list's own coordinates.
    QRect GetSubItemRect(int row, int column) const;

signals:
    // A click or double-click; row is -1 below the last row.
    void Clicked(int row, int column);
    void DoubleClicked(int row, int column);
    // The check box of a row changed state.
    void CheckChanged(int row, bool checked);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QTableWidgetItem* EnsureItem(int row, int column);

    unsigned m_exStyle = 0;
    bool m_settingCheck = false;
};

}  // namespace res
