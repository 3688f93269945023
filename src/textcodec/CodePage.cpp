#include "textcodec/CodePage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_err.h>

#include <array>
#include <atomic>
#include <memory>

namespace textcodec {
namespace {

// The platform the program was designed for ran with the Korean ANSI code page.
std::atomic<int> g_systemCodePage{kCpKorean};

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

// One converter per thread for the code page used last: conversions of
// the system code page come in long runs (entity decoding, file text).
UConverter* CachedConverter(int codePage) {
    thread_local int cachedPage = -1;
    thread_local ConverterPtr cached;
    if (cachedPage == codePage && cached) {
        ucnv_reset(cached.get());
        return cached.get();
    }
    const char* name = IcuConverterName(codePage);
    if (!name) return nullptr;
    UErrorCode err = U_ZERO_ERROR;
    ConverterPtr c(ucnv_open(name, &err));
    if (U_FAILURE(err)) return nullptr;
    cached = std::move(c);
    cachedPage = codePage;
    return cached.get();
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

}  // namespace

int SystemCodePage() { return g_systemCodePage.load(std::memory_order_relaxed); }

void SetSystemCodePage(int codePage) { g_systemCodePage.store(codePage, std::memory_order_relaxed); }

ScopedSystemCodePage::ScopedSystemCodePage(int codePage) : m_previous(SystemCodePage()) { SetSystemCodePage(codePage); }

ScopedSystemCodePage::~ScopedSystemCodePage() { SetSystemCodePage(m_previous); }

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
