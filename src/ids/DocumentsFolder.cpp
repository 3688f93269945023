#include "ids/DocumentsFolder.h"

#include <QFile>
#include <QStandardPaths>

namespace ids {
namespace {
QString g_override;
}  // namespace

QString DocumentsFolder() {
    if (!g_override.isEmpty()) return g_override;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void SetDocumentsFolder(const QString& folder) { g_override = folder; }

QString IdFolderOf(const QString& documentsFolder) { return documentsFolder + QStringLiteral("/Brenholt/Veskora/"); }

IdFileLocation LocateIdFile() {
    const QString documents = DocumentsFolder();
    IdFileLocation loc;
    loc.documentsPath = QFile::encodeName(documents).toStdString();
    loc.idFolder = QFile::encodeName(IdFolderOf(documents)).toStdString();
    loc.idFileName = kIdFileName;
    loc.idFilePath = loc.idFolder + loc.idFileName;
    return loc;
}

}  // namespace ids
