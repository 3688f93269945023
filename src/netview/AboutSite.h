#pragma once

#include <QString>
#include <vector>

#include "network/Site.h"
#include "res/UserPrompts.h"

class QWidget;

namespace netview {

// The form that asks who commissions the site: its name, the technician and
// notes, prefilled from about.
std::vector<res::PromptField> AboutFields(const network::About& about);

// The form's answers as a plan keeps them (system code page, ends trimmed,
// line ends as LF) into *about, or why they cannot be kept (about untouched).
QString AboutFromFields(const std::vector<res::PromptField>& fields, network::About* about);

// The form's words above its fields, and its caption.
res::Prompt AboutPrompt();

// Asks in one form through the prompts seam; false when the technician
// cancelled. fields hold the answers.
bool AskAbout(QWidget* parent, std::vector<res::PromptField>& fields);

}  // namespace netview
