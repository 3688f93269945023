#pragma once

#include <string>
#include <string_view>

namespace xml {

// The engine's own UTF-32: 32-bit code points in the machine's byte order.
inline constexpr int kCpEngineUtf32 = 65005;

// The code page an encoding label names: 0 for "" (the system code page),
// 65005 for names starting "UTF-32", -1 for unknown labels, labels of 100 or
// more bytes, and code pages this machine cannot convert.
int CodePageOf(std::string_view name);

// Whether two labels name different code pages; false when either is unknown.
bool EncodingsDiffer(std::string_view a, std::string_view b);

// The encoding a text declares: its XML declaration at offset 0, or an HTML
// meta Content-Type charset. "" when it declares none.
std::string SniffEncoding(std::string_view text);

// Converts bytes between two labelled encodings; *lost tells whether a
// character had to be replaced by the target's default character.
std::string ConvertText(std::string_view fromName, std::string_view toName, std::string_view source,
                        bool* lost = nullptr);

// The same between two code pages (0 is not the system code page here).
std::string ConvertCodePages(int from, int to, std::string_view source, bool* lost = nullptr);

// Whether ASCII runs may be copied rather than converted. From a page: every
// byte below 0x80 is an ASCII character of its own wherever it stands (never a
// trail byte, part of a four-byte form or a shift) and ends whatever sequence
// came before it alike whatever follows, so the text can be cut after any of
// them: the single-byte pages and UTF-8 (the EUC pages' converters read an
// invalid byte differently near the end of a text). To a page: every ASCII character is written as that one
// byte and no state carries over from one character to the next (not 932,
// whose converter swaps 0x1A, 0x1C and 0x7F).
bool AsciiPassesFrom(int codePage);
bool AsciiPassesTo(int codePage);

// The loose UTF-8 check of the loader: sequence lengths from the lead bytes,
// continuation bytes at least 0x80. Stops at a NUL.
bool LooksLikeUtf8(std::string_view bytes, bool* hasNonAscii = nullptr);

}  // namespace xml
