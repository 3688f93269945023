#pragma once

#include <QFile>
#include <QString>
#include <cstdint>

// Every entry of the log box, with its time, in a file per program start
// under the ID folder's logs/ (the newest 50 files are kept). A failed write
// is reported once; it never stops the link. The files and the folder the
// log makes are the user's alone (0600, 0700).
class SessionLog {
public:
    static constexpr int kFilesKept = 50;

    // Opens a new file in folder (made if missing) named for now, and removes
    // the oldest of the program's session files beyond kFilesKept. False with
    // the reason.
    bool Open(const QString& folder, std::int64_t now);
    // Appends one entry with its time; false when the file could not take it.
    bool Append(const QString& entry, std::int64_t now);
    // Copies the whole session to path (replacing it atomically, 0600).
    bool SaveAs(const QString& path, QString* error) const;

    bool Healthy() const { return m_file.isOpen() && m_error.isEmpty(); }
    QString Path() const { return m_path; }
    QString Error() const { return m_error; }
    // Whether the folder was there already with rights for other users.
    bool FolderOpenToOthers() const { return m_folderOpenToOthers; }

private:
    QFile m_file;
    QString m_path;  // a file opened by its descriptor has no name of its own
    QString m_error;
    bool m_folderOpenToOthers = false;
};
