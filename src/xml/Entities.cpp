#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <iterator>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "textcodec/CodePage.h"
#include "xml/Encodings.h"
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
    // The five of XML first: most references are one of them.
    switch (name[0]) {
        case 'l':
            if (name[1] == 't' && name[2] == '\0') return '<';
            break;
        case 'g':
            if (name[1] == 't' && name[2] == '\0') return '>';
            break;
        case 'a':
            if (name[1] == 'm' && name[2] == 'p' && name[3] == '\0') return '&';
            if (name[1] == 'p' && name[2] == 'o' && name[3] == 's' && name[4] == '\0') return '\'';
            break;
        case 'q':
            if (name[1] == 'u' && name[2] == 'o' && name[3] == 't' && name[4] == '\0') return '"';
            break;
        default: break;
    }
    const auto it = std::lower_bound(std::begin(kEntities), std::end(kEntities), name,
                                     [](const Entity& e, const char* n) { return std::strcmp(e.name, n) < 0; });
    return (it != std::end(kEntities) && std::strcmp(it->name, name) == 0) ? it->codePoint : 0;
}

// The code point a reference's collected (lowercased) name stands for; 0 for none.
long CodePointOf(const char* name) {
    if (name[0] == '#') {
        const bool hex = name[1] == 'x';
        const char* digits = name + (hex ? 2 : 1);
        // Plain digits to the end, as nearly all are, read here; anything else
        // (signs, spaces, "0x", trailing letters) the way strtol reads it.
        long value = 0;
        const char* d = digits;
        for (;; ++d) {
            const char c = *d;
            int digit;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (hex && c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else {
                break;
            }
            value = value * (hex ? 16 : 10) + digit;
        }
        if (*d == '\0' && d != digits && !(hex && digits[0] == '0' && digits[1] == 'x')) return value;
        return std::strtol(digits, nullptr, hex ? 16 : 10);
    }
    return LookUpEntity(name);
}

// Writes one code point in a code page to out (room for 5 bytes) and returns
// its length, or 0 when the page cannot hold it: what FromUtf16 gives without
// substituting, in at most 5 bytes. ASCII
// in a page that writes ASCII as itself and UTF-8 are written here; other
// characters go through ICU once per thread and are remembered.
std::size_t EncodeCodePoint(long cp, int page, bool asciiPasses, char* out) {
    if (cp <= 0 || cp > 0x10FFFF) return 0;
    if (cp < 0x80 && asciiPasses) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (page == textcodec::kCpUtf8) {
        if (cp >= 0xD800 && cp <= 0xDFFF) return 0;  // a lone surrogate is substituted
        char* b = out;
        std::size_t n;
        if (cp < 0x80) {
            b[0] = static_cast<char>(cp);
            n = 1;
        } else if (cp < 0x800) {
            b[0] = static_cast<char>(0xC0 | (cp >> 6));
            b[1] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 2;
        } else if (cp < 0x10000) {
            b[0] = static_cast<char>(0xE0 | (cp >> 12));
            b[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            b[2] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 3;
        } else {
            b[0] = static_cast<char>(0xF0 | (cp >> 18));
            b[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            b[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            b[3] = static_cast<char>(0x80 | (cp & 0x3F));
            n = 4;
        }
        return n;
    }
    struct Remembered {
        int page = 0;
        long cp = 0;
        bool ok = false;
        std::uint8_t length = 0;
        char bytes[5]{};
    };
    thread_local Remembered remembered[64];
    Remembered& r = remembered[cp & 63];
    if (r.page != page || r.cp != cp) {
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
        std::string bytes;
        const bool converted = textcodec::FromUtf16(page, std::u16string_view(units, count), bytes, &usedDefault);
        r.page = page;
        r.cp = cp;
        r.ok = converted && !usedDefault && !bytes.empty() && bytes.size() <= 5;
        r.length = static_cast<std::uint8_t>(r.ok ? bytes.size() : 0);
        if (r.ok) std::memcpy(r.bytes, bytes.data(), bytes.size());
    }
    if (!r.ok) return 0;
    std::memcpy(out, r.bytes, r.length);
    return r.length;
}

constexpr std::size_t kSlack = 16;  // room for a 16-byte store past a run's end

// Copies text from p to o up to the next byte that needs a look: an '&', a
// '<' with kStopAtMarkup, or in a multi-byte page a byte of 0x80 or more.
// Returns with p and o advanced to it, or to end.
template <bool kStopAtMarkup>
[[gnu::always_inline]] inline void CopyRun(const char*& p, char*& o, const char* end, bool singleByte) {
#if defined(__SSE2__)
    // Blocks are stored whole before they are tested: out has kSlack bytes of room past the text.
    const __m128i amp = _mm_set1_epi8('&');
    const __m128i lt = _mm_set1_epi8('<');
    while (end - p >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
        int mask = _mm_movemask_epi8(_mm_cmpeq_epi8(v, amp));
        if constexpr (kStopAtMarkup) mask |= _mm_movemask_epi8(_mm_cmpeq_epi8(v, lt));
        if (!singleByte) mask |= _mm_movemask_epi8(v);
        if (mask) {
            const auto k = static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
            p += k;
            o += k;
            return;
        }
        p += 16;
        o += 16;
    }
#endif
    while (p < end) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '&' || (kStopAtMarkup && c == '<') || (!singleByte && c >= 0x80)) return;
        *o++ = *p++;
    }
}

// Decodes text into out; with kStopAtMarkup, false (out unspecified) as soon
// as a '<' byte shows, anywhere in the text. One pass, written in place.
template <bool kStopAtMarkup>
bool Decode(std::string_view text, std::string& out) {
    const int page = textcodec::SystemCodePage();
    const std::uint8_t* lead = textcodec::LeadByteLengths(page);
    const bool singleByte = lead == textcodec::LeadByteLengths(1252);
    const bool asciiPasses = AsciiPassesTo(page);
    // Room for the rest of the text and kSlack at every step: only a
    // reference written longer than itself needs more.
    out.resize(text.size() + kSlack);
    char* o = out.data();
    const char* p = text.data();
    const char* const end = p + text.size();
    char bytes[5];
    while (true) {
        CopyRun<kStopAtMarkup>(p, o, end, singleByte);
        if (p >= end) break;
        const auto c = static_cast<unsigned char>(*p);
        if (kStopAtMarkup && c == '<') return false;
        if (c != '&') {
            // A character of more bytes is copied whole: an '&' among its
            // trail bytes is no reference.
            const int n = textcodec::CharLength(lead, p, end);
            for (int i = 0; i < n; ++i) {
                if (kStopAtMarkup && p[i] == '<') return false;
                o[i] = p[i];
            }
            p += n;
            o += n;
            continue;
        }
        if (asciiPasses) {
            // The five of XML as they are mostly written, known at once.
            const std::size_t left = static_cast<std::size_t>(end - p);
            char known = 0;
            std::size_t length = 0;
            if (left >= 4 && p[2] == 't' && p[3] == ';' && (p[1] == 'l' || p[1] == 'g')) {
                known = p[1] == 'l' ? '<' : '>';
                length = 4;
            } else if (left >= 5 && std::memcmp(p + 1, "amp;", 4) == 0) {
                known = '&';
                length = 5;
            } else if (left >= 6 && (std::memcmp(p + 1, "quot;", 5) == 0 || std::memcmp(p + 1, "apos;", 5) == 0)) {
                known = p[1] == 'q' ? '"' : '\'';
                length = 6;
            }
            if (length) {
                *o++ = known;
                p += length;
                continue;
            }
        }
        char name[10];
        int collected = 0;
        const char* q = p + 1;
        while (collected < 9 && q < end && *q != ';' && static_cast<unsigned char>(*q) < 0x80) {
            char ch = *q++;
            if (kStopAtMarkup && ch == '<') return false;
            if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
            name[collected++] = ch;
        }
        name[collected] = '\0';
        std::size_t n;
        if (q < end && *q == ';' && (n = EncodeCodePoint(CodePointOf(name), page, asciiPasses, bytes))) {
            ++q;
            if (n > static_cast<std::size_t>(q - p)) {
                const auto at = static_cast<std::size_t>(o - out.data());
                const std::size_t need = at + n + static_cast<std::size_t>(end - q) + kSlack;
                if (out.size() < need) out.resize(need);
                o = out.data() + at;
            }
            std::memcpy(o, bytes, n);
            o += n;
            p = q;
        } else {
            *o++ = '&';
            ++p;
        }
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return true;
}

}  // namespace

std::string XmlTextDoc::DecodeEntities(std::string_view text) {
    // Short ASCII texts without references, as most are, come back as they are.
    if (text.size() <= 64 && std::none_of(text.begin(), text.end(),
                                          [](char c) { return c == '&' || static_cast<unsigned char>(c) >= 0x80; })) {
        return std::string(text);
    }
    std::string out;
    Decode<false>(text, out);
    return out;
}

bool XmlTextDoc::DecodeTextWithoutMarkup(std::string_view text, std::string& out) { return Decode<true>(text, out); }

}  // namespace xml
