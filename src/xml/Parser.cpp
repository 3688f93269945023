#include <cstddef>
#include <cstring>
#include <string_view>
#include <unordered_map>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "textcodec/CodePage.h"
#include "xml/Scanner.h"
#include "xml/SearchPath.h"
#include "xml/XmlTextDoc.h"

namespace xml {
namespace {

inline bool IsQuote(unsigned char c) { return c == '"' || c == '\''; }
// As the scanner's: A-Z, '_', ':' and every byte above 0x60.
inline bool IsNameStart(unsigned char c) { return (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c > 0x60; }

// Byte classes of the tag scan: 0 an ordinary single byte, 1 a byte the
// state in hand acts on, 2 a byte of 0x80 or more (it may begin a longer
// character). The text is NUL-terminated, so NUL stops every class.
struct TagClasses {
    std::uint8_t name[256]{};       // tag names end at NUL, white space, '/' and '>'
    std::uint8_t between[256]{};    // outside values: NUL, '=', '>', '/'
    std::uint8_t unquoted[256]{};   // unquoted values: NUL, white space, '>', '/'
    std::uint8_t dquote[256]{};     // NUL, '"'
    std::uint8_t squote[256]{};     // NUL, '\''
    std::uint8_t endTag[256]{};     // after an end tag's name: NUL, '>'
    std::uint8_t nameStart[256]{};  // 1 for the bytes IsNameStart takes
    TagClasses() {
        for (int b = 0; b < 256; ++b) nameStart[b] = IsNameStart(static_cast<unsigned char>(b));
        for (std::uint8_t* t : {name, between, unquoted, dquote, squote, endTag}) {
            for (int b = 0x80; b < 256; ++b) t[b] = 2;
            t[0] = 1;
        }
        for (const char c : {' ', '\t', '\n', '\r', '/', '>'}) name[static_cast<unsigned char>(c)] = 1;
        for (const char c : {'=', '>', '/'}) between[static_cast<unsigned char>(c)] = 1;
        for (const char c : {' ', '\t', '\n', '\r', '>', '/'}) unquoted[static_cast<unsigned char>(c)] = 1;
        dquote['"'] = 1;
        squote['\''] = 1;
        endTag['>'] = 1;
    }
};
const TagClasses kTag;

// Every byte of a 64-bit word 0x01, and 0x80.
constexpr std::uint64_t kOnes = 0x0101010101010101;
constexpr std::uint64_t kTops = 0x8080808080808080;

// Masks of the low n bytes of a 64-bit word.
constexpr std::uint64_t kLowBytes[9] = {
    0, 0xFF, 0xFFFF, 0xFFFFFF, 0xFFFFFFFF, 0xFFFFFFFFFF, 0xFFFFFFFFFFFF, 0xFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF};

inline const char* SkipClass(const std::uint8_t* table, const char* p) {
    while (!table[static_cast<unsigned char>(*p)]) ++p;
    return p;
}

// Stop masks of 16 bytes: a bit for each byte of 0x80 or more, NUL, and the
// bytes named; StopsSpaceOr stops at every byte up to ' ' (white space among
// them), which the caller's table then tells apart.
#if defined(__SSE2__)
using Block = __m128i;
template <class... Bytes>
inline int Stops(Block v, Bytes... bytes) {
    __m128i hit = _mm_cmpeq_epi8(v, _mm_setzero_si128());
    ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(bytes)))), ...);
    return _mm_movemask_epi8(hit) | _mm_movemask_epi8(v);
}
template <class... Bytes>
inline int StopsSpaceOr(Block v, Bytes... bytes) {
    __m128i hit = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(' ')), v);
    ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(bytes)))), ...);
    return _mm_movemask_epi8(hit) | _mm_movemask_epi8(v);
}
#else
struct Block {};
template <class... Bytes>
inline int Stops(Block, Bytes...) {
    return 0;
}
template <class... Bytes>
inline int StopsSpaceOr(Block, Bytes...) {
    return 0;
}
#endif

// How many '<' in [p, end) are not followed by '/': at least as many as
// there are start tags (comments and the like are few enough to count too).
// end[0] must be readable (the text's NUL, or the next byte of the text).
std::int64_t StartTagsIn(const char* p, const char* end) {
    std::int64_t count = 0;
#if defined(__SSE2__)
    // Per-byte counters in two vectors, 64 bytes a pass, each lane adding at
    // most 2 a pass: added up every 127 passes, before they overflow.
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i slash = _mm_set1_epi8('/');
    const auto starts = [&](const char* q) {  // 0xFF where a '<' is not followed by '/'
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
        const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 1));  // up to end[0]
        return _mm_andnot_si128(_mm_cmpeq_epi8(w, slash), _mm_cmpeq_epi8(v, lt));
    };
    while (end - p >= 64) {
        __m128i low = _mm_setzero_si128();
        __m128i high = _mm_setzero_si128();
        for (int passes = 0; passes < 127 && end - p >= 64; ++passes, p += 64) {
            low = _mm_sub_epi8(low, _mm_add_epi8(starts(p), starts(p + 16)));
            high = _mm_sub_epi8(high, _mm_add_epi8(starts(p + 32), starts(p + 48)));
        }
        const __m128i sums =
            _mm_add_epi64(_mm_sad_epu8(low, _mm_setzero_si128()), _mm_sad_epu8(high, _mm_setzero_si128()));
        count += _mm_cvtsi128_si32(sums) + _mm_cvtsi128_si32(_mm_unpackhi_epi64(sums, sums));
    }
#endif
    for (; p < end; ++p) count += *p == '<' && p[1] != '/';
    return count;
}

}  // namespace

// Builds the element index from the text in one pass over it. The loop
// scans from tag to tag itself: text between tags is passed over in blocks,
// start and end tags are read in place; every other kind of markup, and any
// tag that turns out unusual (unterminated, too long), is handed to the
// token scanner, whose reading stays the reference.
class Parser {
public:
    static bool Document(XmlTextDoc& doc, bool byTokens, bool clearReport = false);

private:
    // Where the index stands. The fast loop keeps a copy in locals, which
    // stores into entries cannot alias, and hands it back around every call
    // that works on m_at.
    struct Cursor {
        std::uint32_t current = 0;        // the innermost open element (0: none)
        ElementEntry* entry = nullptr;    // its entry
        ElementEntry* slot = nullptr;     // the entry of next, when slot < slotEnd
        std::uint32_t next = 1;           // the next free index
        ElementEntry* slotEnd = nullptr;  // the end of the entries allocated in its segment
        // The current entry's level, kept here: an open reading it from the
        // entry waited for the store of the open before it.
        std::uint32_t level = 0;
    };

    explicit Parser(XmlTextDoc& doc);

    // The fast loop; returns the first element created (0 for none), which is 1.
    std::uint32_t Parse();
    // The loop itself from p, built with and without the counting of open
    // names: without, it stops where counting starts and returns the position.
    template <bool kCounting>
    const char* Loop(const char* p);
    // The same index built token by token with ScanToken alone.
    std::uint32_t ParseByTokens();

    ElementEntry& E(std::uint32_t i) {
        return m_segments[i >> ElementTable::kSegmentBits][i & (ElementTable::kSegmentSize - 1)];
    }
    std::int32_t Off(const char* p) const { return static_cast<std::int32_t>(p - m_text); }
    const char* Step(const char* p) const {
        return static_cast<unsigned char>(*p) < 0x80 ? p + 1 : p + textcodec::CharLength(m_lead, p, m_end);
    }

    void Report(const char* word, const char* tagName, std::int64_t offset, std::int64_t offset2 = -1) {
        XmlTextDoc::AddReportRecord(m_doc.m_report, word, tagName, 0, offset, offset2);
    }
    void MarkError() {
        E(0).levelFlags |= kFlagDocumentError;
        E(m_at.current).levelFlags |= kFlagErrorInside;
    }
    void SetCurrent(Cursor& at, std::uint32_t u) {
        at.current = u;
        at.entry = &E(u);
        at.level = at.entry->levelFlags & kLevelMask;
    }
    // A tag longer than its index field can record: reported and ignored, so
    // that no length is ever stored cut short.
    void TagTooLong(std::int32_t start, std::int32_t length) {
        MarkError();
        XmlTextDoc::AddReportRecord(m_doc.m_report, "tag_too_long", nullptr, kRecLength, length);
        XmlTextDoc::AddReportRecord(m_doc.m_report, "tag_too_long", nullptr, kRecUpdate, start);
    }

    [[gnu::always_inline]] inline const char* SkipToMarkup(const char* p) const;
#if defined(__SSE2__)
    // Lead bytes of a block in the double-byte pages whose lead bytes are ranges.
    int LeadMask(__m128i v) const {
        // As signed bytes 0x81..0xFE are -127..-2; 932 takes 0x81..0x9F and 0xE0..0xFC.
        const auto in = [v](int lo, int hi) {
            return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(lo - 1))),
                                 _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(hi + 1))));
        };
        if (m_leadRanges == 1) return _mm_movemask_epi8(in(-127, -2));
        return _mm_movemask_epi8(_mm_or_si128(in(-127, -97), in(-32, -4)));
    }
#endif
    // Passes the bytes table marks 0: the first 8 one by one, since runs
    // inside tags are mostly a few bytes (a name, a short value) and there
    // the blocks cost far more (a tag of one short attribute took twice as
    // long), then 16 at a time while the text lasts (stops picks a superset
    // of the table's stops). prev becomes the last byte passed.
    template <class StopMask>
    [[gnu::always_inline]] inline const char* Skip(const char* q, unsigned char& prev, const std::uint8_t* table,
                                                   StopMask stops) const {
        const char* r = q;
        for (int i = 0; i < 8; ++i, ++r) {
            if (table[static_cast<unsigned char>(*r)]) goto found;
        }
#if defined(__SSE2__)
        while (m_end - r >= 16) {
            const int mask = stops(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r)));
            if (mask) {
                r += __builtin_ctz(static_cast<unsigned>(mask));
                break;
            }
            r += 16;
        }
#else
        (void)stops;
#endif
        r = SkipClass(table, r);
    found:
        if (r != q) prev = static_cast<unsigned char>(r[-1]);
        return r;
    }
    // The end of the tag name at p, stepping whole characters. Names are
    // mostly short: byte by byte, and past 8 bytes out of line (the same
    // code inside the loop made one-letter names slower).
    [[gnu::always_inline]] inline const char* ScanName(const char* p) const {
        for (int i = 0; i < 8; ++i, ++p) {
            const std::uint8_t c = kTag.name[static_cast<unsigned char>(*p)];
            if (c) return c == 1 ? p : ScanNameRest(p);
        }
        return ScanLongName(p);
    }
    [[gnu::always_inline]] inline const char* ScanNameRest(const char* p) const {
        while (true) {
            p = SkipClass(kTag.name, p);
            if (kTag.name[static_cast<unsigned char>(*p)] == 1) return p;
            p += textcodec::CharLength(m_lead, p, m_end);
        }
    }
    // Letters, '_' and the like 8 at a time: bytes of 0x3F to 0x7F are name
    // bytes ('>' and every byte that ends a name lie below), so the bytes up
    // to the first one outside are passed at once. The top bit of a byte of
    // found is set for a byte outside (and perhaps after one, which ctz
    // never reaches).
    [[gnu::noinline]] const char* ScanLongName(const char* p) const {
        while (m_end - p >= 8) {
            std::uint64_t x;
            std::memcpy(&x, p, 8);
            const std::uint64_t found = ((x - kOnes * 0x3F) | x) & kTops;
            if (found) return ScanNameRest(p + __builtin_ctzll(found) / 8);
            p += 8;
        }
        return ScanNameRest(p);
    }
    // Whether the name at p (up to a byte that ends names) is open's.
    bool SameName(const char* p, const char* open, std::int32_t length) const {
        std::int32_t i = 0;
        if (length <= 8 && m_end - p >= 8) {
            // Both names whole in one 8-byte word (the open name lies
            // earlier in the text, so its 8 bytes are there too).
            std::uint64_t a;
            std::uint64_t b;
            std::memcpy(&a, p, 8);
            std::memcpy(&b, open, 8);
            if ((a ^ b) & kLowBytes[length]) return false;
            i = length;
        } else {
            // Long names 8 bytes a step while the end tag's lies in the text.
            if (m_end - p >= length) {
                for (; i + 8 <= length; i += 8) {
                    std::uint64_t a;
                    std::uint64_t b;
                    std::memcpy(&a, p + i, 8);
                    std::memcpy(&b, open + i, 8);
                    if (a != b) return false;
                }
            }
            // Stops at the text's NUL at the latest: no name holds one.
            while (i < length && p[i] == open[i]) ++i;
            if (i < length) return false;
        }
        return kTag.name[static_cast<unsigned char>(p[i])] == 1;
    }
    const char* Attributes(const char* q, bool& empty) const;
    [[gnu::always_inline]] inline const char* EndTagRest(const char* q) const;
    const char* ByScanner(const char* p);
    void OnToken(int kind);

    [[gnu::always_inline]] inline void Open(Cursor& at, std::int32_t start, std::int32_t length,
                                            std::int32_t nameLength, bool empty, bool counting);
    [[gnu::always_inline]] inline void CloseInnermost(Cursor& at, std::int32_t end, std::int32_t length, bool counting);
    void CloseElement(std::int32_t start, std::int32_t length, std::string_view name);
    void CloseUnended(std::uint32_t holder, std::int64_t offset2);
    void NewEntry(const char* from);
    std::int64_t StartTagsFrom(const char* p) const { return StartTagsIn(p, m_end); }

    // While an element is open its length field holds its name's length; the
    // name starts right after its '<'. The chain of open elements is the
    // parent chain from the cursor's current element up.
    std::string_view OpenName(const ElementEntry& e) const {
        return {m_text + e.start + 1, static_cast<std::size_t>(e.length)};
    }
    // Open elements counted by every end-tag name that would close them, so
    // that an end tag closing nothing is known without searching the chain.
    // Kept only once a chain deeper than kCountFrom met such an end tag.
    static constexpr std::uint32_t kCountFrom = 32;
    static constexpr std::int32_t kNoName = INT32_MAX;
    void CountOpen(std::string_view name, int delta);
    void StartCounting();

    XmlTextDoc& m_doc;
    const char* const m_text;
    const char* const m_end;
    const std::uint8_t* const m_lead;
    ElementEntry* const* m_segments;  // the table's, taken again whenever it grows
    const bool m_singleByte;          // no byte of the code page begins a longer character
    const int m_leadRanges;           // 1: lead bytes 0x81..0xFE (936, 949, 950); 2: those of 932; 0: others
    Scanner m_sc;
    Token m_token;
    Cursor m_at;
    std::int64_t m_wanted = 0;  // entries the rest of the text can need at most
    bool m_counting = false;
    std::unordered_map<std::string_view, std::uint32_t> m_openNames;
};

Parser::Parser(XmlTextDoc& doc)
    : m_doc(doc),
      m_text(doc.m_text.c_str()),
      m_end(doc.m_text.c_str() + doc.m_text.size()),
      m_lead(textcodec::LeadByteLengths(textcodec::SystemCodePage())),
      m_segments(doc.m_table->Segments()),
      m_singleByte(m_lead == textcodec::LeadByteLengths(1252)),
      m_leadRanges(m_lead == textcodec::LeadByteLengths(949)   ? 1
                   : m_lead == textcodec::LeadByteLengths(932) ? 2
                                                               : 0),
      m_sc(doc.m_text.c_str(), doc.m_text.size(), 0, doc.m_docFlags) {
    m_at.entry = &E(0);
}

// An end tag's name closes an open name equal to it or continuing it past a
// byte that ends a path name (NameMatches): each of those prefixes counts.
void Parser::CountOpen(std::string_view name, int delta) {
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !IsPathNameEnd(name[i])) continue;
        if (delta > 0) {
            ++m_openNames[name.substr(0, i)];
        } else if (const auto it = m_openNames.find(name.substr(0, i)); it != m_openNames.end() && --it->second == 0) {
            m_openNames.erase(it);
        }
    }
}

void Parser::StartCounting() {
    m_counting = true;
    for (std::uint32_t u = m_at.current; u; u = E(u).parent) CountOpen(OpenName(E(u)), 1);
}

// The next '<' that begins a character, or the terminating NUL.
const char* Parser::SkipToMarkup(const char* p) const {
    // Texts between tags are mostly short (a value, a line break): their
    // first 8 bytes as one word, blocks only past that. The top bit of a
    // byte of found is set where it is '<', NUL or 0x80 and more (and
    // perhaps after such a byte, which ctz never reaches).
    if (m_end - p >= 8) {
        std::uint64_t x;
        std::memcpy(&x, p, 8);
        const std::uint64_t lt = x ^ (kOnes * '<');
        const std::uint64_t found = (((x - kOnes) & ~x) | ((lt - kOnes) & ~lt) | x) & kTops;
        if (!found) {
            p += 8;
        } else {
            p += __builtin_ctzll(found) / 8;
            if (static_cast<unsigned char>(*p) < 0x80) return p;
        }
    }
#if defined(__SSE2__)
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i zero = _mm_setzero_si128();
    if (m_singleByte) {
        while (m_end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, zero)));
            if (mask) return p + __builtin_ctz(static_cast<unsigned>(mask));
            p += 16;
        }
    } else if (m_leadRanges) {
        // The first '<' or NUL first: a '<' whose byte before is no lead
        // byte (or that is where the skip began) begins a character whatever
        // came before it, and text mostly ends in such a byte (a mark, a
        // space, a line break). Otherwise the trail bytes decide, from p.
        for (const char* q = p; m_end - q >= 16; q += 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
            const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, zero)));
            if (!hits) continue;
            const char* hit = q + __builtin_ctz(static_cast<unsigned>(hits));
            if (hit == p || *hit == '\0' || m_lead[static_cast<unsigned char>(hit[-1])] < 2) return hit;
            break;
        }
        // 64 bytes at a time: a lead byte takes the byte after it, whatever
        // it is, so the trail bytes follow from the runs of lead bytes the
        // way escaped characters follow from runs of escapes. A '<' that is
        // no trail byte, or a NUL (never taken), ends the skip.
        std::uint64_t carry = 0;  // the chunk's first byte is a trail byte
        while (m_end - p >= 64) {
            std::uint64_t lts = 0;
            std::uint64_t nuls = 0;
            std::uint64_t leads = 0;
            for (int k = 0; k < 4; ++k) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + std::ptrdiff_t{16} * k));
                lts |= static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lt))) << (16 * k);
                nuls |= static_cast<std::uint64_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero))) << (16 * k);
                leads |= static_cast<std::uint64_t>(LeadMask(v)) << (16 * k);
            }
            const std::uint64_t hits = (lts & ~textcodec::TrailBytes(leads, carry)) | nuls;
            if (hits) return p + __builtin_ctzll(hits);
            p += 64;
        }
        if (carry && *p != '\0') ++p;  // past the trail byte that opens the rest (a NUL is never taken)
    } else {
        // Blocks of 16 bytes; where a block holds bytes of 0x80 or more its
        // characters are walked, since a '<' after a lead byte is no markup.
        // The last character of a block may reach 3 bytes into the next.
        while (m_end - p >= 19) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const int hits = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lt), _mm_cmpeq_epi8(v, zero)));
            const int high = _mm_movemask_epi8(v);
            if (!hits) {
                const char* e = p + 16;
                if (high) {
                    do {
                        p += m_lead[static_cast<unsigned char>(*p)];
                    } while (p < e);
                    for (const char* q = e; q < p; ++q) {
                        if (*q == '\0') return q;  // a character cut short by the end
                    }
                } else {
                    p = e;
                }
                continue;
            }
            const char* hit = p + __builtin_ctz(static_cast<unsigned>(hits));
            while (p < hit) p += textcodec::CharLength(m_lead, p, m_end);
            if (p == hit) return p;
            // The '<' was a trail byte: on from the character after it.
        }
    }
#endif
    while (true) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '<' || c == '\0') return p;
        p += c < 0x80 || m_singleByte ? 1 : textcodec::CharLength(m_lead, p, m_end);
    }
}

// From the end of a start tag's name (not at '>') to the tag's '>', or null
// when the tag is unterminated. The attribute states are the scanner's, with
// runs of bytes a state does nothing with passed in one step; the byte a state
// stops at is handled as the scanner handles it, then stepped over.
const char* Parser::Attributes(const char* q, bool& empty) const {
    auto prev = static_cast<unsigned char>(q[-1]);
    const char* slash = nullptr;
    bool slashEmpties = false;
    bool expect;
    unsigned char c;
none:
    q = Skip(q, prev, kTag.between, [](Block v) { return Stops(v, '=', '>', '/'); });
    c = static_cast<unsigned char>(*q);
    if (c == '>') goto done;
    if (c == '\0') return nullptr;
    if (c == '/') {
        slash = q;
        slashEmpties = true;
    }
    expect = c == '=' && prev != '=';
    prev = c;
    q = Step(q);
    if (!expect) goto none;
expecting:
    c = static_cast<unsigned char>(*q);
    if (c == '"') {
        prev = c;
        ++q;
        goto dquote;
    }
    if (c == '\'') {
        prev = c;
        ++q;
        goto squote;
    }
    if (c == '>') goto done;
    if (c == '\0') return nullptr;
    if (c == '/') {
        slash = q;
        slashEmpties = true;
    }
    prev = c;
    q = Step(q);
    if (IsWs(c)) goto expecting;
unquoted:
    q = Skip(q, prev, kTag.unquoted, [](Block v) { return StopsSpaceOr(v, '>', '/'); });
    c = static_cast<unsigned char>(*q);
    if (c == '>') goto done;
    if (c == '\0') return nullptr;
    if (c == '/') {
        slash = q;
        slashEmpties = IsWs(prev) || IsQuote(prev);
    }
    prev = c;
    q = Step(q);
    if (IsWs(c)) goto none;
    goto unquoted;
dquote:
    q = Skip(q, prev, kTag.dquote, [](Block v) { return Stops(v, '"'); });
    c = static_cast<unsigned char>(*q);
    if (c == '\0') return nullptr;
    prev = c;
    q = Step(q);
    if (c == '"') goto none;
    goto dquote;
squote:
    q = Skip(q, prev, kTag.squote, [](Block v) { return Stops(v, '\''); });
    c = static_cast<unsigned char>(*q);
    if (c == '\0') return nullptr;
    prev = c;
    q = Step(q);
    if (c == '\'') goto none;
    goto squote;
done:
    empty = slash && slash == q - 1 && slashEmpties;
    return q;
}

// From the end of an end tag's name to its '>', or null when unterminated.
const char* Parser::EndTagRest(const char* q) const {
    if (*q == '>') return q;
    while (true) {
        q = SkipClass(kTag.endTag, q);
        if (*q == '>') return q;
        if (*q == '\0') return nullptr;
        q += textcodec::CharLength(m_lead, q, m_end);
    }
}

// One token read by the scanner from p.
const char* Parser::ByScanner(const char* p) {
    m_sc.pos = Off(p);
    OnToken(ScanToken(m_sc, m_token));
    return m_text + m_sc.pos;
}

void Parser::OnToken(int kind) {
    switch (kind) {
        case kTokStartTag:
            if (m_token.length > kMaxStartTagLength) {
                TagTooLong(m_token.start, m_token.length);
            } else {
                Open(m_at, m_token.start, m_token.length, m_sc.NameLength(), m_token.flags & kTokenEmptyElement,
                     m_counting);
            }
            break;
        case kTokEndTag:
            if (m_token.length > kMaxEndTagLength) {
                TagTooLong(m_token.start, m_token.length);
            } else {
                CloseElement(m_token.start, m_token.length,
                             {m_text + m_sc.nameStart, static_cast<std::size_t>(std::max(0, m_sc.NameLength()))});
            }
            break;
        case kTokBadMarkup:
            MarkError();
            // Records past the report's limit are dropped, as AddReportRecord does.
            if (m_doc.m_report.size() < 1000) m_doc.m_report += m_token.report;
            break;
        default: break;
    }
}

std::uint32_t Parser::Parse() {
    // Element 0 has no open name: a length past every name the end-tag fast
    // path compares keeps that path from checking for it.
    E(0).length = kNoName;
    const char* p = Loop<false>(m_text);
    if (m_counting) Loop<true>(p);
    E(0).length = 0;
    CloseUnended(0, static_cast<std::int64_t>(m_end - m_text));
    m_doc.m_nextFree = static_cast<std::int32_t>(m_at.next);
    return m_at.next > 1 ? 1 : 0;  // the first element created
}

template <bool kCounting>
const char* Parser::Loop(const char* p) {
    Cursor at = m_at;
    // Work on m_at: the cursor goes there first and comes back after.
    const auto call = [this, &at](auto work) {
        m_at = at;
        const char* r = work();
        at = m_at;
        return r;
    };
    while (true) {
        if (*p != '<') p = SkipToMarkup(p);
        if (*p == '\0') break;
        const auto d = static_cast<unsigned char>(p[1]);
        if (d == '/') {
            // Most end tags close the innermost element: its name, short,
            // then '>' at once; or its name and a byte that ends a name, read
            // as the scan of the name would.
            const char* name = p + 2;
            const std::int32_t length = at.entry->length;
            if (length <= 8 && m_end - name >= 8 && name[length] == '>') {
                // Both names whole in one 8-byte word (the open name lies
                // earlier in the text, so its 8 bytes are there too).
                std::uint64_t a;
                std::uint64_t b;
                std::memcpy(&a, name, 8);
                std::memcpy(&b, m_text + at.entry->start + 1, 8);
                if (!((a ^ b) & kLowBytes[length])) {
                    p = name + length + 1;
                    CloseInnermost(at, Off(p), length + 3, kCounting);
                    continue;
                }
            }
            const char* q;
            if (at.current && SameName(name, m_text + at.entry->start + 1, length) && (q = EndTagRest(name + length)) &&
                q + 1 - p <= kMaxEndTagLength) {
                CloseInnermost(at, Off(q + 1), Off(q + 1) - Off(p), kCounting);
                p = q + 1;
                continue;
            }
            const char* end = ScanName(name);
            q = EndTagRest(end);
            if (!q || q + 1 - p > kMaxEndTagLength) {
                p = call([&] { return ByScanner(p); });
            } else {
                p = call([&] {
                    CloseElement(Off(p), Off(q + 1) - Off(p), {name, static_cast<std::size_t>(end - name)});
                    return q + 1;
                });
            }
            if (!kCounting && m_counting) break;
            continue;
        }
        if (kTag.nameStart[d]) {
            const char* q = ScanName(p + 1);
            const auto nameLength = static_cast<std::int32_t>(q - (p + 1));
            if (*q == '>' && q - p < kMaxStartTagLength) {
                Open(at, Off(p), Off(q + 1) - Off(p), nameLength, false, kCounting);
                p = q + 1;
                continue;
            }
            if (*q == '/' && q[1] == '>' && q + 1 - p < kMaxStartTagLength) {
                // "<name/>": what the attribute scan makes of it, at once.
                Open(at, Off(p), Off(q + 2) - Off(p), nameLength, true, kCounting);
                p = q + 2;
                continue;
            }
            bool empty = false;
            if (*q != '>') q = Attributes(q, empty);
            if (!q || q + 1 - p > kMaxStartTagLength) {
                p = call([&] { return ByScanner(p); });
                if (!kCounting && m_counting) break;
                continue;
            }
            Open(at, Off(p), Off(q + 1) - Off(p), nameLength, empty, kCounting);
            p = q + 1;
            continue;
        }
        p = call([&] { return ByScanner(p); });
        if (!kCounting && m_counting) break;
    }
    m_at = at;
    return p;
}

std::uint32_t Parser::ParseByTokens() {
    while (true) {
        const int kind = ScanToken(m_sc, m_token);
        if (kind == kTokEnd) break;
        OnToken(kind);
    }
    CloseUnended(0, static_cast<std::int64_t>(m_end - m_text));
    m_doc.m_nextFree = static_cast<std::int32_t>(m_at.next);
    return m_at.next > 1 ? 1 : 0;
}

// Makes room for the entry m_at.next. The table was reserved from the
// text's length, or from its count of start tags (m_wanted then set); past
// that, a table still in its first segment grows once to what the rest of
// the text can hold (a '<' per element, not one of "</"), so that its
// entries are copied once at most. Larger tables add segments, which copies
// nothing but a part-filled last one.
void Parser::NewEntry(const char* from) {
    ElementTable& table = *m_doc.m_table;
    const auto n = static_cast<std::int32_t>(m_at.next);
    if (n >= table.Size()) {
        if (m_wanted == 0 && table.Size() < ElementTable::kSegmentSize) m_wanted = n + StartTagsFrom(from) + 1;
        const std::int64_t want = m_wanted > n ? m_wanted : std::int64_t{n} + n / 2 + 1;
        table.Resize(static_cast<std::int32_t>(std::min<std::int64_t>(want, INT32_MAX)));
        m_segments = table.Segments();
    }
    m_at.slot = &table[static_cast<std::uint32_t>(n)];
    const std::int32_t segmentEnd = (n | (ElementTable::kSegmentSize - 1)) + 1;
    m_at.slotEnd = m_at.slot + (std::min(segmentEnd, table.Size()) - n);
    m_at.entry = &E(m_at.current);  // the table may have moved
}

void Parser::Open(Cursor& at, std::int32_t start, std::int32_t length, std::int32_t nameLength, bool empty,
                  bool counting) {
    if (at.slot == at.slotEnd) {
        m_at = at;
        NewEntry(m_text + start);
        at = m_at;
    }
    const std::uint32_t n = at.next++;
    ElementEntry& e = *at.slot++;
    ElementEntry& c = *at.entry;
    e.parent = at.current;
    e.firstChild = 0;
    e.next = 0;
    e.start = start;
    e.tagLengths = static_cast<std::uint32_t>(length);
    // One level below the innermost open element's (the document's is 0 too).
    const std::uint32_t level = std::min(at.level + (at.current != 0), kLevelMask);
    if (c.firstChild) {
        ElementEntry& first = E(c.firstChild);
        E(first.prev).next = n;
        e.prev = first.prev;
        first.prev = n;
        e.levelFlags = level;
    } else {
        c.firstChild = n;
        e.prev = n;
        e.levelFlags = kFlagFirstChild | level;
    }
    if (empty) {
        e.length = length;
        return;
    }
    e.length = nameLength;
    at.current = n;
    at.entry = &e;
    at.level = level;
    if (counting) CountOpen(OpenName(e), 1);
}

// The innermost element ends with the end tag of this length ending at end.
void Parser::CloseInnermost(Cursor& at, std::int32_t end, std::int32_t length, bool counting) {
    ElementEntry& e = *at.entry;
    if (counting) CountOpen(OpenName(e), -1);
    e.length = end - e.start;
    // Its end-tag bits are still 0: the start tag's length lies below them.
    e.tagLengths |= static_cast<std::uint32_t>(length) << 22;
    // The parent's entry from the closed one's when both lie in one segment:
    // through deep trees each close waits on the one before, and the lookup
    // of the segment made that chain a load longer.
    const std::uint32_t u = e.parent;
    if (__builtin_expect(((u ^ at.current) >> ElementTable::kSegmentBits) == 0, 1)) {
        at.entry += static_cast<std::ptrdiff_t>(u) - static_cast<std::ptrdiff_t>(at.current);
        at.current = u;
        at.level = at.entry->levelFlags & kLevelMask;
    } else {
        SetCurrent(at, u);
    }
}

void Parser::CloseElement(std::int32_t start, std::int32_t length, std::string_view name) {
    std::uint32_t match = 0;
    if (m_at.current) {
        const ElementEntry& top = *m_at.entry;
        if (NameMatches(name, m_text + top.start + 1, static_cast<std::size_t>(top.length))) {
            match = m_at.current;
        } else {
            if (!m_counting && top.Level() >= static_cast<int>(kCountFrom)) StartCounting();
            if (!m_counting || m_openNames.find(name) != m_openNames.end()) {
                for (std::uint32_t u = top.parent; u; u = E(u).parent) {
                    const ElementEntry& open = E(u);
                    if (NameMatches(name, m_text + open.start + 1, static_cast<std::size_t>(open.length))) {
                        match = u;
                        break;
                    }
                }
            }
        }
    }
    if (!match) {
        MarkError();
        Report("lone_end_tag", std::string(name).c_str(), start);
        return;
    }
    CloseUnended(match, start + 1);
    CloseInnermost(m_at, start + length, length, m_counting);
}

// Closes every open element above holder as unended, innermost first, in
// one pass: each one's children become its following siblings, so the whole
// run ends up as one flat list of siblings under the element that stays open.
void Parser::CloseUnended(std::uint32_t holder, std::int64_t offset2) {
    if (m_at.current == holder) return;
    E(0).levelFlags |= kFlagDocumentError;
    std::uint32_t tail = 0;   // the last element of the flattened run
    std::uint32_t inner = 0;  // the unended element closed just before
    for (std::uint32_t u = m_at.current; u != holder;) {
        ElementEntry& e = E(u);
        const std::uint32_t up = e.parent;
        const std::string_view name = OpenName(e);
        if (m_counting) CountOpen(name, -1);
        const std::uint32_t first = e.firstChild;
        if (first) {
            if (!tail) tail = E(first).prev;
            // Children up to the inner unended element, whose own children
            // were linked in already.
            for (std::uint32_t c = first;; c = E(c).next) {
                E(c).parent = holder;
                if (c == inner || E(c).next == 0) break;
            }
            E(first).prev = u;
            E(first).levelFlags &= ~kFlagFirstChild;
        } else if (!tail) {
            tail = u;
        }
        e.next = first;
        e.parent = holder;
        e.firstChild = 0;
        e.SetEndTagLength(0);
        e.length = e.StartTagLength();
        e.levelFlags |= kFlagNoEndTag;
        if (e.Has(kFlagErrorInside)) {
            e.levelFlags &= ~kFlagErrorInside;
            E(up).levelFlags |= kFlagErrorInside;
        }
        Report("unended_start_tag", std::string(name).c_str(), e.start, offset2);
        inner = u;
        u = up;
    }
    E(E(holder).firstChild).prev = tail;
    SetCurrent(m_at, holder);
}

// The whole parse of a document's text, with the fast loop or token by token.
bool Parser::Document(XmlTextDoc& doc, bool byTokens, bool clearReport) {
    if (clearReport) doc.m_report.clear();
    doc.ResetPositions();
    doc.m_nextFree = 1;
    const auto length = static_cast<std::int32_t>(std::min<std::size_t>(doc.m_text.size(), INT32_MAX));
    // One entry per 64 bytes; small texts, whose index costs little, one per
    // 8 bytes, so that they seldom grow. A large text whose first sixteenth
    // holds more start tags than that is counted whole instead: its table is
    // then allocated once at its size, and its first segment never copied.
    std::int64_t reserve = length < (1 << 16) ? length / 8 + 8 : length / 64 + 8;
    std::int64_t wanted = 0;
    if (length >= (1 << 16)) {
        const char* const text = doc.m_text.c_str();
        const std::int32_t head = length / 16;
        const std::int64_t inHead = StartTagsIn(text, text + head);
        if (inHead * 16 > reserve) reserve = wanted = inHead + StartTagsIn(text + head, text + length) + 1;
    }
    doc.m_table->Resize(static_cast<std::int32_t>(std::min<std::int64_t>(reserve, INT32_MAX)));
    doc.E(0) = ElementEntry{};
    if (!doc.m_text.empty()) {
        Parser parser(doc);
        parser.m_wanted = wanted;
        const std::uint32_t first = byTokens ? parser.ParseByTokens() : parser.Parse();
        doc.E(0).length = length;
        if (!first) {
            XmlTextDoc::AddReportRecord(doc.m_report, "no_root_element", nullptr, 0);
        } else {
            doc.E(0).firstChild = first;
            if (doc.E(first).next) XmlTextDoc::AddReportRecord(doc.m_report, "root_has_sibling", nullptr, 0);
        }
    }
    doc.ResetPositions();
    return doc.CheckSingleRoot();
}

bool XmlTextDoc::ParseDocument() { return Parser::Document(*this, false); }

bool SetDocTextByTokens(XmlTextDoc& doc, std::string_view text) {
    doc.SetDocText(text);
    return Parser::Document(doc, true, true);
}

}  // namespace xml
