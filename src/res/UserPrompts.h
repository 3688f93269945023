#pragma once

#include <QString>

class QWidget;

namespace res {

enum class PromptIcon { None, Information, Warning, Error, Question };
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel };

// Answers a prompt gives, numbered as the program's callers compare them.
enum PromptResult { kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

// One modal message to the user.
struct Prompt {
    QString text;
    QString caption;
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    int defaultAnswer = 0;  // the answer Enter gives (a PromptResult); 0: the box's own
};

// The one way the program talks to the user in a modal box. The default shows
// a QMessageBox; tests install a recorder that answers at once.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // Shows the prompt over parent (may be null) and returns the answer.
    virtual int Show(QWidget* parent, const Prompt& prompt) = 0;
};

// Installs prompts as the program's user-message seam (null: the default).
// Returns the one installed before. Ownership stays with the caller.
UserPrompts* InstallUserPrompts(UserPrompts* prompts);

// Shows a prompt through the installed seam.
int ShowPrompt(QWidget* parent, const Prompt& prompt);

// The application's own box: its caption is the program's name.
int AppMessageBox(const QString& text, PromptIcon icon = PromptIcon::None, PromptButtons buttons = PromptButtons::Ok);

// A box owned by a window, with the caller's caption.
int WindowMessageBox(QWidget* owner, const QString& text, const QString& caption, PromptIcon icon = PromptIcon::None,
                     PromptButtons buttons = PromptButtons::Ok);

// The program's name as the application's own boxes show it.
QString ApplicationCaption();

}  // namespace res
