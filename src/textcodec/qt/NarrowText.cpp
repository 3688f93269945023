#include "textcodec/qt/NarrowText.h"

#include "textcodec/CodePage.h"

namespace textcodec {

QString ToQString(std::string_view narrow) {
    std::u16string wide;
    if (!ToUtf16(SystemCodePage(), narrow, wide)) return QString::fromLatin1(narrow.data(), qsizetype(narrow.size()));
    return QString::fromUtf16(wide.data(), qsizetype(wide.size()));
}

std::string ToNarrow(const QString& text, bool* lost) {
    std::string out;
    const std::u16string_view wide(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
    if (!FromUtf16(SystemCodePage(), wide, out, lost)) out = text.toLatin1().toStdString();
    return out;
}

}  // namespace textcodec
