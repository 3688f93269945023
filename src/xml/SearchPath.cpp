#include "xml/SearchPath.h"

#include <cstring>

namespace xml {
namespace {

const char* SkipName(const char* p) {
    while (!IsPathNameEnd(*p)) ++p;
    return p;
}

// One optional predicate: [number], [@name], [@name=value] or [name].
const char* Predicate(const char* p) {
    if (*p != '[') return p;
    ++p;
    if (*p >= '1' && *p <= '9') {
        while (*p >= '0' && *p <= '9') ++p;
    } else if (*p == '@') {
        p = SkipName(p + 1);
        if (*p == '=') {
            ++p;
            if (*p == '"' || *p == '\'') {
                const char quote = *p++;
                while (*p && *p != quote) ++p;
                if (*p != quote) return nullptr;
                ++p;
            } else {
                while (*p && *p != ']') ++p;
            }
        }
    } else {
        p = SkipName(p);
    }
    return *p == ']' ? p + 1 : nullptr;
}

bool Valid(const char* p, SearchPath::Kind kind) {
    while (true) {
        if (*p == '\0') return false;  // the path ends where a step begins
        p = Predicate(SkipName(p));
        if (!p) return false;
        if (*p == '\0') return true;
        if (*p != '/' || kind == SearchPath::kDescendant) return false;
        ++p;
        if (*p == '@') {
            p = SkipName(p + 1);
            return *p == '\0';
        }
    }
}

}  // namespace

SearchPath::SearchPath(const char* path) : text(path) {
    if (!path || !*path) {
        kind = kAny;
        return;
    }
    // A plain name, as nearly every search is: relative, the whole path.
    const char* end = path;
    while (!IsPathNameEnd(*end)) ++end;
    if (*end == '\0') {
        kind = kRelative;
        name = path;
        nameLength = static_cast<std::size_t>(end - path);
        return;
    }
    const char* p = path;
    if (p[0] == '/' && p[1] == '/') {
        kind = kDescendant;
        p += 2;
    } else if (p[0] == '/') {
        kind = kAbsolute;
        p += 1;
    } else {
        kind = kRelative;
    }
    if (!Valid(p, kind)) {
        kind = kInvalid;
        return;
    }
    name = p;
    nameLength = static_cast<std::size_t>(SkipName(p) - p);
}

bool SearchPath::Matches(std::string_view tagName) const {
    if (kind == kAny) return true;
    if (kind != kRelative) return false;
    return NameMatches(tagName, name, nameLength);
}

}  // namespace xml
