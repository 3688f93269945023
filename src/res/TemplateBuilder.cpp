#include "res/TemplateBuilder.h"

#include <QAbstractItemView>
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

// A label's words, without its mnemonic marker and closing colon.
QString LabelWords(const char* text) {
    QString words = Reading(text);
    words.remove(QLatin1Char('&'));
    words = words.trimmed();
    if (words.endsWith(QLatin1Char(':'))) words.chop(1);
    return words.trimmed();
}

bool HasOwnText(ControlKind kind) {
    return kind == ControlKind::GroupBox || kind == ControlKind::Static || kind == ControlKind::Button ||
           kind == ControlKind::Icon;
}

QRect Area(const ControlTemplate& c) { return {c.x, c.y, c.w, c.h}; }

// A control without text of its own is named as a screen reader finds it on a
// dialog: by the label just before it or just left of it on its line, else by
// the smallest group box around it.
QString NameFor(const DialogTemplate& dlg, std::size_t index) {
    const auto& controls = dlg.controls;
    const ControlTemplate& c = controls[index];
    const auto isLabel = [](const ControlTemplate& l) { return l.kind == ControlKind::Static && *l.text != 0; };
    if (index > 0 && isLabel(controls[index - 1])) return LabelWords(controls[index - 1].text);
    constexpr int kLabelGap = 12;  // dialog units between a label and its control
    for (const ControlTemplate& l : controls) {
        const bool sameLine = l.y < c.y + c.h && c.y < l.y + l.h;
        const int gap = c.x - (l.x + l.w);
        if (isLabel(l) && sameLine && gap >= 0 && gap <= kLabelGap) return LabelWords(l.text);
    }
    const ControlTemplate* group = nullptr;
    for (const ControlTemplate& g : controls) {
        if (g.kind != ControlKind::GroupBox || !Area(g).contains(Area(c))) continue;
        if (!group || g.w * g.h < group->w * group->h) group = &g;
    }
    return group ? LabelWords(group->text) : QString();
}

void SetAccessibleName(QWidget* w, const QString& name) {
    if (auto* address = qobject_cast<IpAddressCtrl*>(w)) {
        address->SetAccessibleNames(name);
        return;
    }
    w->setAccessibleName(name);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        combo->view()->setAccessibleName(name);
        if (combo->lineEdit()) combo->lineEdit()->setAccessibleName(name);
    }
}

}  // namespace

DialogBaseUnits BuildDialog(const DialogTemplate& dlg, QWidget* dialog) {
    const QFont font = DialogFont(dlg);
    dialog->setFont(font);
    const DialogBaseUnits base = BaseUnitsOf(font);
    for (std::size_t i = 0; i < dlg.controls.size(); ++i) {
        const ControlTemplate& c = dlg.controls[i];
        QWidget* w = MakeControl(c, dialog);
        if (!HasOwnText(c.kind)) SetAccessibleName(w, NameFor(dlg, i));
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
