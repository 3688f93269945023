#include "textcodec/CodePage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>
#include <unicode/uset.h>

#include <array>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// A second form of the UTF-8 chunk for x86-64 processors that have AVX2,
// chosen when the program runs.
#if defined(__x86_64__) && defined(__SSE2__) && (defined(__GNUC__) || defined(__clang__))
#define VESKORA_WIDE_CHUNK 1
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace textcodec {
namespace {

// The platform the program was designed for ran with the Korean ANSI code page.
std::atomic<int> g_systemCodePage{kCpKorean};
std::atomic<bool> g_baselineVectors{false};

using LeadTable = std::array<std::uint8_t, 256>;

LeadTable MakeTable(int codePage) {
    LeadTable t{};
    for (int b = 0; b < 256; ++b) {
        int n = 1;
        switch (codePage) {
            case 932: n = ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) ? 2 : 1; break;
            case 936:
            case 949:
            case 950: n = (b >= 0x81 && b <= 0xFE) ? 2 : 1; break;
            case 1361:
                n = ((b >= 0x84 && b <= 0xD3) || (b >= 0xD8 && b <= 0xDE) || (b >= 0xE0 && b <= 0xF9)) ? 2 : 1;
                break;
            case kCpUtf8:
                n = (b >= 0xC2 && b <= 0xDF) ? 2 : (b >= 0xE0 && b <= 0xEF) ? 3 : (b >= 0xF0 && b <= 0xF4) ? 4 : 1;
                break;
            default: break;
        }
        t[static_cast<size_t>(b)] = static_cast<std::uint8_t>(n);
    }
    return t;
}

const LeadTable kSingle = MakeTable(1252);
const LeadTable k932 = MakeTable(932);
const LeadTable kDbcs = MakeTable(949);
const LeadTable k1361 = MakeTable(1361);
const LeadTable kUtf8 = MakeTable(kCpUtf8);

struct IcuName {
    int codePage;
    const char* name;
};

// Windows code pages and the ICU converters that match them.
constexpr IcuName kIcuNames[] = {
    {437, "ibm-437"},
    {720, "ibm-720"},
    {737, "ibm-737"},
    {775, "ibm-775"},
    {850, "ibm-850"},
    {852, "ibm-852"},
    {855, "ibm-855"},
    {857, "ibm-857"},
    {858, "ibm-858"},
    {860, "ibm-860"},
    {861, "ibm-861"},
    {862, "ibm-862"},
    {863, "ibm-863"},
    {864, "ibm-864"},
    {865, "ibm-865"},
    {866, "ibm-866"},
    {869, "ibm-869"},
    {874, "windows-874"},
    {932, "windows-31j"},
    {936, "windows-936"},
    {949, "windows-949"},
    {950, "windows-950"},
    {1125, "ibm-1125"},
    {1133, "ibm-1133"},
    {1200, "UTF-16LE"},
    {1201, "UTF-16BE"},
    {1250, "windows-1250"},
    {1251, "windows-1251"},
    {1252, "windows-1252"},
    {1253, "windows-1253"},
    {1254, "windows-1254"},
    {1255, "windows-1255"},
    {1256, "windows-1256"},
    {1257, "windows-1257"},
    {1258, "windows-1258"},
    {10000, "macintosh"},
    {10006, "x-mac-greek"},
    {10007, "x-mac-cyrillic"},
    {10029, "x-mac-centraleurroman"},
    {10081, "x-mac-turkish"},
    {12000, "UTF-32LE"},
    {12001, "UTF-32BE"},
    {20127, "US-ASCII"},
    {20866, "KOI8-R"},
    {20932, "euc-jp"},
    {21866, "KOI8-U"},
    {28591, "ISO-8859-1"},
    {28592, "ISO-8859-2"},
    {28593, "ISO-8859-3"},
    {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},
    {28596, "ISO-8859-6"},
    {28597, "ISO-8859-7"},
    {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},
    {28603, "ISO-8859-13"},
    {28605, "ISO-8859-15"},
    {38598, "ISO-8859-8-I"},
    {65001, "UTF-8"},
    {50220, "ISO_2022,locale=ja,version=0"},
    {50221, "ISO_2022,locale=ja,version=1"},
    {50222, "ISO_2022,locale=ja,version=1"},
    {50225, "ISO_2022,locale=ko,version=0"},
    {50227, "ISO_2022,locale=zh,version=0"},
    {51932, "euc-jp"},
    {51936, "ibm-1383"},
    {51949, "EUC-KR"},
    {52936, "HZ-GB-2312"},
    {54936, "gb18030"},
    {65000, "UTF-7"},
    // The Indic scripts, in ICU's numbering of its ISCII versions.
    {57002, "ISCII,version=0"},
    {57003, "ISCII,version=1"},
    {57004, "ISCII,version=5"},
    {57005, "ISCII,version=6"},
    {57006, "ISCII,version=1"},
    {57007, "ISCII,version=4"},
    {57008, "ISCII,version=7"},
    {57009, "ISCII,version=8"},
    {57010, "ISCII,version=3"},
    {57011, "ISCII,version=2"},
};

// Named by the encoding-name table, but ICU carries no converter for them.
constexpr int kUnconvertible[] = {154,   708,   853,   1361,  10001, 10002, 10003, 10004, 10005, 10008,
                                  10010, 10017, 10021, 10079, 10082, 20000, 20001, 20002, 20003, 20004,
                                  20005, 20105, 20106, 20107, 20108, 20261, 20269, 20936, 20949, 29001};

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

// Open converters per thread, one per code page, for the pages used last:
// a conversion between two pages takes one of each, and reopening them for
// every run of text would cost more than converting it.
UConverter* CachedConverter(int codePage) {
    struct Slot {
        int page = -1;
        ConverterPtr converter;
    };
    constexpr int kSlots = 4;
    thread_local Slot slots[kSlots];
    thread_local int nextSlot = 0;
    for (Slot& slot : slots) {
        if (slot.page == codePage && slot.converter) {
            ucnv_reset(slot.converter.get());
            return slot.converter.get();
        }
    }
    const char* name = IcuConverterName(codePage);
    if (!name) return nullptr;
    UErrorCode err = U_ZERO_ERROR;
    ConverterPtr c(ucnv_open(name, &err));
    if (U_FAILURE(err)) return nullptr;
    Slot& slot = slots[nextSlot];
    nextSlot = (nextSlot + 1) % kSlots;
    slot.converter = std::move(c);
    slot.page = codePage;
    return slot.converter.get();
}

// Substitutes like the default to-bytes callback and notes that it did.
void NoteSubstitution(const void* context, UConverterFromUnicodeArgs* args, const UChar* units, int32_t length,
                      UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason <= UCNV_IRREGULAR) *static_cast<bool*>(const_cast<void*>(context)) = true;
    UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, units, length, codePoint, reason, err);
}

bool IsUnicodePage(int codePage) {
    return codePage == kCpUtf8 || codePage == kCpUtf16Le || codePage == kCpUtf16Be || codePage == kCpUtf32Le ||
           codePage == kCpUtf32Be;
}

// Tables of plain characters (see ConvertPlainStart), one pair per code page,
// built on first use and kept for the process.
struct PlainTables {
    // Bytes a BMP code point is written as: b0 | b1 << 8 | count << 16; 0 when
    // it is not plain (not held, substituted, longer, a surrogate).
    std::vector<std::uint32_t> write;
    // The same for the code points written in two bytes, b0 | b1 << 8, 0 for
    // the rest: half the size, so that a script's block of them (the 11,172
    // Hangul syllables: 22 KB) stays in the first-level cache.
    std::vector<std::uint16_t> twoBytes;
    // Code points read from a byte page: single[b], 0 for a lead byte or a
    // byte that reads as no character; pairs[(lead - 0x80) * 256 + trail], 0
    // where the pair is not one plain character.
    std::vector<std::uint16_t> single;
    std::vector<std::uint16_t> pairs;
};

void NoteUnmapped(const void* context, UConverterFromUnicodeArgs* args, const UChar* units, int32_t length,
                  UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* err) {
    if (reason <= UCNV_IRREGULAR && codePoint >= 0 && codePoint < 0x10000) {
        (*static_cast<std::vector<bool>*>(const_cast<void*>(context)))[static_cast<std::size_t>(codePoint)] = true;
    }
    UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, units, length, codePoint, reason, err);
}

// Every non-surrogate BMP code point written alone (each followed by a space,
// so that no sequence can form), in one call with offsets back to the source.
std::vector<std::uint32_t> BuildWriteTable(UConverter* cnv) {
    std::vector<std::uint32_t> table;
    UErrorCode err = U_ZERO_ERROR;
    // A page that maps sequences as a whole could write a character differently in context.
    USet* set = uset_openEmpty();
    ucnv_getUnicodeSet(cnv, set, UCNV_ROUNDTRIP_SET, &err);
    const bool sequences = uset_getItemCount(set) != uset_getRangeCount(set);
    uset_close(set);
    if (U_FAILURE(err) || sequences || ucnv_getMaxCharSize(cnv) > 2) return table;

    std::vector<UChar> source;
    for (std::uint32_t cp = 1; cp < 0x10000; ++cp) {
        if (cp >= 0xD800 && cp < 0xE000) continue;
        source.push_back(static_cast<UChar>(cp));
        source.push_back(u' ');
    }
    std::vector<bool> unmapped(0x10000, false);
    ucnv_setFromUCallBack(cnv, NoteUnmapped, &unmapped, nullptr, nullptr, &err);
    std::vector<char> bytes(source.size() * 4);
    std::vector<int32_t> offsets(bytes.size());
    char* target = bytes.data();
    const UChar* from = source.data();
    ucnv_fromUnicode(cnv, &target, bytes.data() + bytes.size(), &from, source.data() + source.size(), offsets.data(),
                     true, &err);
    if (U_FAILURE(err)) return table;

    table.assign(0x10000, 0);
    const auto written = static_cast<std::size_t>(target - bytes.data());
    for (std::size_t k = 0; k < written;) {
        const int32_t at = offsets[k];
        if (at < 0) {  // written by the substituting callback: no position
            ++k;
            continue;
        }
        std::size_t n = 1;
        while (k + n < written && offsets[k + n] == at) ++n;
        const UChar unit = source[static_cast<std::size_t>(at)];
        if (at % 2 == 1) {
            if (n != 1 || bytes[k] != ' ') return {};  // a space must stay one
        } else if (!unmapped[unit] && n <= 2) {
            std::uint32_t entry = static_cast<unsigned char>(bytes[k]) | (static_cast<std::uint32_t>(n) << 16);
            if (n == 2) entry |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[k + 1])) << 8;
            table[unit] = entry;
        }
        k += n;
    }
    // ASCII must be written as itself.
    for (std::uint32_t cp = 1; cp < 0x80; ++cp) {
        if (table[cp] != (cp | (1u << 16))) return {};
    }
    table[0] = 1u << 16;  // NUL is written as itself too
    return table;
}

// Every byte, and every lead byte with every trail byte, read alone (each
// followed by a space).
bool BuildReadTables(UConverter* cnv, PlainTables& t) {
    UErrorCode err = U_ZERO_ERROR;
    std::vector<char> source;
    for (int b = 1; b < 256; ++b) {
        source.push_back(static_cast<char>(b));
        source.push_back(' ');
    }
    const std::size_t singles = source.size();
    for (int lead = 0x80; lead < 256; ++lead) {
        for (int trail = 0; trail < 256; ++trail) {
            source.push_back(static_cast<char>(lead));
            source.push_back(static_cast<char>(trail));
            source.push_back(' ');
        }
    }
    std::vector<UChar> units(source.size() * 2);
    std::vector<int32_t> offsets(units.size());
    UChar* target = units.data();
    const char* from = source.data();
    ucnv_toUnicode(cnv, &target, units.data() + units.size(), &from, source.data() + source.size(), offsets.data(),
                   true, &err);
    if (U_FAILURE(err)) return false;
    const auto count = static_cast<std::size_t>(target - units.data());
    // What each source position started: the unit, or 0 when it started none,
    // more than one, or a substitution.
    std::vector<std::uint16_t> started(source.size(), 0);
    std::vector<std::uint8_t> starts(source.size(), 0);
    for (std::size_t k = 0; k < count; ++k) {
        if (offsets[k] < 0) continue;  // a substitution: its position starts nothing plain
        const auto at = static_cast<std::size_t>(offsets[k]);
        if (at >= source.size()) return false;
        ++starts[at];
        started[at] = units[k];
    }
    const auto plain = [&](std::size_t at, std::size_t length) -> std::uint16_t {
        // One unit from at, none from the rest of the character, and the
        // space after it read as a space of its own.
        for (std::size_t i = 1; i < length; ++i) {
            if (starts[at + i]) return 0;
        }
        if (starts[at] != 1 || starts[at + length] != 1 || started[at + length] != u' ') return 0;
        const std::uint16_t u = started[at];
        // Substitutions come as U+FFFD or U+001A: only ASCII 0x1A is itself.
        const bool ascii = length == 1 && static_cast<unsigned char>(source[at]) == u && u < 0x80;
        if (!ascii && (u == 0xFFFD || u == 0x1A || (u >= 0xD800 && u < 0xE000))) return 0;
        return u;
    };
    t.single.assign(256, 0);
    for (int b = 1; b < 256; ++b) t.single[static_cast<std::size_t>(b)] = plain(static_cast<std::size_t>(b - 1) * 2, 1);
    for (int b = 1; b < 0x80; ++b) {
        if (t.single[static_cast<std::size_t>(b)] != b) return false;  // ASCII must read as itself
    }
    t.pairs.assign(std::size_t{128} * 256, 0);
    for (std::size_t i = 0; i < t.pairs.size(); ++i) {
        if (t.single[0x80 + i / 256]) continue;  // a character of its own is no lead byte
        t.pairs[i] = plain(singles + i * 3, 2);
    }
    return true;
}

const PlainTables* Plain(int codePage, bool reading) {
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<PlainTables>> built;
    static std::map<int, bool> readBuilt;
    const std::lock_guard<std::mutex> lock(mutex);
    auto& tables = built[codePage];
    if (!tables) {
        tables = std::make_unique<PlainTables>();
        const char* name = IcuConverterName(codePage);
        UErrorCode err = U_ZERO_ERROR;
        if (name && codePage != kCpUtf8 && codePage != kCpUtf16Le && codePage != kCpUtf16Be) {
            if (ConverterPtr cnv{ucnv_open(name, &err)}; U_SUCCESS(err)) tables->write = BuildWriteTable(cnv.get());
            if (!tables->write.empty()) {
                tables->twoBytes.assign(tables->write.size(), 0);
                for (std::size_t cp = 0; cp < tables->write.size(); ++cp) {
                    const std::uint32_t entry = tables->write[cp];
                    // A pair whose first byte is below 0x80 (none in the double-byte
                    // pages) is left to the general step: the AVX2 chunks tell an
                    // unmapped character (entry 0) by that byte's top bit.
                    if ((entry >> 16) == 2 && (entry & 0x80)) {
                        tables->twoBytes[cp] = static_cast<std::uint16_t>(entry & 0xFFFF);
                    }
                }
            }
        }
    }
    if (reading && !readBuilt[codePage]) {
        readBuilt[codePage] = true;
        const char* name = IcuConverterName(codePage);
        UErrorCode err = U_ZERO_ERROR;
        if (name && codePage != kCpUtf8 && codePage != kCpUtf16Le && codePage != kCpUtf16Be) {
            ConverterPtr cnv{ucnv_open(name, &err)};
            if (U_FAILURE(err) || !BuildReadTables(cnv.get(), *tables)) {
                tables->single.clear();
                tables->pairs.clear();
            }
        }
    }
    return tables.get();
}

// Output through a small buffer, so that out grows by appends only. The
// loops write through a pointer and give it back when it nears the end.
class PlainWriter {
public:
    static constexpr std::size_t kSlack = 128;  // room a loop step may take without checking

    explicit PlainWriter(std::string& out) : m_out(out) {}
    ~PlainWriter() { m_out.append(m_buffer, static_cast<std::size_t>(m_at - m_buffer)); }
    PlainWriter(const PlainWriter&) = delete;
    PlainWriter& operator=(const PlainWriter&) = delete;

    // The loops keep the write position in a local, since a store through
    // a char pointer could change any member: taken here, handed back by
    // Flush (which returns the new one) and by Done.
    char* At() const { return m_at; }
    const char* Limit() const { return m_buffer + sizeof m_buffer - kSlack; }
    char* Flush(char* at) {
        m_out.append(m_buffer, static_cast<std::size_t>(at - m_buffer));
        m_at = m_buffer;
        return m_at;
    }
    void Done(char* at) { m_at = at; }

private:
    std::string& m_out;
    char m_buffer[16384];
    char* m_at = m_buffer;
};

// One step over ASCII at p, writing at o: 16 bytes checked and stored at a
// time, the run's length kept. Returns the bytes taken (at least 1).
inline std::size_t AsciiStep(const unsigned char* p, std::size_t left, char*& o) {
#if defined(__SSE2__)
    if (left >= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o), v);
        const int mask = _mm_movemask_epi8(v);
        const std::size_t run = mask ? static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask))) : 16;
        o += run;
        return run;
    }
#else
    (void)left;
#endif
    *o++ = static_cast<char>(*p);
    return 1;
}

// Bytes loaded from memory as a little-endian number.
inline std::uint32_t Le32(std::uint32_t x) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    return __builtin_bswap32(x);
#else
    return x;
#endif
}

// Writes a table entry at o; false when the character is not plain. The
// write position moves by the entry's length without a branch: in text
// that mixes one- and two-byte characters a branch on it would be
// mispredicted at every change.
inline bool Put(std::uint32_t entry, char*& o) {
    o[0] = static_cast<char>(entry & 0xFF);
    o[1] = static_cast<char>((entry >> 8) & 0xFF);
    o += entry >> 16;
    return entry != 0;
}

#if defined(__SSE2__)
// Bits of the 64 bytes at p: bit k is the top bit of mark's result for byte k.
template <class Mark>
inline std::uint64_t Bits64(const unsigned char* p, Mark mark) {
    std::uint64_t bits = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + std::ptrdiff_t{16} * k));
        bits |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(mark(v)))) << (16 * k);
    }
    return bits;
}

// Copies the 32 bytes at p to o.
inline void Copy32(const unsigned char* p, char* o) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(o + 16), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)));
}

// Copies the 64 bytes at p to o.
inline void Copy64(const unsigned char* p, char* o) {
    for (int k = 0; k < 4; ++k) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(o + std::ptrdiff_t{16} * k),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + std::ptrdiff_t{16} * k)));
    }
}
#endif

// The chunk loops below take the characters that begin in 64 bytes: their
// starts are found for the whole chunk at once, so that each character is
// read from a position known beforehand; stepping by each character's
// length, or branching on it, makes every character wait for the one before
// or mispredicts at every change between words and spaces. The last
// character may reach 2 bytes past the chunk, and up to 35 bytes after a
// character's start are read and written (within kChunkInput and the
// writer's slack).
constexpr std::size_t kChunkInput = 100;

#if defined(__SSE2__)
// Bytes of v in lo..hi (unsigned).
inline __m128i InRange(__m128i v, unsigned char lo, unsigned char hi) {
    const __m128i clamped =
        _mm_max_epu8(_mm_min_epu8(v, _mm_set1_epi8(static_cast<char>(hi))), _mm_set1_epi8(static_cast<char>(lo)));
    return _mm_cmpeq_epi8(clamped, v);
}
#endif

// The top ten bits of a three-byte UTF-8 character's code point by the
// payload of its first two bytes (loaded little-endian, & 0x3F0F): one
// lookup costs less than the shifts that would assemble them.
constexpr auto kUtf8Top = [] {
    std::array<std::uint16_t, 0x3F10> t{};
    for (std::uint32_t k = 0; k < t.size(); ++k) {
        t[k] = static_cast<std::uint16_t>(((k & 0x0Fu) << 12) | ((k & 0x3F00u) >> 2));
    }
    return t;
}();

// Copies the ASCII bytes from q[from] up to q[to] to o, 8 at a time (the
// bytes after them are overwritten later), and moves o past them.
inline void CopyGap(const unsigned char* q, std::size_t from, std::size_t to, char*& o) {
    // One block whatever the length: most gaps are a space or none.
    std::uint64_t block;
    std::memcpy(&block, q + from, 8);
    std::memcpy(o, &block, 8);
    for (std::size_t k = from + 8; k < to; k += 8) [[unlikely]] {
            std::memcpy(&block, q + k, 8);
            std::memcpy(o + (k - from), &block, 8);
        }
    o += to - from;
}

// The bytes after a chunk that must continue a three-byte character begun
// in its last two bytes (bit k for byte 64 + k), from the chunk's leads.
inline unsigned ContinuationsPast(std::uint64_t leads) {
    return static_cast<unsigned>((leads >> 62) & 1u) | static_cast<unsigned>((leads >> 63) * 3u);
}

// Whether the 64 bytes whose top bits are high hold more than 32 ASCII
// bytes in a row.
inline bool AsciiRunOver32(std::uint64_t high) {
    std::uint64_t runs = ~high;
    runs &= runs >> 1;
    runs &= runs >> 2;
    runs &= runs >> 4;
    runs &= runs >> 8;
    runs &= runs >> 16;  // 32 ASCII bytes from each bit left
    return (runs & (runs >> 1)) != 0;
}

// The characters of UTF-8 starting in the 64 bytes from p[i] (at least
// kChunkInput left), when they are ASCII and three-byte characters led by
// 0xE1..0xEF (no overlong form among them: most of the BMP), each with its
// two continuation bytes: the form is checked for the whole chunk at once,
// and only the three-byte characters are looked up, the ASCII between them
// copied in blocks. False, with nothing taken, when the chunk has another
// form or a character not written in two bytes, for the caller's general step.
inline bool Utf8Chunk(const std::uint16_t* twoBytes, const unsigned char* p, std::size_t& i, char*& o) {
#if defined(__SSE2__)
    const unsigned char* q = p + i;
    const std::uint64_t high = Bits64(q, [](__m128i v) { return v; });
    if (!high) {
        Copy64(q, o);
        o += 64;
        i += 64;
        return true;
    }
    const std::uint64_t leads = Bits64(q, [](__m128i v) { return InRange(v, 0xE1, 0xEF); });
    const std::uint64_t continuations = Bits64(q, [](__m128i v) { return InRange(v, 0x80, 0xBF); });
    if (high != (leads | continuations) || continuations != ((leads << 1) | (leads << 2))) return false;
    // A character that starts in the last two bytes continues past the chunk.
    const auto after = static_cast<unsigned>(
        _mm_movemask_epi8(InRange(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 64)), 0x80, 0xBF)));
    const unsigned needed = ContinuationsPast(leads);
    if ((after & needed) != needed) return false;

    // Each character's pair is written where the output stands for its
    // place in the input: the input position less the characters before it
    // (each is one byte shorter written), so that no position waits for the
    // ASCII run before it. The run after a character (and the one before
    // the first) is copied 32 bytes at a time; a chunk holding a longer run
    // of ASCII takes the loop below, which copies any length.
    if (!AsciiRunOver32(high)) {
        Copy32(q, o);
        char* base = o;  // output position of input byte 0, less one per character taken
        std::uint32_t missing = 0;
        std::size_t end = 64;
        for (std::uint64_t rest = leads; rest; rest &= rest - 1) {
            const std::size_t at = static_cast<unsigned>(__builtin_ctzll(rest));
            std::uint32_t x;
            std::memcpy(&x, q + at, 4);
            x = Le32(x);
            const std::uint16_t pair = twoBytes[kUtf8Top[x & 0x3F0Fu] | ((x >> 16) & 0x3Fu)];
            char* const out = base + at;
            std::memcpy(out, &pair, 2);
            Copy32(q + at + 3, out + 2);
            missing |= pair - 1u;  // the top bit is set by a pair of 0 only
            --base;
            end = at + 3;
        }
        // Not plain (surrogates neither) or written in one byte: the whole
        // chunk goes to the caller's general step.
        if (missing >> 31) return false;
        end = end > 64 ? end : 64;
        o = base + end;
        i += end;
        return true;
    }

    char* const start = o;
    std::size_t from = 0;  // the first byte not yet written
    for (std::uint64_t rest = leads; rest; rest &= rest - 1) {
        const std::size_t at = static_cast<unsigned>(__builtin_ctzll(rest));
        CopyGap(q, from, at, o);
        std::uint32_t x;
        std::memcpy(&x, q + at, 4);
        x = Le32(x);
        const std::uint32_t pair = twoBytes[kUtf8Top[x & 0x3F0Fu] | ((x >> 16) & 0x3Fu)];
        // Not plain (surrogates neither) or written in one byte: the whole
        // chunk goes to the caller's general step.
        if (!pair) [[unlikely]] {
            o = start;
            return false;
        }
        o[0] = static_cast<char>(pair & 0xFF);
        o[1] = static_cast<char>(pair >> 8);
        o += 2;
        from = at + 3;
    }
    if (from < 64) {
        CopyGap(q, from, 64, o);
        from = 64;
    }
    i += from;
    return true;
#else
    (void)twoBytes;
    (void)p;
    (void)i;
    (void)o;
    return false;
#endif
}

#if defined(VESKORA_WIDE_CHUNK)
__attribute__((target("avx2"))) inline std::uint64_t Bits64(__m256i low, __m256i high) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(low))) |
           (static_cast<std::uint64_t>(static_cast<unsigned>(_mm256_movemask_epi8(high))) << 32);
}

// Utf8Chunk's first path with AVX2: the same chunks taken, the same bytes
// written, in fewer instructions, and chunk after chunk in one call (the
// constants and the registers the loop needs are set up once). The bytes are
// classed 32 at a time by signed compares (continuations 0x80..0xBF are the
// bytes below -64, leads 0xE1..0xEF those from -31 to -17) and a character's
// code point is one pext of its bytes loaded big-endian (movbe). Takes
// chunks while at least kChunkInput bytes are left and the output has not
// reached limit; stops before a chunk that is for Utf8Chunk (a longer ASCII
// run, or anything it does not take either). Returns the bytes taken.
__attribute__((target("avx2,bmi,bmi2,movbe"))) std::size_t Utf8ChunksWide(const std::uint16_t* twoBytes,
                                                                          const unsigned char* q, std::size_t left,
                                                                          char*& o, const char* limit) {
    const __m256i below = _mm256_set1_epi8(-64);
    const __m256i leadLo = _mm256_set1_epi8(-32);
    const __m256i leadHi = _mm256_set1_epi8(-16);
    const unsigned char* const from = q;
    char* w = o;
    while (left >= kChunkInput && w < limit) {
        const __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
        const __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 32));
        const std::uint64_t high = Bits64(v0, v1);
        if (!high) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(w), v0);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(w + 32), v1);
            w += 64;
            q += 64;
            left -= 64;
            continue;
        }
        const std::uint64_t continuations = Bits64(_mm256_cmpgt_epi8(below, v0), _mm256_cmpgt_epi8(below, v1));
        const std::uint64_t leads =
            Bits64(_mm256_and_si256(_mm256_cmpgt_epi8(v0, leadLo), _mm256_cmpgt_epi8(leadHi, v0)),
                   _mm256_and_si256(_mm256_cmpgt_epi8(v1, leadLo), _mm256_cmpgt_epi8(leadHi, v1)));
        if (high != (leads | continuations) || continuations != ((leads << 1) | (leads << 2))) break;
        const auto after = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_cmplt_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 64)), _mm_set1_epi8(-64))));
        const unsigned needed = ContinuationsPast(leads);
        if ((after & needed) != needed || AsciiRunOver32(high)) break;

        _mm256_storeu_si256(reinterpret_cast<__m256i*>(w), v0);
        char* base = w;
        // Every pair kept in twoBytes has a first byte of 0x80 or more, and
        // an unmapped character's entry is 0: that byte's top bit, and-ed
        // over the chunk, tells whether all were mapped.
        std::uint32_t mapped = 0x80;
        std::size_t end = 64;
        for (std::uint64_t rest = leads; rest; rest = _blsr_u64(rest)) {
            const std::size_t at = _tzcnt_u64(rest);
            std::uint32_t x;
            std::memcpy(&x, q + at, 4);
            const std::uint16_t pair = twoBytes[_pext_u32(__builtin_bswap32(x), 0x0F3F3F00u)];
            char* const out = base + at;
            std::memcpy(out, &pair, 2);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 2),
                                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + at + 3)));
            mapped &= pair;
            --base;
            end = at + 3;
        }
        if (!mapped) break;  // this chunk to the caller's general step
        end = end > 64 ? end : 64;
        w = base + end;
        q += end;
        left -= end;
    }
    o = w;
    return static_cast<std::size_t>(q - from);
}

using WideChunks = std::size_t (*)(const std::uint16_t*, const unsigned char*, std::size_t, char*&, const char*);

// pext is microcoded on AMD processors before family 19h (dozens of cycles
// where the SSE2 form's table lookup takes a few), one instruction on
// Intel's and on later AMD ones.
bool FastPext() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
    unsigned family = (eax >> 8) & 0xF;
    if (family == 0xF) family += (eax >> 20) & 0xFF;
    return __builtin_cpu_is("intel") || (__builtin_cpu_is("amd") && family >= 0x19);
}

bool HasMovbe() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) && (ecx & bit_MOVBE);
}

WideChunks ChooseWideChunks() {
    __builtin_cpu_init();
    if (!__builtin_cpu_supports("avx2") || !__builtin_cpu_supports("bmi") || !__builtin_cpu_supports("bmi2") ||
        !HasMovbe()) {
        return nullptr;
    }
    return FastPext() ? &Utf8ChunksWide : nullptr;
}
#endif

std::size_t PlainFromUtf8(const PlainTables& t, std::string_view in, PlainWriter& w) {
    const std::uint32_t* write = t.write.data();
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const std::size_t n = in.size();
    char* o = w.At();
    const char* const limit = w.Limit();
    std::size_t i = 0;
    std::size_t chunkFrom = 0;  // no chunk tried before this
#if defined(VESKORA_WIDE_CHUNK)
    static const WideChunks kWide = ChooseWideChunks();
    const WideChunks wide = g_baselineVectors.load(std::memory_order_relaxed) ? nullptr : kWide;
#endif
    while (i < n) {
        if (o >= limit) o = w.Flush(o);
        if (i >= chunkFrom && n - i >= kChunkInput) {
#if defined(VESKORA_WIDE_CHUNK)
            if (wide) {
                i += wide(t.twoBytes.data(), p + i, n - i, o, limit);
                // Stopped for want of room (input or output): back to the
                // loop's checks. Otherwise at a chunk it does not take.
                if (n - i < kChunkInput || o >= limit) continue;
            }
#endif
            if (Utf8Chunk(t.twoBytes.data(), p, i, o)) continue;
            chunkFrom = i + 64;  // what stopped the chunk is stepped over first
        }
        const unsigned c = p[i];
        if (c < 0x80) {
            i += AsciiStep(p + i, n - i, o);
            continue;
        }
        // Runs of three-byte characters (most of the BMP), read four bytes at
        // a time in machine order: lead 1110xxxx, then two 10xxxxxx bytes.
        while (n - i >= 4 && o < limit) {
            std::uint32_t x;
            std::memcpy(&x, p + i, 4);
            x = Le32(x);
            if ((x & 0xC0C0F0u) != 0x8080E0u) {
                // A lone ASCII byte between words (a space, a mark) is written
                // here: leaving the loop for it costs more than the byte.
                if ((x & 0x80u) || !(x & 0x8000u)) break;
                *o++ = static_cast<char>(x);
                ++i;
                continue;
            }
            const std::uint32_t cp = ((x & 0x0Fu) << 12) | ((x & 0x3F00u) >> 2) | ((x & 0x3F0000u) >> 16);
            if (cp < 0x800 || !Put(write[cp], o)) {  // overlong; not plain (surrogates neither)
                w.Done(o);
                return i;
            }
            i += 3;
        }
        if (i >= n || p[i] < 0x80 || o >= limit) continue;
        const unsigned d = p[i];
        if ((d & 0xF0) == 0xE0 && n - i == 3 && (p[i + 1] & 0xC0) == 0x80 && (p[i + 2] & 0xC0) == 0x80) {
            const std::uint32_t cp = ((d & 0x0Fu) << 12) | ((p[i + 1] & 0x3Fu) << 6) | (p[i + 2] & 0x3Fu);
            if (cp < 0x800 || !Put(write[cp], o)) break;
            i += 3;
        } else if (d >= 0xC2 && d <= 0xDF && n - i >= 2 && (p[i + 1] & 0xC0) == 0x80) {
            if (!Put(write[((d & 0x1Fu) << 6) | (p[i + 1] & 0x3Fu)], o)) break;
            i += 2;
        } else {
            break;  // four bytes, a stray byte, or a three-byte character cut short or miswritten
        }
    }
    w.Done(o);
    return i;
}

std::size_t PlainFromUtf16(const std::uint32_t* write, std::string_view in, PlainWriter& w) {
    const std::size_t n = in.size() / 2;
    char* o = w.At();
    const char* const limit = w.Limit();
    std::size_t i = 0;
    while (i < n) {
        if (o >= limit) o = w.Flush(o);
        std::size_t block = std::min<std::size_t>(n - i, 8);
#if defined(__SSE2__)
        // Eight ASCII units at a time become eight bytes.
        if (block == 8) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in.data() + 2 * i));
            if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80))),
                                                  _mm_setzero_si128())) == 0xFFFF) {
                _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_packus_epi16(v, v));
                o += 8;
                i += 8;
                continue;
            }
        }
#endif
        // Otherwise through the table, eight units with one check at the end:
        // a unit that is not plain writes nothing, and the block is then
        // taken again unit by unit to stop before it.
        if (block == 8) {
            char* const start = o;
            std::uint32_t missing = 0;
            for (std::size_t k = 0; k < 8; ++k) {
                char16_t unit;
                std::memcpy(&unit, in.data() + 2 * (i + k), 2);
                const std::uint32_t entry = write[unit];
                Put(entry, o);
                missing |= entry - 1u;  // the top bit is set by an entry of 0 only
            }
            if (missing >> 31 == 0) {
                i += 8;
                continue;
            }
            o = start;
        }
        for (; block > 0; --block, ++i) {
            char16_t unit;
            std::memcpy(&unit, in.data() + 2 * i, 2);
            if (!Put(write[unit], o)) {  // surrogates have no entry
                w.Done(o);
                return 2 * i;
            }
        }
    }
    w.Done(o);
    return 2 * i;
}

// What the bytes of one page are written as in another, by lead byte and
// trail byte (index (lead - 0x80) * 256 + trail), and for single bytes: one
// lookup per character. Built from the two pages' tables once per pair.
struct PairTables {
    std::vector<std::uint32_t> pairs;
    std::vector<std::uint32_t> single;  // 0 for a lead byte, kNotPlain for a byte not plain
    // The longest run of lead bytes whose pairs with every trail byte
    // 0xA1..0xFE are written as they are (the Hangul of EUC-KR into 949);
    // empty when lo > hi.
    unsigned char identityLo = 1;
    unsigned char identityHi = 0;
};
constexpr std::uint32_t kNotPlain = 0xFFFFFFFFu;

const PairTables& Pairs(int from, int to, const PlainTables& source, const std::uint32_t* write) {
    static std::mutex mutex;
    static std::map<std::pair<int, int>, std::unique_ptr<PairTables>> built;
    const std::lock_guard<std::mutex> lock(mutex);
    auto& t = built[{from, to}];
    if (!t) {
        t = std::make_unique<PairTables>();
        t->pairs.resize(source.pairs.size());
        for (std::size_t k = 0; k < source.pairs.size(); ++k)
            t->pairs[k] = source.pairs[k] ? write[source.pairs[k]] : 0;
        t->single.resize(256);
        for (int b = 0; b < 256; ++b) {
            const std::uint16_t cp =
                b < 0x80 ? static_cast<std::uint16_t>(b) : source.single[static_cast<std::size_t>(b)];
            t->single[static_cast<std::size_t>(b)] = !cp && b >= 0x80 ? 0 : (write[cp] ? write[cp] : kNotPlain);
        }
        int run = 0;
        for (std::uint32_t lead = 0x81; lead <= 0xFE; ++lead) {
            bool same = true;
            for (std::uint32_t trail = 0xA1; trail <= 0xFE && same; ++trail)
                same = t->pairs[(lead - 0x80) * 256 + trail] == (lead | trail << 8 | 2u << 16);
            run = same ? run + 1 : 0;
            if (run > t->identityHi - t->identityLo + 1) {
                t->identityLo = static_cast<unsigned char>(lead - static_cast<std::uint32_t>(run) + 1);
                t->identityHi = static_cast<unsigned char>(lead);
            }
        }
    }
    return *t;
}

// The characters of a byte page starting in the 64 bytes from p[i] (at
// least kChunkInput left), as Utf8Chunk: a byte of 0x80 or more is taken to
// lead a pair, and where it does not (a single-byte character of the page,
// or none) the chunk stops there.
inline bool BytesChunk(const PairTables& from, const unsigned char* p, std::size_t& i, char*& o) {
#if defined(__SSE2__)
    const unsigned char* q = p + i;
    const std::uint64_t high = Bits64(q, [](__m128i v) { return v; });
    if (!high) {
        Copy64(q, o);
        o += 64;
        i += 64;
        return true;
    }
    std::uint64_t carry = 0;
    const std::uint64_t trails = TrailBytes(high, carry);
    // Pairs all written as they are: the chunk is copied whole, but for a
    // lead byte at its end, whose pair the next chunk takes.
    if (from.identityLo <= from.identityHi) {
        const unsigned char lo = from.identityLo;
        const unsigned char hi = from.identityHi;
        const std::uint64_t leadsIn = Bits64(q, [lo, hi](__m128i v) { return InRange(v, lo, hi); });
        const std::uint64_t trailsIn = Bits64(q, [](__m128i v) { return InRange(v, 0xA1, 0xFE); });
        if (!(high & ~trails & ~leadsIn) && !(trails & ~trailsIn)) {
            Copy64(q, o);
            const std::size_t taken = carry ? 63 : 64;
            o += taken;
            i += taken;
            return true;
        }
    }
    const std::uint32_t* pairs = from.pairs.data();
    std::uint64_t starts = ~trails;
    std::size_t taken = 0;
    while (starts) {
        const auto at = static_cast<std::size_t>(__builtin_ctzll(starts));
        starts &= starts - 1;
        const std::uint32_t c = q[at];
        // All ones for a lead byte (masks, as in Utf8Chunk). ASCII is
        // written as itself; a byte that leads no pair has a row of zeros.
        const std::uint32_t lead = 0u - (c >> 7);
        const std::uint32_t entry = (pairs[((c & 0x7Fu) << 8) | q[at + 1]] & lead) | ((c | 0x10000u) & ~lead);
        if (!entry) {
            i += taken;
            return false;
        }
        Put(entry, o);
        taken = at + 1 + (lead & 1u);
    }
    i += taken;
    return true;
#else
    (void)from;
    (void)p;
    (void)i;
    (void)o;
    return false;
#endif
}

std::size_t PlainFromBytes(const PairTables& from, std::string_view in, PlainWriter& w) {
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const std::size_t n = in.size();
    const std::uint32_t* single = from.single.data();
    const std::uint32_t* pairs = from.pairs.data();
    char* o = w.At();
    const char* const limit = w.Limit();
    std::size_t i = 0;
    std::size_t chunkFrom = 0;  // no chunk tried before this
    while (i < n) {
        if (o >= limit) o = w.Flush(o);
        if (i >= chunkFrom && n - i >= kChunkInput) {
            if (BytesChunk(from, p, i, o)) continue;
            chunkFrom = i + 64;  // what stopped the chunk is stepped over first
        }
        const unsigned c = p[i];
        if (c < 0x80) {
            i += AsciiStep(p + i, n - i, o);
            continue;
        }
        const std::uint32_t single1 = single[c];
        if (single1) {  // a character of one byte
            if (single1 == kNotPlain) break;
            Put(single1, o);
            ++i;
        } else if (n - i >= 2) {
            if (!Put(pairs[(c - 0x80u) * 256u + p[i + 1]], o)) break;
            i += 2;
        } else {
            break;
        }
    }
    w.Done(o);
    return i;
}

}  // namespace

std::size_t ConvertPlainStart(int from, int to, std::string_view in, std::string& out) {
    const PlainTables* target = Plain(to, false);
    if (target->write.empty()) return 0;
    const std::uint32_t* write = target->write.data();
    PlainWriter w(out);
    if (from == kCpUtf8) return PlainFromUtf8(*target, in, w);
    if (from == kCpUtf16Le) return PlainFromUtf16(write, in, w);
    const PlainTables* source = Plain(from, true);
    if (source->pairs.empty()) return 0;
    return PlainFromBytes(Pairs(from, to, *source, write), in, w);
}

int SystemCodePage() { return g_systemCodePage.load(std::memory_order_relaxed); }

void SetSystemCodePage(int codePage) { g_systemCodePage.store(codePage, std::memory_order_relaxed); }

ScopedSystemCodePage::ScopedSystemCodePage(int codePage) : m_previous(SystemCodePage()) { SetSystemCodePage(codePage); }

ScopedSystemCodePage::~ScopedSystemCodePage() { SetSystemCodePage(m_previous); }

ScopedBaselineVectors::ScopedBaselineVectors() : m_previous(g_baselineVectors.exchange(true)) {}

ScopedBaselineVectors::~ScopedBaselineVectors() { g_baselineVectors.store(m_previous); }

const std::uint8_t* LeadByteLengths(int codePage) {
    switch (codePage) {
        case 932: return k932.data();
        case 936:
        case 949:
        case 950: return kDbcs.data();
        case 1361: return k1361.data();
        case kCpUtf8: return kUtf8.data();
        default: return kSingle.data();
    }
}

int LeadByteLength(int codePage, unsigned char lead) { return LeadByteLengths(codePage)[lead]; }

const char* IcuConverterName(int codePage) {
    // The pages used most answer at once: every label lookup asks.
    switch (codePage) {
        case kCpKorean: return "windows-949";
        case kCpUtf8: return "UTF-8";
        case kCpUtf16Le: return "UTF-16LE";
        default: break;
    }
    for (const IcuName& n : kIcuNames) {
        if (n.codePage == codePage) return n.name;
    }
    return nullptr;
}

std::span<const int> UnconvertibleCodePages() { return kUnconvertible; }

bool IsConvertible(int codePage) { return IcuConverterName(codePage) != nullptr; }

bool ToUtf16(int codePage, std::string_view in, std::u16string& out) {
    out.clear();
    UConverter* conv = CachedConverter(codePage);
    if (!conv) return false;
    if (in.empty()) return true;
    out.resize(in.size() * 2 + 4);
    UErrorCode err = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), static_cast<int32_t>(out.size()),
                                    in.data(), static_cast<int32_t>(in.size()), &err);
    if (err == U_BUFFER_OVERFLOW_ERROR) {
        out.resize(static_cast<size_t>(n));
        err = U_ZERO_ERROR;
        ucnv_reset(conv);
        ucnv_toUChars(conv, reinterpret_cast<UChar*>(out.data()), n, in.data(), static_cast<int32_t>(in.size()), &err);
    }
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) {
        out.clear();
        return false;
    }
    out.resize(static_cast<size_t>(n));
    return true;
}

bool FromUtf16(int codePage, std::u16string_view in, std::string& out, bool* usedDefault) {
    out.clear();
    if (usedDefault) *usedDefault = false;
    UConverter* conv = CachedConverter(codePage);
    if (!conv) return false;
    if (in.empty()) return true;

    bool substituted = false;
    UErrorCode err = U_ZERO_ERROR;
    if (!IsUnicodePage(codePage)) ucnv_setSubstChars(conv, "?", 1, &err);
    UConverterFromUCallback oldCallback = nullptr;
    const void* oldContext = nullptr;
    ucnv_setFromUCallBack(conv, NoteSubstitution, &substituted, &oldCallback, &oldContext, &err);

    out.resize(in.size() * static_cast<size_t>(ucnv_getMaxCharSize(conv)) + 4);
    const int32_t n = ucnv_fromUChars(conv, out.data(), static_cast<int32_t>(out.size()),
                                      reinterpret_cast<const UChar*>(in.data()), static_cast<int32_t>(in.size()), &err);
    ucnv_setFromUCallBack(conv, oldCallback, oldContext, nullptr, nullptr, &err);
    if (U_FAILURE(err) && err != U_STRING_NOT_TERMINATED_WARNING) {
        out.clear();
        return false;
    }
    out.resize(static_cast<size_t>(n));
    if (usedDefault) *usedDefault = substituted;
    return true;
}

}  // namespace textcodec
