#include "res/FieldsForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

namespace res {

FieldsForm::FieldsForm(QWidget* parent, const Prompt& prompt, const std::vector<PromptField>& fields, FieldsCheck check)
    : QDialog(parent), m_fields(fields), m_check(std::move(check)) {
    setWindowTitle(prompt.caption);
    auto* layout = new QVBoxLayout(this);
    if (!prompt.text.isEmpty()) {
        auto* text = new QLabel(prompt.text, this);
        text->setWordWrap(true);
        layout->addWidget(text);
    }
    auto* form = new QFormLayout;
    for (const PromptField& field : m_fields) {
        QWidget* editor = nullptr;
        if (field.lines) {
            auto* edit = new QPlainTextEdit(field.text, this);
            edit->setTabChangesFocus(true);
            connect(edit, &QPlainTextEdit::textChanged, this, &FieldsForm::Check);
            editor = edit;
        } else {
            auto* edit = new QLineEdit(field.text, this);
            connect(edit, &QLineEdit::textChanged, this, &FieldsForm::Check);
            editor = edit;
        }
        editor->setAccessibleName(field.label);
        form->addRow(field.label, editor);
        m_editors.push_back(editor);
    }
    layout->addLayout(form, 1);
    m_problem = new QLabel(this);
    m_problem->setWordWrap(true);
    m_problem->setStyleSheet(QStringLiteral("color: #b00000"));
    layout->addWidget(m_problem);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(m_buttons);
    // Room for a line of notes as people write them.
    setMinimumWidth(fontMetrics().horizontalAdvance(QString(64, QLatin1Char('n'))));
    Check();
}

std::vector<PromptField> FieldsForm::Answers() const {
    std::vector<PromptField> answers = m_fields;
    for (std::size_t i = 0; i < answers.size(); ++i) {
        if (const auto* line = qobject_cast<const QLineEdit*>(m_editors[i])) {
            answers[i].text = line->text();
        } else if (const auto* lines = qobject_cast<const QPlainTextEdit*>(m_editors[i])) {
            answers[i].text = lines->toPlainText();
        }
    }
    return answers;
}

void FieldsForm::Check() {
    const QString problem = m_check ? m_check(Answers()) : QString();
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(problem.isEmpty());
}

}  // namespace res
