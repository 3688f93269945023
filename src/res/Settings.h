#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace res {

// The program's own settings (the window's place, the last gateways). Tests
// and the tour point them at a file of their own, so the user's are never
// touched.
std::unique_ptr<QSettings> OpenSettings();

// Overrides the settings file for the process (empty: the user's own).
void SetSettingsFile(const QString& path);

}  // namespace res
