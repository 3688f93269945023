#pragma once

#include <string>
#include <string_view>
#include <vector>

// What the command-line tool accepts, checked before anything is sent.
// Plain functions: text in, values or a reason out.
namespace cli {

// "ADDRESS[:PORT]" (an IPv6 address in brackets when a port follows); the
// port is 5555 when left out. False with the reason for a bad port.
bool ParseGateway(std::string_view text, std::string* host, unsigned* port, std::string* error);

// The command code of a value name ("netkeys", "radio", "sx1280", "sx1276",
// "nodes", "node") or of a code itself ("GM", "G2", "R2", "R9", "RM", "N9");
// empty for anything else.
std::string CodeOf(std::string_view what);

// The value names get and set take, for messages and help.
std::string KnownNames();

// Whether values are a SET's arguments for code: their number, and that
// frequencies are numbers. The reason when they are not.
bool CheckSetValues(std::string_view code, const std::vector<std::string>& values, std::string* error);

}  // namespace cli
