#include "support/PromptRecorder.h"

PromptRecorder::PromptRecorder() : m_previous(res::InstallUserPrompts(this)) {}

PromptRecorder::~PromptRecorder() { res::InstallUserPrompts(m_previous); }

int PromptRecorder::Show(QWidget* parent, const res::Prompt& prompt) {
    shown.push_back({parent, prompt});
    return answer;
}

int PromptRecorder::AskFields(QWidget* parent, const res::Prompt& prompt, std::vector<res::PromptField>& fields,
                              const res::FieldsCheck&) {
    shown.push_back({parent, prompt});
    forms.push_back(fields);
    if (fill) fill(fields);
    return answer;
}

QStringList PromptRecorder::Texts() const {
    QStringList texts;
    for (const Shown& s : shown) texts << s.prompt.text;
    return texts;
}
