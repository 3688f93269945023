#include "cli/Arguments.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <set>
#include <utility>

#include "network/Site.h"
#include "network/SiteList.h"
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
    return network::ParseGatewayAddress(text, host, port, error);
}

std::string CodeOf(std::string_view what) {
    for (const auto& [name, code] : kNames) {
        if (what == name || what == code) return std::string(code);
    }
    return {};
}

std::string KindOf(std::string_view code) {
    for (const auto& [name, c] : kNames) {
        if (code == c) return std::string(name);
    }
    return std::string(code);
}

std::vector<std::string> KindNames() {
    std::vector<std::string> out;
    out.reserve(kNames.size());
    for (const auto& [name, code] : kNames) out.emplace_back(name);
    return out;
}

std::vector<std::string> SetFieldNames(std::string_view code) {
    std::vector<std::string> names = network::FieldNames(code);
    names.resize(std::min(names.size(), SetCount(code)));
    return names;
}

std::string OptionOf(std::string_view fieldName) {
    std::string out;
    for (const char c : fieldName) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!out.empty() && out.back() != '-') {
            out += '-';
        }
    }
    return out;
}

std::vector<std::string> AllValueOptions() {
    std::set<std::string> seen;
    std::vector<std::string> out;
    for (const auto& [name, code] : kNames) {
        for (const std::string& field : SetFieldNames(code)) {
            if (seen.insert(OptionOf(field)).second) out.push_back(OptionOf(field));
        }
    }
    return out;
}

std::string Closest(std::string_view word, const std::vector<std::string>& known) {
    // Edit distance, with a swap of two neighbours counted as one edit.
    const auto distance = [](std::string_view a, std::string_view b) {
        std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
        for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
        for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
        for (std::size_t i = 1; i <= a.size(); ++i) {
            for (std::size_t j = 1; j <= b.size(); ++j) {
                const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
                d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
                if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                    d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
        return d[a.size()][b.size()];
    };
    std::string best;
    std::size_t bestDistance = 0;
    for (const std::string& k : known) {
        const std::size_t dist = distance(word, k);
        if (best.empty() || dist < bestDistance) {
            best = k;
            bestDistance = dist;
        }
    }
    // Two edits in a long word, one in a short one: further off is another word.
    const std::size_t allowed = word.size() >= 6 ? 2 : 1;
    return !best.empty() && bestDistance <= allowed ? best : std::string();
}

std::string Unknown(std::string_view what, std::string_view word, const std::vector<std::string>& known) {
    std::string out = "unknown " + std::string(what) + " \"" + std::string(word) + "\"";
    if (const std::string close = Closest(word, known); !close.empty()) out += "; did you mean \"" + close + "\"?";
    return out;
}

std::string KnownNames() {
    std::string out;
    for (const auto& [name, code] : kNames) {
        out += (out.empty() ? "" : ", ") + std::string(name) + " (" + std::string(code) + ")";
    }
    return out;
}

bool CheckSetValues(std::string_view code, const std::vector<std::string>& values, std::string* error) {
    const std::vector<std::string> names = SetFieldNames(code);
    if (values.size() != names.size()) {
        // Long lists are shown by their ends: "NET KEY AUTO, NET KEY 0 … NET KEY 19".
        std::string wanted;
        if (names.size() > 8) {
            wanted = names[0] + ", " + names[1] + " … " + names.back();
        } else {
            for (std::size_t i = 0; i < names.size(); ++i) wanted += (i ? ", " : "") + names[i];
        }
        const std::string count = names.size() > 8 ? std::to_string(names.size()) + " values; " : "";
        *error = KindOf(code) + " takes " + wanted + " (" + count + "got " + std::to_string(values.size()) + " value" +
                 (values.size() == 1 ? "" : "s") + ")";
        return false;
    }
    const bool hasFrequency = code == "G2" || code == "R2" || code == "R9" || code == "N9";
    if (hasFrequency && !network::IsNumber(values[0])) {
        *error = "the frequency " + network::Quoted(values[0]) + " is not a number (Hz, digits only)";
        return false;
    }
    // Each value goes out as one token of the SET line. Named, not quoted:
    // it may be a NET key.
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string why = code == "RM"             ? network::IdProblem(values[i])
                                : hasFrequency && i == 0 ? network::TokenProblem(values[i], network::kFrequencyField)
                                                         : network::TokenProblem(values[i], network::kValueField);
        if (!why.empty()) {
            *error = "the " + names[i] + " " + why;
            return false;
        }
    }
    return true;
}

}  // namespace cli
