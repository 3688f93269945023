#include "res/UserPrompts.h"

#include <QApplication>
#include <QMessageBox>
#include <utility>

#include "res/FieldsForm.h"
#include "res/Readings.h"

namespace res {
namespace {

QMessageBox::Icon ToQt(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information: return QMessageBox::Information;
        case PromptIcon::Warning: return QMessageBox::Warning;
        case PromptIcon::Error: return QMessageBox::Critical;
        case PromptIcon::Question: return QMessageBox::Question;
        case PromptIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::Ok: break;
    }
    return QMessageBox::Ok;
}

int FromQt(int button) {
    switch (button) {
        case QMessageBox::Cancel: return kIdCancel;
        case QMessageBox::Yes: return kIdYes;
        case QMessageBox::No: return kIdNo;
        default: return kIdOk;
    }
}

class MessageBoxPrompts final : public UserPrompts {
public:
    int Show(QWidget* parent, const Prompt& prompt) override {
        QMessageBox box(ToQt(prompt.icon), prompt.caption, prompt.text, ToQt(prompt.buttons), parent);
        const std::pair<int, QMessageBox::StandardButton> answers[] = {{kIdOk, QMessageBox::Ok},
                                                                       {kIdCancel, QMessageBox::Cancel},
                                                                       {kIdYes, QMessageBox::Yes},
                                                                       {kIdNo, QMessageBox::No}};
        for (const auto& [answer, button] : answers) {
            if (answer == prompt.defaultAnswer) box.setDefaultButton(button);
        }
        return FromQt(box.exec());
    }
    int AskFields(QWidget* parent, const Prompt& prompt, std::vector<PromptField>& fields,
                  const FieldsCheck& check) override {
        FieldsForm form(parent, prompt, fields, check);
        if (form.exec() != QDialog::Accepted) return kIdCancel;
        fields = form.Answers();
        return kIdOk;
    }
};

MessageBoxPrompts g_default;
UserPrompts* g_installed = &g_default;

}  // namespace

UserPrompts* InstallUserPrompts(UserPrompts* prompts) {
    UserPrompts* previous = g_installed;
    g_installed = prompts ? prompts : &g_default;
    return previous;
}

int ShowPrompt(QWidget* parent, const Prompt& prompt) {
    // Every message reaches the user here, so here it is read in the chosen language.
    Prompt read = prompt;
    read.text = Reading(prompt.text);
    read.caption = Reading(prompt.caption);
    return g_installed->Show(parent, read);
}

int AskFields(QWidget* parent, const Prompt& prompt, std::vector<PromptField>& fields, const FieldsCheck& check) {
    Prompt read = prompt;
    read.text = Reading(prompt.text);
    read.caption = Reading(prompt.caption);
    return g_installed->AskFields(parent, read, fields, check);
}

QString ApplicationCaption() { return QStringLiteral("VeskoraRFConfiguration"); }

int AppMessageBox(const QString& text, PromptIcon icon, PromptButtons buttons) {
    return ShowPrompt(QApplication::activeWindow(), Prompt{text, ApplicationCaption(), icon, buttons, 0});
}

int WindowMessageBox(QWidget* owner, const QString& text, const QString& caption, PromptIcon icon,
                     PromptButtons buttons) {
    return ShowPrompt(owner, Prompt{text, caption, icon, buttons, 0});
}

}  // namespace res
