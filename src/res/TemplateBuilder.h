#pragma once

#include <QSize>
#include <QString>

#include "res/DialogTemplate.h"
#include "res/DialogUnits.h"

class QWidget;

namespace res {

// Creates the controls of a template on dialog, in template order, each at its
// place converted from dialog units with the template's font. Sets the
// dialog's font and returns the base units used.
DialogBaseUnits BuildDialog(const DialogTemplate& dlg, QWidget* dialog);

// The pixel size of a template's client area.
QSize DialogSize(const DialogTemplate& dlg);

// The object name a control of the given id carries.
QString ControlName(int id);

// The control with the given id on a built dialog, or nullptr.
QWidget* FindControl(const QWidget* dialog, int id);

// The control with the given id, as the type the template made it.
template <class T>
T* Control(const QWidget* dialog, int id);

}  // namespace res

#include <QObject>

template <class T>
T* res::Control(const QWidget* dialog, int id) {
    return qobject_cast<T*>(FindControl(dialog, id));
}
