#pragma once

#include <QString>

namespace res {

// The user's documents folder, where the ID file lives. Tests point it at a
// temporary folder so the real one is never touched.
QString DocumentsFolder();

// Overrides the documents folder for the process (empty: the user's own).
void SetDocumentsFolder(const QString& folder);

// The folder of the ID file below a documents folder, with a trailing slash.
QString IdFolderOf(const QString& documentsFolder);

// The ID file's name.
inline constexpr char kIdFileName[] = "ids.xml";

}  // namespace res
