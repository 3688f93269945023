#include "netview/SiteView.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string_view>

#include "network/Tokens.h"

namespace netview {

const char* ShownStateName(ShownState state) {
    switch (state) {
        case ShownState::Unknown: return "unknown";
        case ShownState::Read: return "read";
        case ShownState::Edited: return "edited";
        case ShownState::DiffersFromPlan: return "differs from plan";
        case ShownState::Confirmed: return "written and confirmed";
        case ShownState::WrittenDiffers: return "written but differs";
        case ShownState::NoAnswer: return "no answer";
        case ShownState::NotWritten: return "not written";
        case ShownState::NotConfirmed: return "written but not confirmed";
        case ShownState::ReadBeforeLoss: return "read before the link was lost";
        case ShownState::ConfirmedBeforeLoss: return "confirmed before the link was lost";
    }
    return "unknown";
}

ShownState StateOf(const network::Value& live, const ValueNotes& notes, bool fromLostLink) {
    // What a link that dropped said is history until it is read again.
    const bool stale = fromLostLink;
    // A write's result stands until the value is read again (a read that says
    // otherwise, or one on a later link, is what the device holds now).
    const bool readSince =
        notes.written && notes.result == devlink::WriteResult::Confirmed && live.origin != network::Origin::Confirmed;
    if (notes.written && !readSince) {
        switch (notes.result) {
            case devlink::WriteResult::Confirmed:
                return stale ? ShownState::ConfirmedBeforeLoss : ShownState::Confirmed;
            case devlink::WriteResult::DiffersAfterWrite: return ShownState::WrittenDiffers;
            case devlink::WriteResult::NoAnswer: return ShownState::NoAnswer;
            case devlink::WriteResult::NotConfirmed: return ShownState::NotConfirmed;
            default: return ShownState::NotWritten;
        }
    }
    if (notes.edited && !readSince) return ShownState::Edited;
    if (notes.differs) return ShownState::DiffersFromPlan;
    switch (live.origin) {
        case network::Origin::Read: return stale ? ShownState::ReadBeforeLoss : ShownState::Read;
        case network::Origin::Confirmed: return stale ? ShownState::ConfirmedBeforeLoss : ShownState::Confirmed;
        case network::Origin::Differs: return ShownState::WrittenDiffers;
        case network::Origin::NoAnswer: return ShownState::NoAnswer;
        default: return ShownState::Unknown;
    }
}

namespace {

std::string WithoutLeadingZeros(std::string digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

}  // namespace

std::string Megahertz(const std::string& hz) {
    if (!network::IsNumber(hz)) return hz;
    const std::string padded = std::string(hz.size() < 7 ? 7 - hz.size() : 0, '0') + hz;
    std::string fraction = padded.substr(padded.size() - 6);
    while (fraction.size() > 3 && fraction.back() == '0') fraction.pop_back();
    return WithoutLeadingZeros(padded.substr(0, padded.size() - 6)) + "." + fraction + " MHz";
}

std::string TypedHz(const std::string& typed) {
    std::string_view t = typed;
    const auto space = [](char c) { return c == ' ' || c == '\t'; };
    while (!t.empty() && space(t.front())) t.remove_prefix(1);
    while (!t.empty() && space(t.back())) t.remove_suffix(1);
    bool suffix = false;
    if (t.size() >= 3) {
        std::string tail(t.substr(t.size() - 3));
        std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return std::tolower(c); });
        suffix = tail == "mhz";
    }
    if (suffix) t.remove_suffix(3);
    while (!t.empty() && space(t.back())) t.remove_suffix(1);
    const std::size_t dot = t.find('.');
    if (!suffix && dot == std::string_view::npos) return typed;
    const std::string_view whole = t.substr(0, dot);
    const std::string_view fraction = dot == std::string_view::npos ? std::string_view{} : t.substr(dot + 1);
    // Hz is the finest step the gateway takes: no more than six places.
    if ((whole.empty() && fraction.empty()) || fraction.size() > 6 || (!whole.empty() && !network::IsNumber(whole)) ||
        (!fraction.empty() && !network::IsNumber(fraction))) {
        return typed;
    }
    return WithoutLeadingZeros(std::string(whole) + std::string(fraction) + std::string(6 - fraction.size(), '0'));
}

namespace {

// What is being commissioned is the plan: its frequency where it gives one.
const network::Value& Pick(const network::Value& live, const network::Value& plan) {
    return plan.Known() ? plan : live;
}

// The band follows the frequency itself: a value in the other band still
// shows, on the scale where it lies.
void Place(std::vector<Placement>& out, const std::string& label, const network::Value& value) {
    if (!value.Known() || value.text.empty()) return;
    char* end = nullptr;
    const double hz = std::strtod(value.text.c_str(), &end);
    if (end == value.text.c_str() || hz <= 0) return;
    out.push_back({label, hz / 1e6, hz < 1.5e9, false});
}

}  // namespace

std::vector<Placement> PlaceModules(const network::Site& live, const network::Site& plan) {
    std::vector<Placement> out;
    for (int r = 0; r < 2; ++r) {
        const auto i = static_cast<std::size_t>(r);
        Place(out, network::path::GatewayModule(r + 1) + " (" + live.gateway.ids[i + 1] + ")",
              Pick(live.gateway.radioFrequency[i], plan.gateway.radioFrequency[i]));
    }
    // The two gateway radios must not share a frequency, as the RF page refuses.
    if (out.size() == 2 && out[0].megahertz == out[1].megahertz) out[0].clash = out[1].clash = true;
    for (int k = 0; k < network::kRepeaters; ++k) {
        const auto& repeater = live.repeaters[static_cast<std::size_t>(k)];
        const auto& planned = plan.repeaters[static_cast<std::size_t>(k)];
        for (int m = 0; m < 5; ++m) {
            const auto i = static_cast<std::size_t>(m);
            if (repeater.ids[i + 1].empty()) continue;
            Place(out, network::path::RepeaterModule(k, m + 1) + " (" + repeater.ids[i + 1] + ")",
                  Pick(repeater.radios[i].frequency, planned.radios[i].frequency));
        }
    }
    return out;
}

}  // namespace netview
