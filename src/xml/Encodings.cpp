#include "xml/Encodings.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "textcodec/CodePage.h"
#include "xml/Scanner.h"
#include "xml/SearchPath.h"

namespace xml {
namespace {

struct Label {
    const char* name;
    int codePage;
};

constexpr Label kLabels[] =
#include "xml/EncodingTable.inc"
    ;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

// Code pages that do not report lost characters.
bool TakesNoLossFlag(int cp) {
    return (cp >= 50220 && cp <= 50222) || cp == 50225 || cp == 50227 || cp == 50229 || cp == 52936 || cp == 54936 ||
           (cp >= 57002 && cp <= 57011) || cp == 65000 || cp == 65001;
}

int Resolve(int cp) { return cp <= 0 ? textcodec::SystemCodePage() : cp; }

std::string FromUtf16Units(int target, std::u16string_view units, bool* lost) {
    std::string out;
    bool usedDefault = false;
    textcodec::FromUtf16(target, units, out, TakesNoLossFlag(target) ? nullptr : &usedDefault);
    if (lost && usedDefault) *lost = true;
    return out;
}

std::string FromUtf16Bytes(int target, std::string_view utf16, bool* lost) {
    const std::u16string_view units(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size() / 2);
    if (!AsciiPassesTo(target)) return FromUtf16Units(target, units, lost);
    std::string out;
    out.reserve(units.size() + units.size() / 4);
    std::size_t i = 0;
    while (i < units.size()) {
        if (units[i] < 0x80) {
            out += static_cast<char>(units[i++]);
            continue;
        }
        const std::size_t run = i;
        while (i < units.size() && units[i] >= 0x80) ++i;
        // The ASCII unit after the run goes with it: a surrogate left open at
        // the run's end then reads as it does in the whole text.
        if (i < units.size()) ++i;
        out += FromUtf16Units(target, units.substr(run, i - run), lost);
    }
    return out;
}

// Bytes from a page that AsciiPassesFrom into one that AsciiPassesTo: ASCII
// runs are copied, the runs of other bytes go through UTF-16.
std::string ConvertRuns(int from, int to, std::string_view source, bool* lost) {
    std::string out;
    out.reserve(source.size() + source.size() / 8);
    const char* p = source.data();
    const char* const end = p + source.size();
    std::u16string units;
    while (p < end) {
        const char* run = p;
#if defined(__SSE2__)
        while (end - p >= 16 && !_mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))) p += 16;
#endif
        while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
        out.append(run, static_cast<std::size_t>(p - run));
        if (p >= end) break;
        run = p;
        while (p < end && static_cast<unsigned char>(*p) >= 0x80) ++p;
        // A sequence the run leaves open is ended by the ASCII byte after it,
        // as in the whole text; cut before that byte it would read as cut off.
        if (p < end) ++p;
        textcodec::ToUtf16(from, std::string_view(run, static_cast<std::size_t>(p - run)), units);
        out += FromUtf16Units(to, units, lost);
    }
    return out;
}

std::string Utf16Bytes(const std::u16string& units) {
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

// A value of an attribute in a tag's bytes, looked up ASCII-case-insensitively.
bool AttributeValue(std::string_view tag, std::string_view name, std::string& value) {
    std::size_t i = 0;
    const auto isWs = [](char c) { return IsWs(static_cast<unsigned char>(c)); };
    // Skip '<', an optional '?' and the tag name.
    while (i < tag.size() && (tag[i] == '<' || tag[i] == '?')) ++i;
    while (i < tag.size() && !isWs(tag[i]) && tag[i] != '>' && tag[i] != '/') ++i;
    while (i < tag.size()) {
        while (i < tag.size() && (isWs(tag[i]) || tag[i] == '/' || tag[i] == '?')) ++i;
        if (i >= tag.size() || tag[i] == '>') return false;
        const std::size_t n0 = i;
        while (i < tag.size() && !isWs(tag[i]) && tag[i] != '=' && tag[i] != '>' && tag[i] != '/') ++i;
        const std::string_view attr = tag.substr(n0, i - n0);
        while (i < tag.size() && isWs(tag[i])) ++i;
        std::string_view v;
        if (i < tag.size() && tag[i] == '=') {
            ++i;
            while (i < tag.size() && isWs(tag[i])) ++i;
            if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
                const char q = tag[i++];
                const std::size_t v0 = i;
                while (i < tag.size() && tag[i] != q) ++i;
                v = tag.substr(v0, i - v0);
                if (i < tag.size()) ++i;
            } else {
                const std::size_t v0 = i;
                while (i < tag.size() && !isWs(tag[i]) && tag[i] != '>') ++i;
                v = tag.substr(v0, i - v0);
                if (!v.empty() && v.back() == '/' && i < tag.size() && tag[i] == '>') v.remove_suffix(1);
            }
        }
        if (EqualsNoCase(attr, name)) {
            value.assign(v);
            return true;
        }
        if (attr.empty()) ++i;
    }
    return false;
}

// The word after "charset" and "=" in a Content-Type value.
std::string CharsetOf(std::string_view content) {
    std::vector<std::string_view> words;
    const auto isBreak = [](char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '!' || c == '"' || c == '\'' || c == '/' ||
               c == ';' || c == '<' || c == '=' || c == '>' || c == '?' || c == '\\';
    };
    std::size_t i = 0;
    while (i < content.size()) {
        const char c = content[i];
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            ++i;
        } else if (isBreak(c)) {
            words.push_back(content.substr(i, 1));
            ++i;
        } else {
            const std::size_t w0 = i;
            while (i < content.size() && !isBreak(content[i])) ++i;
            words.push_back(content.substr(w0, i - w0));
        }
    }
    for (std::size_t w = 0; w + 2 < words.size(); ++w) {
        if (EqualsNoCase(words[w], "charset") && words[w + 1] == "=") return std::string(words[w + 2]);
    }
    return {};
}

}  // namespace

bool AsciiPassesFrom(int cp) {
    switch (cp) {
        case 874:
        case 20127:
        case 20866:
        case 21866:
        case textcodec::kCpUtf8: return true;
        default: return (cp >= 1250 && cp <= 1258) || (cp >= 28591 && cp <= 28605);
    }
}

bool AsciiPassesTo(int cp) {
    switch (cp) {
        case 936:
        case 949:
        case 950:
        case 20932:
        case 51932:
        case 51936:
        case 51949:
        case 54936: return true;
        default: return AsciiPassesFrom(cp);
    }
}

int CodePageOf(std::string_view name) {
    if (name.empty()) return 0;
    if (name.size() >= 100) return -1;
    if (name.substr(0, 6) == "UTF-32") return kCpEngineUtf32;
    // The label nearly every file carries answers without the search.
    if (EqualsNoCase(name, "utf-8")) return textcodec::kCpUtf8;
    if (name.find('\0') != std::string_view::npos) return -1;  // no label holds one
    char lower[100];
    std::transform(name.begin(), name.end(), lower, Lower);
    lower[name.size()] = '\0';
    const auto it = std::lower_bound(std::begin(kLabels), std::end(kLabels), lower,
                                     [](const Label& l, const char* n) { return std::strcmp(l.name, n) < 0; });
    if (it == std::end(kLabels) || std::strcmp(lower, it->name) != 0) return -1;
    // A code page this machine cannot convert behaves as an unknown label.
    return textcodec::IsConvertible(it->codePage) ? it->codePage : -1;
}

bool EncodingsDiffer(std::string_view a, std::string_view b) {
    const int x = CodePageOf(a);
    const int y = CodePageOf(b);
    if (x == -1 || y == -1) return false;
    return Resolve(x) != Resolve(y);
}

std::string SniffEncoding(std::string_view text) {
    // A text that opens with a tag whose name cannot be "html" names no
    // encoding, whatever follows (most files without a declaration).
    if (text.size() >= 2 && text[0] == '<' && Lower(text[1]) >= 'a' && Lower(text[1]) <= 'z' && Lower(text[1]) != 'h') {
        return {};
    }
    const std::string copy(text);
    Scanner scanner(copy.c_str(), copy.size());
    Token token;
    bool sawHtml = false;
    while (true) {
        const int kind = ScanToken(scanner, token);
        if (kind == kTokEnd || kind == kTokBadMarkup) return {};
        const std::string_view tag(copy.data() + token.start, static_cast<std::size_t>(token.length));
        const std::string_view name =
            (kind == kTokStartTag || kind == kTokEndTag || kind == kTokPi)
                ? std::string_view(copy.data() + scanner.nameStart,
                                   static_cast<std::size_t>(std::max(0, scanner.NameLength())))
                : std::string_view();
        std::string value;
        if (kind == kTokPi && token.start == 0 && EqualsNoCase(name, "xml")) {
            return AttributeValue(tag, "encoding", value) ? value : std::string();
        }
        if (kind == kTokEndTag && EqualsNoCase(name, "head")) return {};
        if (kind != kTokStartTag) continue;
        if (!sawHtml) {
            if (!EqualsNoCase(name, "html")) return {};
            sawHtml = true;
            continue;
        }
        if (!EqualsNoCase(name, "meta")) continue;
        std::string content;
        if (AttributeValue(tag, "http-equiv", value) && EqualsNoCase(value, "Content-Type") &&
            AttributeValue(tag, "content", content)) {
            return CharsetOf(content);
        }
    }
}

std::string ConvertText(std::string_view fromName, std::string_view toName, std::string_view source, bool* lost) {
    int from = CodePageOf(fromName);
    int to = CodePageOf(toName);
    if (from == -1) from = 0;
    if (to == -1) to = 0;
    return ConvertCodePages(Resolve(from), Resolve(to), source, lost);
}

namespace {

// Texts at least this long first go through the tables of plain characters,
// which cost about a millisecond to build per code page.
constexpr std::size_t kPlainFrom = 4096;

std::string Convert(int from, int to, std::string_view source, bool* lost, bool plain);

}  // namespace

std::string ConvertCodePages(int from, int to, std::string_view source, bool* lost) {
    return Convert(from, to, source, lost, true);
}

namespace {

std::string Convert(int from, int to, std::string_view source, bool* lost, bool plain) {
    if (lost) *lost = false;
    if (plain && source.size() >= kPlainFrom && from != kCpEngineUtf32 && to != kCpEngineUtf32) {
        std::string out;
        out.reserve(source.size() + source.size() / 8);
        const std::size_t done = textcodec::ConvertPlainStart(from, to, source, out);
        if (done) {
            // The rest begins with a character that is not plain: converted
            // the usual way from there, as the whole text would be.
            if (done < source.size()) out += Convert(from, to, source.substr(done), lost, false);
            return out;
        }
    }
    if (from == kCpEngineUtf32) {
        std::u16string units;
        std::string out;
        for (std::size_t i = 0; i + 4 <= source.size(); i += 4) {
            std::uint32_t cp;
            std::memcpy(&cp, source.data() + i, 4);
            if (cp > 0x10FFFF) cp = 0xFFFD;
            if (cp > 0xFFFF) {
                units += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                units += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                units += static_cast<char16_t>(cp);
            }
        }
        if (to == textcodec::kCpUtf16Le) return Utf16Bytes(units);
        if (to == textcodec::kCpUtf8) textcodec::FromUtf16(to, units, out);
        return out;  // to any other target nothing is produced
    }
    if (from == textcodec::kCpUtf16Le) {
        if (to == kCpEngineUtf32) {
            std::string out;
            const std::u16string_view u(reinterpret_cast<const char16_t*>(source.data()), source.size() / 2);
            for (std::size_t i = 0; i < u.size(); ++i) {
                std::uint32_t cp = u[i];
                if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < u.size() && u[i + 1] >= 0xDC00 && u[i + 1] < 0xE000) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (u[++i] - 0xDC00u);
                }
                out.append(reinterpret_cast<const char*>(&cp), 4);
            }
            return out;
        }
        return FromUtf16Bytes(to, source, lost);
    }
    std::u16string units;
    if (to == kCpEngineUtf32) {
        if (from != textcodec::kCpUtf8) return {};
        textcodec::ToUtf16(from, source, units);
        return ConvertCodePages(textcodec::kCpUtf16Le, kCpEngineUtf32, Utf16Bytes(units), lost);
    }
    if (!textcodec::IsConvertible(from)) return {};
    if (AsciiPassesFrom(from) && AsciiPassesTo(to)) return ConvertRuns(from, to, source, lost);
    if (!textcodec::ToUtf16(from, source, units)) return {};
    if (to == textcodec::kCpUtf16Le) return Utf16Bytes(units);
    return FromUtf16Bytes(to, Utf16Bytes(units), lost);
}

}  // namespace

bool LooksLikeUtf8(std::string_view bytes, bool* hasNonAscii) {
    bool nonAscii = false;
    std::size_t i = 0;
#if defined(__SSE2__)
    // The 16 bytes from at are ASCII without a NUL.
    const auto plain16 = [&bytes](std::size_t at) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at));
        return !(_mm_movemask_epi8(v) | _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())));
    };
#endif
    while (i < bytes.size() && bytes[i] != '\0') {
#if defined(__SSE2__)
        // ASCII without NULs, 64 bytes a step, then 16, then the last 16 (the
        // bytes before them are checked already).
        if (bytes.size() - i >= 64) {
            const auto* q = reinterpret_cast<const __m128i*>(bytes.data() + i);
            const __m128i a = _mm_loadu_si128(q);
            const __m128i b = _mm_loadu_si128(q + 1);
            const __m128i c = _mm_loadu_si128(q + 2);
            const __m128i d = _mm_loadu_si128(q + 3);
            const __m128i any = _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, d));
            const __m128i least = _mm_min_epu8(_mm_min_epu8(a, b), _mm_min_epu8(c, d));
            if (!(_mm_movemask_epi8(any) | _mm_movemask_epi8(_mm_cmpeq_epi8(least, _mm_setzero_si128())))) {
                i += 64;
                continue;
            }
        }
        if (bytes.size() - i < 16 && bytes.size() >= 16 && plain16(bytes.size() - 16)) break;
        if (bytes.size() - i >= 16 && plain16(i)) {
            i += 16;
            continue;
        }
#endif
        const auto c = static_cast<unsigned char>(bytes[i++]);
        if (c < 0x80) continue;
        nonAscii = true;
        int more;
        if (!(c & 0x20)) {
            more = 1;
        } else if (!(c & 0x10)) {
            more = 2;
        } else if (!(c & 0x08)) {
            more = 3;
        } else {
            return false;
        }
        for (int k = 0; k < more; ++k) {
            if (i >= bytes.size() || static_cast<unsigned char>(bytes[i]) < 0x80) return false;
            ++i;
        }
    }
    if (hasNonAscii) *hasNonAscii = nonAscii;
    return true;
}

}  // namespace xml
