#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xml {

// Token kinds of the markup scanner.
enum TokenKind : int {
    kTokEnd = -2,        // end of text
    kTokBadMarkup = -1,  // markup with a syntax error
    kTokEndTag = 0,
    kTokStartTag = 1,
    kTokText = 2,
    kTokWhitespace = 4,  // whitespace up to '<' or the end of text
    kTokCdata = 8,
    kTokPi = 16,
    kTokComment = 32,
    kTokDoctype = 64,
};

inline constexpr std::uint32_t kTokenEmptyElement = 0x10000;

// The state of one scan over a NUL-terminated text.
struct Scanner {
    std::int32_t nameStart = 0;  // first byte of the last tag's name
    std::int32_t nameEnd = -1;   // its last byte (nameStart - 1 for an empty name)
    std::int32_t pos = 0;        // where the next token begins
    const char* text = nullptr;
    std::uint32_t docFlags = 0;
    const std::uint8_t* lead = nullptr;  // lead-byte lengths of the code page
    const char* end = nullptr;           // one past the last byte

    Scanner(const char* text, std::size_t length, std::int32_t from = 0, std::uint32_t flags = 0);
    int NameLength() const { return nameEnd - nameStart + 1; }
};

struct Token {
    int kind = kTokEnd;
    std::int32_t start = 0;
    std::int32_t length = 0;
    std::uint32_t flags = 0;
    std::string report;  // the record of a syntax error in this token
};

// Reads the next token at the scanner's position and moves past it.
int ScanToken(Scanner& scanner, Token& token);

class XmlTextDoc;
// What SetDocText does, with every token of the parse read by ScanToken: the
// reference that the parse's faster scan is compared with in tests.
bool SetDocTextByTokens(XmlTextDoc& doc, std::string_view text);

}  // namespace xml
