#include "res/IpAddressCtrl.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace res {

IpAddressCtrl::IpAddressCtrl(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
    setFocusPolicy(Qt::StrongFocus);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 0, 2, 0);
    layout->setSpacing(0);
    auto* validator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (size_t i = 0; i < kFieldCount; ++i) {
        auto* field = new QLineEdit(this);
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setMaxLength(3);
        field->setValidator(validator);
        field->installEventFilter(this);
        layout->addWidget(field, 1);
        m_fields[i] = field;
        if (i + 1 < m_fields.size()) {
            auto* dot = new QLabel(QStringLiteral("."), this);
            dot->setBackgroundRole(QPalette::Base);
            layout->addWidget(dot);
        }
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString& text) {
            if (text.size() == 3 && CursorAtEnd(m_fields[i]) && i + 1 < m_fields.size()) {
                ClampField(static_cast<int>(i));
                FocusField(static_cast<int>(i) + 1, false);
            }
        });
        connect(field, &QLineEdit::editingFinished, this, [this, i] { ClampField(static_cast<int>(i)); });
    }
    setFocusProxy(m_fields[0]);
}

IpAddressCtrl::~IpAddressCtrl() {
    // The fields lose focus while QWidget tears them down, after this part of
    // the object is gone: they must not call back into it then.
    for (QLineEdit* field : m_fields) {
        field->removeEventFilter(this);
        disconnect(field, nullptr, this, nullptr);
    }
}

bool IpAddressCtrl::CursorAtEnd(const QLineEdit* field) { return field->cursorPosition() == field->text().size(); }

void IpAddressCtrl::SetAccessibleNames(const QString& name) {
    setAccessibleName(name);
    for (size_t i = 0; i < m_fields.size(); ++i) {
        m_fields[i]->setAccessibleName(QStringLiteral("%1, part %2 of 4").arg(name).arg(i + 1));
    }
}

void IpAddressCtrl::SetAddress(quint8 a, quint8 b, quint8 c, quint8 d) {
    const std::array<quint8, 4> parts{a, b, c, d};
    for (size_t i = 0; i < m_fields.size(); ++i) m_fields[i]->setText(QString::number(parts[i]));
}

void IpAddressCtrl::SetAddress(quint32 address) {
    SetAddress(static_cast<quint8>(address >> 24), static_cast<quint8>(address >> 16),
               static_cast<quint8>(address >> 8), static_cast<quint8>(address));
}

int IpAddressCtrl::GetAddress(quint32& address) const {
    address = 0;
    int filled = 0;
    for (const QLineEdit* field : m_fields) {
        address <<= 8;
        if (field->text().isEmpty()) continue;
        ++filled;
        address |= static_cast<quint32>(std::min(field->text().toInt(), 255));
    }
    return filled;
}

bool IpAddressCtrl::IsBlank() const {
    return std::all_of(m_fields.begin(), m_fields.end(), [](const QLineEdit* f) { return f->text().isEmpty(); });
}

void IpAddressCtrl::ClearAddress() {
    for (QLineEdit* field : m_fields) field->clear();
}

QString IpAddressCtrl::Text() const {
    QStringList parts;
    for (const QLineEdit* field : m_fields) parts << field->text();
    return parts.join(QLatin1Char('.'));
}

bool IpAddressCtrl::eventFilter(QObject* watched, QEvent* event) {
    const int index = IndexOf(watched);
    if (index < 0 || event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    QLineEdit* field = m_fields[static_cast<size_t>(index)];
    switch (key->key()) {
        case Qt::Key_Period:
        case Qt::Key_Space:
            // A dot right after the third digit moved on by itself, or in an
            // empty field, stays where it is: it must not skip a field.
            if (index + 1 < 4 && !field->text().isEmpty() && field->selectedText() != field->text()) {
                FocusField(index + 1, false);
            }
            return true;
        case Qt::Key_Backspace:
            if (field->cursorPosition() == 0 && !field->hasSelectedText() && index > 0) {
                FocusField(index - 1, true);
                return true;
            }
            break;
        case Qt::Key_Left:
            if (field->cursorPosition() == 0 && index > 0) {
                FocusField(index - 1, true);
                return true;
            }
            break;
        case Qt::Key_Right:
            if (CursorAtEnd(field) && index + 1 < 4) {
                FocusField(index + 1, false);
                return true;
            }
            break;
        default: break;
    }
    return QFrame::eventFilter(watched, event);
}

int IpAddressCtrl::IndexOf(const QObject* field) const {
    for (size_t i = 0; i < m_fields.size(); ++i) {
        if (m_fields[i] == field) return static_cast<int>(i);
    }
    return -1;
}

void IpAddressCtrl::FocusField(int index, bool atEnd) {
    QLineEdit* field = m_fields[static_cast<size_t>(index)];
    field->setFocus(Qt::OtherFocusReason);
    if (atEnd) {
        field->end(false);
    } else {
        field->selectAll();
    }
}

void IpAddressCtrl::ClampField(int index) {
    QLineEdit* field = m_fields[static_cast<size_t>(index)];
    if (!field->text().isEmpty() && field->text().toInt() > 255) field->setText(QStringLiteral("255"));
}

}  // namespace res
