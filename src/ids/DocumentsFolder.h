#pragma once

#include <QString>
#include <string>

namespace ids {

// The user's documents folder, where the ID file lives. Tests point it at a
// temporary folder so the real one is never touched.
QString DocumentsFolder();

// Overrides the documents folder for the process (empty: the user's own).
void SetDocumentsFolder(const QString& folder);

// The folder of the ID file below a documents folder, with a trailing slash.
QString IdFolderOf(const QString& documentsFolder);

// The ID file's name.
inline constexpr char kIdFileName[] = "ids.xml";

// Where the ID file is, as both pages keep it: paths in the file system's
// encoding, folders with a trailing slash.
struct IdFileLocation {
    std::string documentsPath;
    std::string idFolder;
    std::string idFileName;
    std::string idFilePath;
};

// The ID file's location below the current documents folder. Nothing is
// created or checked.
IdFileLocation LocateIdFile();

}  // namespace ids
