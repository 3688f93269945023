#pragma once

class QDialog;
class QKeyEvent;

namespace res {

// Enter or Return with no modifier ends a dialog like OK wherever the focus
// is (a focused button takes Enter as its own click and never passes it on).
// Returns whether it did; the caller hands any other key to QDialog.
bool AcceptOnEnter(QDialog& dialog, const QKeyEvent& event);

}  // namespace res
