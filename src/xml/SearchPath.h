#pragma once

#include <string_view>

namespace xml {

// The blanks XML allows between names and markup.
constexpr bool IsWs(unsigned char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Bytes that end a tag name read from the text.
constexpr bool IsTagNameEnd(unsigned char c) {
    switch (c) {
        case '\0':
        case '\t':
        case '\n':
        case '\r':
        case ' ':
        case '!':
        case '"':
        case '\'':
        case '/':
        case ';':
        case '<':
        case '=':
        case '>':
        case '?':
        case '\\': return true;
        default: return false;
    }
}

// Bytes that end a name in a search path.
constexpr bool IsPathNameEnd(char c) { return c == '\0' || c == ' ' || c == '/' || c == '=' || c == '[' || c == ']'; }

// True when name equals the start of pathName and pathName ends right there.
inline bool NameMatches(std::string_view name, const char* pathName, std::size_t pathLength) {
    if (name.size() > pathLength) return false;
    if (name.compare(0, name.size(), pathName, name.size()) != 0) return false;
    return name.size() == pathLength || IsPathNameEnd(pathName[name.size()]);
}

// The name argument of SeekMain/SeekChild, parsed and validated. Only the
// first step's name is used; predicates and further steps are ignored.
struct SearchPath {
    enum Kind { kInvalid = -1, kAny = 0, kRelative = 1, kAbsolute = 2, kDescendant = 3 };

    explicit SearchPath(const char* path);
    bool Matches(std::string_view tagName) const;

    Kind kind = kAny;
    const char* text = nullptr;
    const char* name = nullptr;  // the first step's name
    std::size_t nameLength = 0;
};

}  // namespace xml
