#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace devlink {

// What the link says of a command it sends; it only chooses the log entry's prefix.
enum CommandKind : int { CMD_GET = 1, CMD_SET = 2 };

// The log entry of a sent command: "[GET][SEND] " or "[SET][SEND] " and the
// command; a SET command whose first "end" (or else first "start") stands
// after its first character gets CR LF, so "$end" and "$start" end their line.
std::string CommandLogEntry(int kind, std::string_view command);

// The port in a port field: its leading decimal digits; none gives 0.
unsigned PortOf(std::string_view field);

// Every command line the gateway takes, built in one place. Arguments go out
// as they are, separated by single blanks (an empty value gives two blanks
// in a row); every AT line ends in CR LF. A line whose code, ID or value
// holds a control byte (a line end, a tab, NUL …) is never built: the
// builders return an empty line, which sends nothing, so no text a caller
// passes on can become a second command.
namespace command {

inline constexpr std::string_view kStopService = "AT+STOP\r\n";
inline constexpr std::string_view kRestartService = "AT+SEND R\r\n";
inline constexpr std::string_view kEndService = "$end";      // to the RF configuration service
inline constexpr std::string_view kStartService = "$start";  // back to the normal service

// The command code of a repeater's module by its row: the MCU (RM), an
// SX1280 (R2) or an SX1276 (R9).
std::string_view RepeaterFamily(int row);

// Whether text holds a byte below 0x20 or DEL.
bool HasControlByte(std::string_view text);

// "AT+GET <code> <id>\r\n" for GM, G2, RM, R2, R9 and N9.
std::string Get(std::string_view code, std::string_view id);
// "AT+SET <code> <id> <value> <value>...\r\n".
std::string Set(std::string_view code, std::string_view id, const std::vector<std::string>& values);

// The MCU's 21 NET KEYs (AUTO and keys 0-19), always to "FFFFFF".
std::string SetNetKeys(const std::vector<std::string>& keys);

}  // namespace command

}  // namespace devlink
