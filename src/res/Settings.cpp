#include "res/Settings.h"

#include <QSettings>

namespace res {
namespace {
QString g_file;
}  // namespace

std::unique_ptr<QSettings> OpenSettings() {
    if (!g_file.isEmpty()) return std::make_unique<QSettings>(g_file, QSettings::IniFormat);
    return std::make_unique<QSettings>(QStringLiteral("Brenholt"), QStringLiteral("VeskoraRFConfiguration"));
}

void SetSettingsFile(const QString& path) { g_file = path; }

}  // namespace res
