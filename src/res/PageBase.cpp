#include "res/PageBase.h"

#include <QApplication>
#include <QKeyEvent>

namespace res {

PageBase::PageBase(QWidget* parent) : QWidget(parent) {
    // The filter sits on the application so that keys are seen before the
    // focused child handles them, editors created later included.
    qApp->installEventFilter(this);
}

PageBase::~PageBase() { qApp->removeEventFilter(this); }

bool PageBase::PreTranslateKey(QWidget*, QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape: return true;
        default: return false;
    }
}

bool PageBase::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType()) return false;
    auto* target = static_cast<QWidget*>(watched);
    if (target != this && !isAncestorOf(target)) return false;
    return PreTranslateKey(target, static_cast<QKeyEvent*>(event));
}

}  // namespace res
