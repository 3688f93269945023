#include "res/ComboBox.h"

namespace res {

ComboBox::ComboBox(bool sorted, QWidget* parent) : QComboBox(parent), m_sorted(sorted) {}

int ComboBox::AddString(const QString& text) {
    int at = count();
    if (m_sorted) {
        at = 0;
        while (at < count() && QString::compare(itemText(at), text, Qt::CaseInsensitive) <= 0) ++at;
    }
    // Adding must not change what is selected: nothing stays nothing.
    const int selected = currentIndex();
    const QString edited = isEditable() ? currentText() : QString();
    insertItem(at, text);
    if (selected < 0) {
        setCurrentIndex(-1);
        if (isEditable()) setEditText(edited);
    }
    return at;
}

}  // namespace res
