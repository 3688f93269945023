#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <vector>

#include "res/UserPrompts.h"

// Installs itself as the user-message seam for its lifetime: it records every
// prompt and answers at once with the answer set.
class PromptRecorder final : public res::UserPrompts {
public:
    struct Shown {
        QPointer<QWidget> parent;
        res::Prompt prompt;
    };

    PromptRecorder();
    ~PromptRecorder() override;
    PromptRecorder(const PromptRecorder&) = delete;
    PromptRecorder& operator=(const PromptRecorder&) = delete;

    int Show(QWidget* parent, const res::Prompt& prompt) override;
    // The texts of the prompts shown so far, in order.
    QStringList Texts() const;

    std::vector<Shown> shown;
    int answer = res::kIdOk;

private:
    res::UserPrompts* m_previous;
};
