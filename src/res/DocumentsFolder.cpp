#include "res/DocumentsFolder.h"

#include <QStandardPaths>

namespace res {
namespace {
QString g_override;
}  // namespace

QString DocumentsFolder() {
    if (!g_override.isEmpty()) return g_override;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

void SetDocumentsFolder(const QString& folder) { g_override = folder; }

QString IdFolderOf(const QString& documentsFolder) { return documentsFolder + QStringLiteral("/Brenholt/Veskora/"); }

}  // namespace res
