#include "network/Tokens.h"

#include <cstdio>

#include "network/Site.h"
#include "textcodec/CodePage.h"

namespace network {

bool IsNumber(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

namespace {

bool EndsWith(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string Hex(unsigned char c) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", c);
    return text;
}

}  // namespace

std::string TokenProblem(std::string_view text, std::size_t maxLength) {
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == ' ') return "holds a blank";
        if (c == '\r' || c == '\n') return "holds a line break (" + Hex(c) + ")";
        if (c < 0x20 || c == 0x7F) return "holds the control character " + Hex(c);
        if (c > 0x7F) return "holds a character outside printable ASCII";
    }
    if (text.size() > maxLength) return "is longer than " + std::to_string(maxLength) + " characters";
    return {};
}

std::string IdProblem(std::string_view id) { return TokenProblem(id, kIdField); }

std::string ValueProblem(std::string_view path, std::string_view text) {
    if (path.find("/ node table /") != std::string_view::npos) return IdProblem(text);
    if (EndsWith(path, "/ frequency")) {
        if (std::string why = TokenProblem(text, kFrequencyField); !why.empty()) return why;
        for (const char c : text) {
            if (c < '0' || c > '9') return "is not a frequency in Hz (digits only)";
        }
        return {};
    }
    return TokenProblem(text, kValueField);
}

std::string TheValue(std::string_view path, std::string_view text) {
    return path::IsKey(path) ? std::string("the value") : "the value " + Quoted(text);
}

std::string Quoted(std::string_view narrow) {
    std::string out = "\"";
    std::u16string wide;
    if (!textcodec::ToUtf16(textcodec::SystemCodePage(), narrow, wide)) {
        wide.clear();
        for (const char c : narrow) wide += static_cast<char16_t>(static_cast<unsigned char>(c));
    }
    for (std::size_t k = 0; k < wide.size(); ++k) {
        char32_t c = wide[k];
        if (c == '\r' || c == '\n' || c == '\t') {
            out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x" + Hex(static_cast<unsigned char>(c)).substr(2);
        } else {
            if (c >= 0xD800 && c < 0xDC00 && k + 1 < wide.size())
                c = 0x10000 + ((c - 0xD800) << 10) + (wide[++k] - 0xDC00);
            AppendUtf8(c, out);
        }
    }
    return out + "\"";
}

}  // namespace network
