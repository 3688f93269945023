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

// The texts this program added are English in the sources; their Korean
// reading is in this context.
inline constexpr char kAddedContext[] = "Added";

// An added text as the chosen language reads it: in English (or with no
// translator installed) exactly the text given.
QString Added(const char* text);

enum class Language { Korean, English };

// The language chosen last (Korean when none was).
Language SavedLanguage();
void SaveLanguage(Language language);

// Installs the reading of the language for the process: English reads the
// Korean texts, Korean reads the added ones. False when it could not be loaded.
bool ApplyLanguage(Language language);
// Removes the installed reading: every text as the sources give it (how tests start).
void ClearReading();

}  // namespace res
