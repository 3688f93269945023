#include "network/Site.h"

#include <string_view>

#include "network/SiteState.h"

namespace network {
namespace {

constexpr std::array<const char*, 3> kGatewayModules{"MCU", "SX1280 A", "SX1280 B"};
constexpr std::array<const char*, 6> kRepeaterModules{"MCU",      "SX1280 A", "SX1280 B",
                                                      "SX1276 1", "SX1276 2", "SX1276 3"};
constexpr std::array<const char*, kNodeAttributes> kAttributes{
    "frequency", "sub net key", "super ID", "SF", "TX period", "station 0", "station 1", "value 8", "value 9"};

void Read(Value& value, const std::string& text, std::int64_t now, std::uint32_t session) {
    // Saying again on the same link what a write confirmed leaves it confirmed.
    if (value.origin == Origin::Confirmed && value.session == session && value.text == text) return;
    value = {text, Origin::Read, now, session};
}

bool InSomeNodeTable(const Site& site, const std::string& id) {
    for (const Repeater& repeater : site.repeaters) {
        for (std::size_t n = 1; n < repeater.nodeTable.size(); ++n) {
            if (repeater.nodeTable[n].Known() && SameId(repeater.nodeTable[n].text, id)) return true;
        }
    }
    return false;
}

std::string At(const std::vector<std::string>& values, std::size_t i) { return i < values.size() ? values[i] : ""; }

// The index of the module whose ID is id among ids[first..last], or -1.
int ModuleOf(const std::array<std::string, 6>& ids, std::string_view id, int first, int last) {
    for (int m = first; m <= last; ++m) {
        if (!ids[static_cast<std::size_t>(m)].empty() && SameId(ids[static_cast<std::size_t>(m)], id)) return m;
    }
    return -1;
}

bool ApplyRadio(Site& site, const devlink::Reply& reply, int first, int last, std::int64_t now) {
    for (Repeater& repeater : site.repeaters) {
        const int m = ModuleOf(repeater.ids, reply.moduleId, first, last);
        if (m < 0) continue;
        RadioSettings& radio = repeater.radios[static_cast<std::size_t>(m - 1)];
        Read(radio.frequency, At(reply.values, 1), now, site.linkSession);
        Read(radio.netKey, At(reply.values, 2), now, site.linkSession);
        Read(radio.busySf, At(reply.values, 3), now, site.linkSession);
        return true;
    }
    return false;
}

// One walk for the const and the mutable site.
template <typename SiteT, typename Visit>
void Walk(SiteT& site, const Visit& visit) {
    for (int k = 0; k < kNetKeys; ++k) visit(path::NetKey(k), site.gateway.netKeys[static_cast<std::size_t>(k)]);
    for (int r = 0; r < 2; ++r)
        visit(path::GatewayFrequency(r), site.gateway.radioFrequency[static_cast<std::size_t>(r)]);
    for (int k = 0; k < kRepeaters; ++k) {
        auto& repeater = site.repeaters[static_cast<std::size_t>(k)];
        for (int m = 0; m < 5; ++m) {
            auto& radio = repeater.radios[static_cast<std::size_t>(m)];
            visit(path::Radio(k, m, kFrequency), radio.frequency);
            visit(path::Radio(k, m, kNetKey), radio.netKey);
            visit(path::Radio(k, m, kBusySf), radio.busySf);
        }
        for (int n = 0; n < kNodeTableRows; ++n)
            visit(path::NodeTable(k, n), repeater.nodeTable[static_cast<std::size_t>(n)]);
    }
    for (auto& [id, node] : site.nodes) {
        for (int a = 0; a < kNodeAttributes; ++a)
            visit(path::Node(id, a), node.attributes[static_cast<std::size_t>(a)]);
    }
}

template <typename SiteT, typename Visit>
void WalkIds(SiteT& site, const Visit& visit) {
    for (int m = 0; m < 3; ++m) visit(path::GatewayModule(m), site.gateway.ids[static_cast<std::size_t>(m)]);
    for (int k = 0; k < kRepeaters; ++k) {
        for (int m = 0; m < 6; ++m) {
            visit(path::RepeaterModule(k, m),
                  site.repeaters[static_cast<std::size_t>(k)].ids[static_cast<std::size_t>(m)]);
        }
    }
}

}  // namespace

namespace path {

std::string GatewayModule(int row) {
    return std::string("gateway / ") + kGatewayModules[static_cast<std::size_t>(row)];
}
std::string RepeaterModule(int k, int row) {
    return "repeater " + std::to_string(k + 1) + " / " + kRepeaterModules[static_cast<std::size_t>(row)];
}

std::string NetKey(int k) { return "gateway / NET KEY " + (k == 0 ? std::string("AUTO") : std::to_string(k - 1)); }
std::string GatewayFrequency(int r) { return GatewayModule(r + 1) + " / frequency"; }
std::string Radio(int k, int m, RadioField field) {
    static constexpr std::array<const char*, 3> kFields{"frequency", "NET key", "busy/SF"};
    return RepeaterModule(k, m + 1) + " / " + kFields[static_cast<std::size_t>(field)];
}
std::string NodeTable(int k, int n) {
    return RepeaterModule(k, 0) + " / node table / " + (n == 0 ? std::string("SNT") : "node " + std::to_string(n));
}
std::string Node(const std::string& id, int a) {
    return "node " + id + " / " + kAttributes[static_cast<std::size_t>(a)];
}
bool IsKey(std::string_view path) {
    return path.starts_with("gateway / NET KEY ") || path.ends_with(" / NET key") || path.ends_with(" / sub net key");
}

bool IsFrequency(std::string_view path) { return path.ends_with(" / frequency"); }

}  // namespace path

const char* OriginName(Origin origin) {
    switch (origin) {
        case Origin::Unknown: return "unknown";
        case Origin::Read: return "read";
        case Origin::Planned: return "planned";
        case Origin::Confirmed: return "confirmed";
        case Origin::Differs: return "differs";
        case Origin::NoAnswer: return "no answer";
    }
    return "unknown";
}

std::vector<std::string> FieldNames(std::string_view code) {
    std::vector<std::string> names;
    if (code == "GM") {
        for (int k = 0; k < kNetKeys; ++k)
            names.push_back(k == 0 ? "NET KEY AUTO" : "NET KEY " + std::to_string(k - 1));
    } else if (code == "G2") {
        names = {"frequency"};
    } else if (code == "R2" || code == "R9") {
        names = {"frequency", "NET key", "busy/SF"};
    } else if (code == "RM") {
        names.push_back("SNT");
        for (int n = 1; n < kNodeTableRows; ++n) names.push_back("node " + std::to_string(n));
    } else if (code == "N9") {
        names.assign(kAttributes.begin(), kAttributes.end());
    }
    return names;
}

std::vector<std::string> ReplyValues(const devlink::Reply& reply) {
    switch (reply.tagIndex) {
        case devlink::kTagGM: return reply.netKeys;
        case devlink::kTagG2: return {reply.g2Frequency};
        case devlink::kTagR2:
        case devlink::kTagR9: return {At(reply.values, 1), At(reply.values, 2), At(reply.values, 3)};
        case devlink::kTagRM: {
            std::vector<std::string> out;
            out.reserve(kNodeTableRows);
            for (int n = 0; n < kNodeTableRows; ++n) out.push_back(At(reply.values, static_cast<std::size_t>(n)));
            return out;
        }
        case devlink::kTagN9: {
            std::vector<std::string> out;
            out.reserve(kNodeAttributes);
            for (int a = 0; a < kNodeAttributes; ++a) out.push_back(At(reply.values, static_cast<std::size_t>(a)));
            return out;
        }
        default: return {};
    }
}

bool FromLostLink(const Site& site, const Value& value) {
    return value.session != 0 && (value.session != site.linkSession || site.lostAt.contains(value.session));
}

bool ApplyObserved(Site& site, const devlink::Reply& reply, std::int64_t now) {
    // A node is learnt from a node table, not from whatever IDs replies carry.
    if (reply.tagIndex == devlink::kTagN9 && !site.nodes.contains(reply.moduleId) &&
        !InSomeNodeTable(site, reply.moduleId))
        return false;
    return ApplyReply(site, reply, now);
}

bool ApplyReply(Site& site, const devlink::Reply& reply, std::int64_t now) {
    switch (reply.tagIndex) {
        case devlink::kTagGM:
            if (reply.netKeys.size() != static_cast<std::size_t>(kNetKeys)) return false;
            for (std::size_t k = 0; k < reply.netKeys.size(); ++k)
                Read(site.gateway.netKeys[k], reply.netKeys[k], now, site.linkSession);
            return true;
        case devlink::kTagG2:
            for (std::size_t r = 1; r <= 2; ++r) {
                if (!site.gateway.ids[r].empty() && SameId(site.gateway.ids[r], reply.g2Id)) {
                    Read(site.gateway.radioFrequency[r - 1], reply.g2Frequency, now, site.linkSession);
                    return true;
                }
            }
            return false;
        case devlink::kTagR2: return ApplyRadio(site, reply, 1, 2, now);
        case devlink::kTagR9: return ApplyRadio(site, reply, 3, 5, now);
        case devlink::kTagRM:
            for (Repeater& repeater : site.repeaters) {
                if (ModuleOf(repeater.ids, reply.moduleId, 0, 0) != 0) continue;
                for (std::size_t n = 0; n < repeater.nodeTable.size(); ++n)
                    Read(repeater.nodeTable[n], At(reply.values, n), now, site.linkSession);
                return true;
            }
            return false;
        case devlink::kTagN9: {
            if (reply.moduleId.empty()) return false;
            Node& node = site.nodes[reply.moduleId];
            for (std::size_t a = 0; a < node.attributes.size(); ++a)
                Read(node.attributes[a], At(reply.values, a), now, site.linkSession);
            return true;
        }
        default: return false;
    }
}

void ForEachValue(const Site& site, const std::function<void(const std::string&, const Value&)>& visit) {
    Walk(site, visit);
}

void ForEachValue(Site& site, const std::function<void(const std::string&, Value&)>& visit) { Walk(site, visit); }

void ForEachModuleId(const Site& site, const std::function<void(const std::string&, const std::string&)>& visit) {
    WalkIds(site, visit);
}

void ForEachModuleId(Site& site, const std::function<void(const std::string&, std::string&)>& visit) {
    WalkIds(site, visit);
}

void TakeIds(Site& site, const Site& ids) {
    const auto take = [](auto& have, const auto& given, auto&& forget) {
        for (std::size_t m = 0; m < have.size(); ++m) {
            if (have[m] == given[m]) continue;
            have[m] = given[m];
            forget(m);
        }
    };
    take(site.gateway.ids, ids.gateway.ids, [&](std::size_t m) {
        if (m == 0) site.gateway.netKeys = {};
        if (m > 0) site.gateway.radioFrequency[m - 1] = {};
    });
    for (std::size_t k = 0; k < site.repeaters.size(); ++k) {
        Repeater& repeater = site.repeaters[k];
        take(repeater.ids, ids.repeaters[k].ids, [&](std::size_t m) {
            if (m == 0) repeater.nodeTable = {};
            if (m > 0) repeater.radios[m - 1] = {};
        });
    }
}

std::vector<Difference> Compare(const Site& left, const Site& right) {
    std::map<std::string, Value> rightValues;
    ForEachValue(right, [&](const std::string& path, const Value& v) { rightValues.emplace(path, v); });
    std::vector<Difference> differences;
    const auto differ = [](const Value& a, const Value& b) {
        if (a.Known() != b.Known()) return true;
        return a.Known() && a.text != b.text;
    };
    ForEachValue(left, [&](const std::string& path, const Value& v) {
        const auto other = rightValues.find(path);
        const Value theirs = other != rightValues.end() ? other->second : Value{};
        if (differ(v, theirs)) differences.push_back({path, v, theirs});
        if (other != rightValues.end()) rightValues.erase(other);
    });
    // What only the right side has (nodes the left does not know), in its order.
    ForEachValue(right, [&](const std::string& path, const Value& v) {
        if (rightValues.count(path) && v.Known()) differences.push_back({path, Value{}, v});
    });
    return differences;
}

}  // namespace network
