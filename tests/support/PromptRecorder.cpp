#include "support/PromptRecorder.h"

PromptRecorder::PromptRecorder() : m_previous(res::InstallUserPrompts(this)) {}

PromptRecorder::~PromptRecorder() { res::InstallUserPrompts(m_previous); }

int PromptRecorder::Show(QWidget* parent, const res::Prompt& prompt) {
    shown.push_back({parent, prompt});
    return answer;
}
