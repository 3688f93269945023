#pragma once

#include <QString>
#include <string>
#include <string_view>

// The one crossing between the program's narrow text (system code page) and
// Qt's strings: every display of narrow text and every typed text bound for
// the link or a document passes through here.
namespace textcodec {

// Narrow text in the system code page, for display.
QString ToQString(std::string_view narrow);

// Text for the link or a document, in the system code page; characters the
// code page cannot hold become '?' and set *lost.
std::string ToNarrow(const QString& text, bool* lost = nullptr);

}  // namespace textcodec
