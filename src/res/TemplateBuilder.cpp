#include "res/TemplateBuilder.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "res/AppIcon.h"
#include "res/ComboBox.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "res/PropertyGrid.h"
#include "res/Readings.h"
#include "res/TabCtrl.h"

namespace res {
namespace {

QWidget* MakeEdit(const ControlTemplate& c, QWidget* parent) {
    if (c.style & kMultiline) {
        auto* edit = new QPlainTextEdit(parent);
        // Without horizontal auto-scroll a multi-line edit wraps its lines;
        // it shows a scroll bar only when its style names one.
        edit->setLineWrapMode((c.style & kAutoHScroll) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        edit->setVerticalScrollBarPolicy((c.style & kVScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setTabChangesFocus(true);
        return edit;
    }
    auto* edit = new QLineEdit(QString::fromUtf8(c.text), parent);
    edit->setFrame(c.style & kBorder);
    if (c.style & kDigitsOnly) {
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
    }
    return edit;
}

QWidget* MakeCombo(const ControlTemplate& c, QWidget* parent) {
    auto* combo = new ComboBox(c.style & kSorted, parent);
    combo->setEditable(c.style & kDropDown);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

QWidget* MakeControl(const ControlTemplate& c, QWidget* parent) {
    const QString text = Reading(c.text);
    switch (c.kind) {
        case ControlKind::GroupBox: return new QGroupBox(text, parent);
        case ControlKind::Static: return new QLabel(text, parent);
        case ControlKind::Icon: {
            auto* label = new QLabel(parent);
            label->setPixmap(AppIcon().pixmap(32, 32));
            return label;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(text, parent);
            button->setDefault(c.style & kDefaultButton);
            return button;
        }
        case ControlKind::Edit: return MakeEdit(c, parent);
        case ControlKind::ListView: {
            auto* list = new ListCtrl(parent);
            if (c.style & kSingleSel) list->setSelectionMode(QAbstractItemView::SingleSelection);
            return list;
        }
        case ControlKind::ComboBox: return MakeCombo(c, parent);
        case ControlKind::IpAddress: return new IpAddressCtrl(parent);
        case ControlKind::TabControl: return new TabCtrl(parent);
        case ControlKind::PropertyGrid: return new PropertyGrid(parent);
    }
    return new QWidget(parent);
}

}  // namespace

DialogBaseUnits BuildDialog(const DialogTemplate& dlg, QWidget* dialog) {
    const QFont font = DialogFont(dlg);
    dialog->setFont(font);
    const DialogBaseUnits base = BaseUnitsOf(font);
    for (const ControlTemplate& c : dlg.controls) {
        QWidget* w = MakeControl(c, dialog);
        if (c.id != kNoId) w->setObjectName(ControlName(c.id));
        QRect r = DialogToPixels(QRect(c.x, c.y, c.w, c.h), base);
        // A combo box's height in a template includes its drop-down list.
        if (c.kind == ControlKind::ComboBox) r.setHeight(w->sizeHint().height());
        w->setGeometry(r);
        if (!(c.style & kTabStop)) w->setFocusPolicy(Qt::NoFocus);
        if (c.style & kDisabled) w->setEnabled(false);
        if (c.style & kHidden) w->hide();
    }
    return base;
}

QSize DialogSize(const DialogTemplate& dlg) {
    const DialogBaseUnits base = BaseUnitsOf(DialogFont(dlg));
    return DialogToPixels(QRect(0, 0, dlg.w, dlg.h), base).size();
}

QString ControlName(int id) { return QStringLiteral("ctl%1").arg(id); }

QWidget* FindControl(const QWidget* dialog, int id) {
    return dialog->findChild<QWidget*>(ControlName(id), Qt::FindDirectChildrenOnly);
}

}  // namespace res
