#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "textcodec/CodePage.h"
#include "xml/XmlTextDoc.h"

namespace xml {
namespace {

struct Entity {
    const char* name;
    int codePoint;
};

constexpr Entity kEntities[] =
#include "xml/EntityTable.inc"
    ;

int LookUpEntity(const char* name) {
    const auto it = std::lower_bound(std::begin(kEntities), std::end(kEntities), name,
                                     [](const Entity& e, const char* n) { return std::strcmp(e.name, n) < 0; });
    return (it != std::end(kEntities) && std::strcmp(it->name, name) == 0) ? it->codePoint : 0;
}

// The code point a reference's collected (lowercased) name stands for; 0 for none.
long CodePointOf(const char* name) {
    if (name[0] == '#') {
        if (name[1] == 'x') return std::strtol(name + 2, nullptr, 16);
        return std::strtol(name + 1, nullptr, 10);
    }
    return LookUpEntity(name);
}

// The code point in the system code page, or false when the page cannot hold it.
bool EncodeCodePoint(long cp, std::string& out) {
    if (cp <= 0 || cp > 0x10FFFF) return false;
    char16_t units[2];
    std::size_t count = 1;
    if (cp > 0xFFFF) {
        units[0] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
        units[1] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        count = 2;
    } else {
        units[0] = static_cast<char16_t>(cp);
    }
    bool usedDefault = false;
    if (!textcodec::FromUtf16(textcodec::SystemCodePage(), std::u16string_view(units, count), out, &usedDefault)) {
        return false;
    }
    return !usedDefault && !out.empty() && out.size() <= 5;
}

}  // namespace

std::string XmlTextDoc::DecodeEntities(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    const std::uint8_t* lead = textcodec::LeadByteLengths(textcodec::SystemCodePage());
    const char* p = text.data();
    const char* const end = p + text.size();
    std::string bytes;
    while (p < end) {
        if (*p != '&') {
            const int n = textcodec::CharLength(lead, p, end);
            out.append(p, static_cast<size_t>(n ? n : 1));
            p += n ? n : 1;
            continue;
        }
        char name[10];
        int collected = 0;
        const char* q = p + 1;
        while (collected < 9 && q < end && *q != ';' && static_cast<unsigned char>(*q) < 0x80) {
            char c = *q++;
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
            name[collected++] = c;
        }
        name[collected] = '\0';
        if (q < end && *q == ';' && EncodeCodePoint(CodePointOf(name), bytes)) {
            out += bytes;
            p = q + 1;
        } else {
            out += '&';
            ++p;
        }
    }
    return out;
}

}  // namespace xml
