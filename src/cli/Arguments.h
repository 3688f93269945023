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

// The value name of a code ("R9" -> "sx1276"), what people read; the code
// itself when it has none.
std::string KindOf(std::string_view code);

// The value names get and set take, for messages and help.
std::vector<std::string> KindNames();
std::string KnownNames();

// The names of the values a SET of code carries, in the order it carries them.
std::vector<std::string> SetFieldNames(std::string_view code);

// The option that names a value in `set` ("NET key" -> "net-key", "busy/SF"
// -> "busy-sf"), and every such option of every kind.
std::string OptionOf(std::string_view fieldName);
std::vector<std::string> AllValueOptions();

// Whether values are a SET's arguments for code: their number, and that
// frequencies are numbers. The reason when they are not, in words.
bool CheckSetValues(std::string_view code, const std::vector<std::string>& values, std::string* error);

// The known word closest to a mistyped one, or empty when none is close
// enough to be what was meant.
std::string Closest(std::string_view word, const std::vector<std::string>& known);

// `unknown <what> "word"`, with "; did you mean "x"?" when one is close.
std::string Unknown(std::string_view what, std::string_view word, const std::vector<std::string>& known);

}  // namespace cli
