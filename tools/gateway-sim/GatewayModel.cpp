#include "GatewayModel.h"

#include "wire/ReplyFrame.h"

#include <sstream>

namespace gatewaysim {
namespace {

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> parts;
    std::string current;
    for (const char c : line) {
        if (c == ' ') {
            parts.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(current);
    return parts;
}

std::string Join(const std::vector<std::string>& values) {
    std::string out;
    for (std::size_t i = 0; i < values.size(); ++i) out += (i ? " " : "") + values[i];
    return out;
}

std::string Fixed(const std::string& text, std::size_t width) {
    std::string out = text.substr(0, width);
    out.resize(width, ' ');
    return out;
}

// The SNT and n nodes whose IDs follow from the repeater's, so that a full
// site needs no set-up; the rows past n are empty.
std::vector<std::string> GeneratedNodes(const std::string& repeater, int n) {
    std::vector<std::string> nodes;
    const std::string stem = "N" + Fixed(repeater.size() > 3 ? repeater.substr(repeater.size() - 3) : repeater, 3);
    nodes.push_back(stem + "00");
    for (int k = 1; k <= 30; ++k) nodes.push_back(k <= n ? stem + (k < 10 ? "0" : "") + std::to_string(k) : "");
    return nodes;
}

}  // namespace

Model::Model() {
    netKeys[0] = "AUT";
    for (std::size_t k = 1; k < netKeys.size(); ++k) netKeys[k] = "K" + Fixed(std::to_string(100 + k), 3);
}

std::string BuildFrame(const std::string& tag, const std::string& id, const std::string& payload) {
    // The header is not interpreted but for byte 12, the length.
    return devlink::EncodeReply(Fixed(tag, 2), Fixed(id, 6), payload, "VESKORA-GW-REPLY-HDR");
}

std::vector<std::string> Answer(Model& m, const std::string& line) {
    ++m.commands;
    if (line == "$end") {
        m.rfConfigService = true;
        return {"$END OK"};
    }
    if (line == "$start") {
        m.rfConfigService = false;
        return {"$START OK"};
    }
    if (line == "AT+STOP") {
        m.serviceStopped = true;
        return {"$STOP OK"};
    }
    if (line == "AT+SEND R") {
        m.serviceStopped = false;
        return {"$SEND OK"};
    }
    const std::vector<std::string> p = Split(line);
    if (p.size() < 3 || (p[0] != "AT+GET" && p[0] != "AT+SET")) return {"$ERR"};
    const bool set = p[0] == "AT+SET";
    const std::string& code = p[1];
    const std::string& id = p[2];
    const std::vector<std::string> args(p.begin() + 3, p.end());

    if (code == "GM") {
        if (set) {
            for (std::size_t k = 0; k < m.netKeys.size() && k < args.size(); ++k) m.netKeys[k] = args[k];
        }
        // The first value takes 3 bytes, the other twenty 4 bytes each: 21 values.
        std::string payload = Fixed(m.netKeys[0], 3);
        for (std::size_t k = 1; k < m.netKeys.size(); ++k) payload += " " + Fixed(m.netKeys[k], 4);
        return {BuildFrame("GM", id, payload)};
    }
    if (code == "G2") {
        if (set && !args.empty()) m.gatewayFrequency[id] = args[0];
        auto it = m.gatewayFrequency.find(id);
        const std::string freq = it != m.gatewayFrequency.end() ? it->second : "2402000000";
        return {BuildFrame("G2", id, Fixed(freq, 10))};
    }
    if (code == "R2" || code == "R9") {
        RadioSettings& r = m.repeaterRadios[id];
        if (set && args.size() >= 3) r = {args[0], args[1], args[2]};
        return {BuildFrame(code, id, Join({r.frequency, r.netKey, r.busySf}))};
    }
    if (code == "RM") {
        const bool known = m.nodeTables.count(id) != 0;
        std::vector<std::string>& nodes = m.nodeTables[id];
        if (set) {
            nodes = args;
        } else if (!known && m.nodesPerRepeater > 0) {
            nodes = GeneratedNodes(id, m.nodesPerRepeater);
        }
        return {BuildFrame("RM", id, Join(nodes))};
    }
    if (code == "N9") {
        std::vector<std::string>& attrs = m.nodeAttributes[id];
        if (attrs.empty()) attrs = {"2402000000", "0001", "000000", "7", "60", "0", "0"};
        if (set) attrs = args;
        return {BuildFrame("N9", id, Join(attrs))};
    }
    return {"$ERR"};
}

std::vector<std::string> TakeCommands(std::string& buffer) {
    std::vector<std::string> out;
    while (!buffer.empty()) {
        if (buffer.rfind("$end", 0) == 0 || buffer.rfind("$start", 0) == 0) {
            const std::size_t n = buffer[1] == 'e' ? 4 : 6;
            out.push_back(buffer.substr(0, n));
            buffer.erase(0, n);
            continue;
        }
        const std::size_t eol = buffer.find("\r\n");
        if (eol == std::string::npos) break;
        out.push_back(buffer.substr(0, eol));
        buffer.erase(0, eol + 2);
    }
    return out;
}

}  // namespace gatewaysim
