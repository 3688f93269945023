#include "res/DialogKeys.h"

#include <QDialog>
#include <QKeyEvent>

namespace res {

bool AcceptOnEnter(QDialog& dialog, const QKeyEvent& event) {
    if ((event.key() != Qt::Key_Return && event.key() != Qt::Key_Enter) || event.modifiers() != Qt::NoModifier) {
        return false;
    }
    dialog.accept();
    return true;
}

}  // namespace res
