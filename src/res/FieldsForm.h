#pragma once

#include <QDialog>
#include <vector>

#include "res/UserPrompts.h"

class QDialogButtonBox;
class QLabel;

namespace res {

// The default seam's form: the prompt's text, one editor per field, the
// check's complaint under them, OK and Cancel. It grows with its window.
class FieldsForm : public QDialog {
    Q_OBJECT

public:
    FieldsForm(QWidget* parent, const Prompt& prompt, const std::vector<PromptField>& fields, FieldsCheck check);
    // The fields with the texts as typed.
    std::vector<PromptField> Answers() const;

private:
    void Check();

    std::vector<PromptField> m_fields;
    std::vector<QWidget*> m_editors;
    FieldsCheck m_check;
    QLabel* m_problem = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
};

}  // namespace res
