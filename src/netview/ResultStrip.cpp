#include "netview/ResultStrip.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace netview {

ResultStrip::ResultStrip(QWidget* parent) : QWidget(parent), m_text(new QLabel(this)), m_row(new QHBoxLayout(this)) {
    m_row->setContentsMargins(0, 0, 0, 0);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_row->addWidget(m_text, 1);
}

void ResultStrip::Show(const QString& text, const std::vector<Action>& actions) {
    // Buttons of an older result go on the next turn: one may be running this very call.
    for (QPushButton* b : m_buttons) {
        b->hide();
        b->deleteLater();
    }
    m_buttons.clear();
    m_text->setText(text);
    for (const Action& action : actions) {
        auto* b = new QPushButton(action.text, this);
        connect(b, &QPushButton::clicked, this, action.run);
        m_row->addWidget(b);
        b->show();  // at once, not on the layout's next turn: Tab may go there next
        m_buttons.push_back(b);
    }
}

QString ResultStrip::Text() const { return m_text->text(); }

std::vector<QPushButton*> ResultStrip::Buttons() const { return m_buttons; }

}  // namespace netview
