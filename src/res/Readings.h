#pragma once

#include <QString>

namespace res {

// The program's texts are Korean as given; English is their reading through
// Qt's translation system, in this one context.
inline constexpr char kReadingContext[] = "Veskora";

// A text of the program as the chosen language reads it: in Korean (no
// translator installed) exactly the text given.
QString Reading(const char* text);
QString Reading(const QString& text);

enum class Language { Korean, English };

// The language chosen last (Korean when none was).
Language SavedLanguage();
void SaveLanguage(Language language);

// Installs the reading of the language for the process (Korean: none).
// False when English was asked for and its translation could not be loaded.
bool ApplyLanguage(Language language);

}  // namespace res
