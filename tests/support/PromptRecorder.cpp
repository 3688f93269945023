#include "support/PromptRecorder.h"

PromptRecorder::PromptRecorder() : m_previous(res::InstallUserPrompts(this)) {}

PromptRecorder::~PromptRecorder() { res::InstallUserPrompts(m_previous); }

int PromptRecorder::Show(QWidget* parent, const res::Prompt& prompt) {
    shown.push_back({parent, prompt});
    return answer;
}

QStringList PromptRecorder::Texts() const {
    QStringList texts;
    for (const Shown& s : shown) texts << s.prompt.text;
    return texts;
}
