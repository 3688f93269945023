#pragma once

#include <string>
#include <string_view>

// Command kinds, which only choose the log entry's prefix.
inline constexpr int CMD_GET = 1;
inline constexpr int CMD_SET = 2;

namespace devlink {

// The log entry of a sent command: "[GET][SEND] " or "[SET][SEND] " and the
// command; a SET command whose first "end" (or else first "start") stands
// after its first character gets CR LF, so "$end" and "$start" end their line.
std::string CommandLogEntry(int kind, std::string_view command);

// The port in a port field: its leading decimal digits; none gives 0.
unsigned PortOf(std::string_view field);

}  // namespace devlink
