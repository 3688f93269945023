#pragma once

#include <cstdint>
#include <string>

namespace xml {

// Reads a whole file into text in the system code page: byte-order mark,
// declared or detected encoding, conversion. The report gets the records of
// opening and reading; flags get the file's encoding bits. A file longer
// than maxLength bytes is refused unread ("File too large").
bool ReadDocFile(const char* path, std::string& text, std::string& report, std::uint32_t& flags,
                 std::int64_t maxLength = INT32_MAX);

// Writes text to a file in the encoding its flags or declaration choose. The
// file is replaced atomically: a failed write leaves the old file as it was.
bool WriteDocFile(const char* path, const std::string& text, std::string& report, std::uint32_t& flags);

}  // namespace xml
