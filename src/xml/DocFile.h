#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace xml {

// Reads a whole file into text in the system code page: byte-order mark,
// declared or detected encoding, conversion. The report gets the records of
// opening and reading; flags get the file's encoding bits. A file longer
// than maxLength bytes is refused unread ("File too large").
bool ReadDocFile(const char* path, std::string& text, std::string& report, std::uint32_t& flags,
                 std::int64_t maxLength = INT32_MAX);

// Who may read a file a save makes or replaces.
enum class FileAccess {
    Kept,       // the old file's mode, or the default under the umask for a new one
    OwnerOnly,  // 0600 from the first byte, whatever the old file's mode was
};

// Writes text to a file in the encoding its flags or declaration choose. The
// file is replaced atomically: a failed write leaves the old file as it was.
bool WriteDocFile(const char* path, const std::string& text, std::string& report, std::uint32_t& flags,
                  FileAccess access = FileAccess::Kept);

// The bytes WriteDocFile would write for text, made in memory: the
// conversion is done here, so that writing them later needs no converter.
bool EncodeDocText(const std::string& text, std::string& bytes, std::string& report, std::uint32_t& flags);

// Replaces a file atomically with the bytes write puts into the stream, the
// way WriteDocFile does; false with the errno in *error.
bool ReplaceFile(const char* path, FileAccess access, const std::function<bool(std::FILE*)>& write, int* error);

}  // namespace xml
