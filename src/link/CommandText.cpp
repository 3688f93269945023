#include "link/CommandText.h"

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

}  // namespace devlink
