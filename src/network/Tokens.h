#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// What a value or an ID must be before the network file, the command-line
// tool or the Network tab puts it on a command line: one token of printable
// ASCII, no blank, no longer than the field it fills. Plain C++.
namespace network {

// A reply frame carries a module's ID in six bytes (23-28).
inline constexpr std::size_t kIdField = 6;
// A frequency in Hz: ten digits reach 9,999,999,999.
inline constexpr std::size_t kFrequencyField = 10;
// Any other value; all values of one SET must also fit one reply frame.
inline constexpr std::size_t kValueField = 32;
inline constexpr std::size_t kReplyPayload = 255 - 30;

// Why text cannot be one token of at most maxLength characters ("holds a
// blank", "holds a line break (0x0A)", "is longer than 6 characters"), or
// empty when it can. An empty text is a token (an empty slot).
std::string TokenProblem(std::string_view text, std::size_t maxLength);

// Whether text is one or more decimal digits and nothing else.
bool IsNumber(std::string_view text);

// Why id cannot address a module on a command line, or empty.
std::string IdProblem(std::string_view id);

// Why text cannot be the value at path (a path of ForEachValue), or empty:
// node-table entries are IDs, frequencies are digits.
std::string ValueProblem(std::string_view path, std::string_view text);

// "the value" and the value quoted, for a message about the value at path;
// a network key's value is never quoted.
std::string TheValue(std::string_view path, std::string_view text);

// Narrow text (system code page) quoted for a message: control bytes as \r,
// \n, \t or \xNN, other characters in UTF-8.
std::string Quoted(std::string_view narrow);

}  // namespace network
