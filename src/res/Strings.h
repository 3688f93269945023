#pragma once

#include <QtGlobal>

// Texts of the program's string table, UTF-8.
namespace res::strings {

// The about-box item of the window menu.
inline constexpr char kAboutItem[] = QT_TRANSLATE_NOOP("Veskora", "VeskoraRFConfiguration 정보(&A)...");

inline constexpr char kTabRfConfig[] = "RF Configuration";
inline constexpr char kTabIdSetting[] = "ID Setting";

}  // namespace res::strings
