#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace textcodec {

// Code page numbers the program names directly.
inline constexpr int kCpKorean = 949;
inline constexpr int kCpUtf16Le = 1200;
inline constexpr int kCpUtf16Be = 1201;
inline constexpr int kCpUtf32Le = 12000;
inline constexpr int kCpUtf32Be = 12001;
inline constexpr int kCpUtf8 = 65001;

// The code page narrow text is kept in: bytes on the TCP link and the XML
// engine's document text. Korean (949) unless a test or a tool sets another.
int SystemCodePage();

// Sets the system code page for the whole process (tests and tools only).
void SetSystemCodePage(int codePage);

// Sets the system code page for the lifetime of the object, then restores it.
class ScopedSystemCodePage {
public:
    explicit ScopedSystemCodePage(int codePage);
    ~ScopedSystemCodePage();
    ScopedSystemCodePage(const ScopedSystemCodePage&) = delete;
    ScopedSystemCodePage& operator=(const ScopedSystemCodePage&) = delete;

private:
    int m_previous;
};

// For its lifetime, the conversion loops use no vector instructions beyond
// SSE2 even where the processor has more (tests run both forms).
class ScopedBaselineVectors {
public:
    ScopedBaselineVectors();
    ~ScopedBaselineVectors();
    ScopedBaselineVectors(const ScopedBaselineVectors&) = delete;
    ScopedBaselineVectors& operator=(const ScopedBaselineVectors&) = delete;

private:
    bool m_previous;
};

// How many bytes the character starting with lead takes in codePage: 2 for
// the lead bytes of the double-byte pages (932, 936, 949, 950, 1361), the
// sequence length for UTF-8, else 1.
int LeadByteLength(int codePage, unsigned char lead);

// The 256 lead-byte lengths of a code page, for loops that step characters.
const std::uint8_t* LeadByteLengths(int codePage);

// The length of the character at p in the system code page's table, cut
// short so that it never steps over a NUL byte or past end.
inline int CharLength(const std::uint8_t* table, const char* p, const char* end) {
    int n = table[static_cast<unsigned char>(*p)];
    if (n == 1) return 1;
    if (end - p < n) n = static_cast<int>(end - p);
    for (int i = 1; i < n; ++i) {
        if (p[i] == '\0') return i;
    }
    return n;
}

// The trail bytes among 64 bytes of a double-byte page, as bits, from the
// bits of the bytes that would lead a pair (leads) and whether the first of
// the 64 is a trail byte (carry, updated for the next 64). A lead byte takes
// the byte after it whatever it is, so trail bytes follow from the runs of
// lead bytes the way escaped characters follow from runs of escapes.
inline std::uint64_t TrailBytes(std::uint64_t leads, std::uint64_t& carry) {
    constexpr std::uint64_t kEven = 0x5555555555555555u;
    leads &= ~carry;  // a lead byte taken as a trail byte takes nothing
    const std::uint64_t follows = (leads << 1) | carry;
    const std::uint64_t oddStarts = leads & ~kEven & ~follows;
    std::uint64_t evenStarts;
    carry = __builtin_add_overflow(oddStarts, leads, &evenStarts);
    return (kEven ^ (evenStarts << 1)) & follows;
}

// The ICU converter for a Windows code page, or nullptr when ICU has none.
const char* IcuConverterName(int codePage);

// Code pages of the encoding-name table that ICU cannot convert; they
// behave as unknown encodings.
std::span<const int> UnconvertibleCodePages();

bool IsConvertible(int codePage);

// Bytes in codePage to UTF-16, as MultiByteToWideChar: invalid sequences
// become U+FFFD. False (out empty) when the code page is not convertible.
bool ToUtf16(int codePage, std::string_view in, std::u16string& out);

// UTF-16 to bytes in codePage, as WideCharToMultiByte: a character the code
// page cannot hold becomes its default character '?' and sets *usedDefault.
// False (out empty) when the code page is not convertible.
bool FromUtf16(int codePage, std::u16string_view in, std::string& out, bool* usedDefault = nullptr);

// Converts the longest start of in that is made of plain characters, by
// tables built once per page from its converter, and appends it to out;
// returns how many bytes of in it took, stopping before the first other
// character. Plain: UTF-8 or UTF-16LE code points of the BMP, or the one- and
// two-byte characters of a stateless page, that the target writes in one or
// two bytes without substituting and maps one by one (no sequence mapped as
// a whole), ASCII as itself. What it writes is what converting through UTF-16
// writes. 0 when a page has no tables; meant for long texts.
std::size_t ConvertPlainStart(int from, int to, std::string_view in, std::string& out);

}  // namespace textcodec
