#pragma once

#include <QString>
#include <functional>
#include <vector>

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

// One text a form asks for.
struct PromptField {
    QString label;
    QString text;
    bool lines = false;  // several lines rather than one
};

// Why a form's answers cannot be taken as they stand (shown under the fields,
// OK disabled until it is empty).
using FieldsCheck = std::function<QString(const std::vector<PromptField>&)>;

// The one way the program talks to the user in a modal box. The default shows
// a QMessageBox; tests install a recorder that answers at once.
class UserPrompts {
public:
    virtual ~UserPrompts() = default;
    // Shows the prompt over parent (may be null) and returns the answer.
    virtual int Show(QWidget* parent, const Prompt& prompt) = 0;
    // Asks for the fields' texts in one form under the prompt's text; the
    // answers replace the texts. A seam without forms shows the prompt alone
    // and leaves the texts as they were.
    virtual int AskFields(QWidget* parent, const Prompt& prompt, std::vector<PromptField>& fields,
                          const FieldsCheck& check) {
        (void)fields;
        (void)check;
        return Show(parent, prompt);
    }
};

// Installs prompts as the program's user-message seam (null: the default).
// Returns the one installed before. Ownership stays with the caller.
UserPrompts* InstallUserPrompts(UserPrompts* prompts);

// Shows a prompt through the installed seam.
int ShowPrompt(QWidget* parent, const Prompt& prompt);

// Asks for fields through the installed seam: kIdOk with the answers in
// fields, or kIdCancel.
int AskFields(QWidget* parent, const Prompt& prompt, std::vector<PromptField>& fields, const FieldsCheck& check = {});

// The application's own box: its caption is the program's name.
int AppMessageBox(const QString& text, PromptIcon icon = PromptIcon::None, PromptButtons buttons = PromptButtons::Ok);

// A box owned by a window, with the caller's caption.
int WindowMessageBox(QWidget* owner, const QString& text, const QString& caption, PromptIcon icon = PromptIcon::None,
                     PromptButtons buttons = PromptButtons::Ok);

// The program's name as the application's own boxes show it.
QString ApplicationCaption();

}  // namespace res
