#include "wire/CommandText.h"

namespace devlink {

std::string CommandLogEntry(int kind, std::string_view command) {
    if (kind == CMD_GET) return "[GET][SEND] " + std::string(command);
    if (kind != CMD_SET) return {};
    std::string entry = "[SET][SEND] " + std::string(command);
    const std::size_t end = command.find("end");
    const std::size_t start = command.find("start");
    if ((end != std::string_view::npos && end >= 1) || (start != std::string_view::npos && start >= 1)) {
        entry += "\r\n";
    }
    return entry;
}

unsigned PortOf(std::string_view field) {
    unsigned long port = 0;
    for (const char c : field) {
        if (c < '0' || c > '9') break;
        port = port * 10 + static_cast<unsigned>(c - '0');
        if (port > 0xFFFFFFFFul) break;
    }
    return static_cast<unsigned>(port);
}

namespace command {

std::string_view RepeaterFamily(int row) { return row == 0 ? "RM" : row <= 2 ? "R2" : "R9"; }

bool HasControlByte(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
    }
    return false;
}

std::string Get(std::string_view code, std::string_view id) {
    if (HasControlByte(code) || HasControlByte(id)) return {};
    return "AT+GET " + std::string(code) + " " + std::string(id) + "\r\n";
}

std::string Set(std::string_view code, std::string_view id, const std::vector<std::string>& values) {
    if (HasControlByte(code) || HasControlByte(id)) return {};
    std::string line = "AT+SET " + std::string(code) + " " + std::string(id);
    for (const std::string& value : values) {
        if (HasControlByte(value)) return {};
        line += " " + value;
    }
    return line + "\r\n";
}

std::string SetNetKeys(const std::vector<std::string>& keys) { return Set("GM", "FFFFFF", keys); }

}  // namespace command

}  // namespace devlink
