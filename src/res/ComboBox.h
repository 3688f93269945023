#pragma once

#include <QComboBox>

namespace res {

// A combo box that can keep its strings sorted, with the selection calls the
// pages use. Index -1 means nothing is selected.
class ComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit ComboBox(bool sorted, QWidget* parent = nullptr);

    // Adds a string, at its sorted place when the box sorts; returns its index.
    int AddString(const QString& text);
    int GetCurSel() const { return currentIndex(); }
    void SetCurSel(int index) { setCurrentIndex(index); }
    bool IsSorted() const { return m_sorted; }

private:
    bool m_sorted;
};

}  // namespace res
