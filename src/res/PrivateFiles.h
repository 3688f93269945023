#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class QFile;
class QIODevice;

// Files that hold network keys are the user's alone: made 0600 from their
// first byte, in folders the program makes 0700. The umask plays no part.
namespace res {

// Replaces path atomically with what write puts into the device; the file is
// 0600 whatever the one it replaces allowed. False with the reason.
bool SavePrivateFile(const QString& path, const std::function<bool(QIODevice&)>& write, QString* error);
bool SavePrivateFile(const QString& path, const QByteArray& bytes, QString* error);

// Opens a new file at path (never an existing one, never through a link) for
// appending, 0600. False with the reason.
bool CreatePrivateFile(QFile& file, const QString& path, QString* error);

// Makes folder 0700 when it is missing (the folders above it as usual). A
// folder that exists is left as it is; *readableByOthers says whether other
// users may list or enter it.
bool MakePrivateFolder(const QString& folder, bool* readableByOthers);

}  // namespace res
