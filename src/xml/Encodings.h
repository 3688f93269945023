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

// The loose UTF-8 check of the loader: sequence lengths from the lead bytes,
// continuation bytes at least 0x80. Stops at a NUL.
bool LooksLikeUtf8(std::string_view bytes, bool* hasNonAscii = nullptr);

}  // namespace xml
