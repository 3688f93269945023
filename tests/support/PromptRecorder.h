#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>
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
    // Records the form as a prompt and its fields as offered, lets fill type
    // the answers, and answers with answer.
    int AskFields(QWidget* parent, const res::Prompt& prompt, std::vector<res::PromptField>& fields,
                  const res::FieldsCheck& check) override;
    // The texts of the prompts shown so far, in order.
    QStringList Texts() const;

    std::vector<Shown> shown;
    int answer = res::kIdOk;
    std::vector<std::vector<res::PromptField>> forms;
    std::function<void(std::vector<res::PromptField>&)> fill;

private:
    res::UserPrompts* m_previous;
};
