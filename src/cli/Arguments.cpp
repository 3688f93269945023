#include "cli/Arguments.h"

#include <array>
#include <utility>

#include "network/Tokens.h"

namespace cli {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kNames{{
    {"netkeys", "GM"},
    {"radio", "G2"},
    {"sx1280", "R2"},
    {"sx1276", "R9"},
    {"nodes", "RM"},
    {"node", "N9"},
}};

bool IsNumber(std::string_view text) {
    if (text.empty()) return false;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
    }
    return true;
}

// How many values a SET of code carries.
std::size_t SetCount(std::string_view code) {
    if (code == "GM") return 21;
    if (code == "G2") return 1;
    if (code == "RM") return 31;
    if (code == "N9") return 7;
    return 3;  // R2, R9: frequency, NET key, busy/SF
}

}  // namespace

bool ParseGateway(std::string_view text, std::string* host, unsigned* port, std::string* error) {
    std::string_view address = text;
    std::string_view portText;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos) {
            *error = "the gateway address \"" + std::string(text) + "\" has no closing ]";
            return false;
        }
        address = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':') {
                *error = "expected :PORT after ] in \"" + std::string(text) + "\"";
                return false;
            }
            portText = text.substr(close + 2);
        }
    } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos && text.find(':') == colon) {
        address = text.substr(0, colon);
        portText = text.substr(colon + 1);
    }
    if (address.empty()) {
        *error = "no gateway address in \"" + std::string(text) + "\"";
        return false;
    }
    *host = std::string(address);
    *port = 5555;
    if (portText.data() == nullptr) return true;
    if (!IsNumber(portText) || portText.size() > 5 || std::stoul(std::string(portText)) == 0 ||
        std::stoul(std::string(portText)) > 65535) {
        *error = "the port \"" + std::string(portText) + "\" is not a number from 1 to 65535";
        return false;
    }
    *port = static_cast<unsigned>(std::stoul(std::string(portText)));
    return true;
}

std::string CodeOf(std::string_view what) {
    for (const auto& [name, code] : kNames) {
        if (what == name || what == code) return std::string(code);
    }
    return {};
}

std::string KnownNames() {
    std::string out;
    for (const auto& [name, code] : kNames) {
        out += (out.empty() ? "" : ", ") + std::string(name) + " (" + std::string(code) + ")";
    }
    return out;
}

bool CheckSetValues(std::string_view code, const std::vector<std::string>& values, std::string* error) {
    const std::size_t wanted = SetCount(code);
    if (values.size() != wanted) {
        *error = std::string(code) + " takes " + std::to_string(wanted) + " value" + (wanted == 1 ? "" : "s") +
                 ", got " + std::to_string(values.size());
        return false;
    }
    const bool hasFrequency = code == "G2" || code == "R2" || code == "R9" || code == "N9";
    if (hasFrequency && !IsNumber(values[0])) {
        *error = "the frequency \"" + values[0] + "\" is not a number (Hz, digits only)";
        return false;
    }
    // Each value goes out as one token of the SET line. Named by its place,
    // not quoted: it may be a NET key.
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string why = code == "RM"             ? network::IdProblem(values[i])
                                : hasFrequency && i == 0 ? network::TokenProblem(values[i], network::kFrequencyField)
                                                         : network::TokenProblem(values[i], network::kValueField);
        if (!why.empty()) {
            *error = "value " + std::to_string(i + 1) + " " + why;
            return false;
        }
    }
    return true;
}

}  // namespace cli
