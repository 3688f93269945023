#include "network/WritePlan.h"

#include <map>
#include <set>

#include "network/SiteState.h"
#include "network/Tokens.h"
#include "wire/CommandText.h"

namespace network {
namespace {

namespace command = devlink::command;

std::map<std::string, const Value*> ValuesByPath(const Site& site) {
    std::map<std::string, const Value*> out;
    ForEachValue(site, [&](const std::string& path, const Value& v) { out.emplace(path, &v); });
    return out;
}

// Builds one item from the paths of a module's SET, in the SET's order.
class ItemBuilder {
public:
    ItemBuilder(const Site& plan, const Site& live, const std::set<std::string>& differing)
        : m_plan(ValuesByPath(plan)), m_live(ValuesByPath(live)), m_differing(differing) {}

    // Whether any of paths differs; only then is a write needed.
    bool AnyDiffers(const std::vector<std::string>& paths) const {
        for (const std::string& p : paths) {
            if (m_differing.count(p)) return true;
        }
        return false;
    }

    // Each value from the plan where it knows it, else as the site holds it.
    WriteItem Build(std::string module, std::string_view code, const std::string& id,
                    const std::vector<std::string>& paths) const {
        WriteItem item;
        item.module = std::move(module);
        item.code = std::string(code);
        item.id = id;
        item.paths = paths;
        for (const std::string& p : paths) {
            const Value* planned = Lookup(m_plan, p);
            const Value* held = Lookup(m_live, p);
            if (planned && planned->Known()) {
                item.expected.push_back(planned->text);
            } else if (held && held->Known()) {
                item.expected.push_back(held->text);
            } else {
                item.expected.emplace_back();
                if (item.problem.empty()) item.problem = p + " is neither planned nor read";
            }
        }
        // Each value goes out as one token; one that is not would split or end the line.
        std::size_t total = 0;
        for (std::size_t i = 0; i < paths.size() && item.problem.empty(); ++i) {
            total += item.expected[i].size() + 1;
            if (std::string why = ValueProblem(paths[i], item.expected[i]); !why.empty()) {
                item.problem = paths[i] + ": " + TheValue(paths[i], item.expected[i]) + " " + why;
            }
        }
        if (item.problem.empty() && total > kReplyPayload) {
            item.problem = "the values do not fit in one reply frame, so they could not be read back";
        }
        // The NET KEYs go to the broadcast ID; no other module can be addressed by it.
        const bool netKeys = item.code == "GM";
        if (!netKeys && (id.empty() || Unaddressable(id))) {
            item.problem = "the module's ID " + Quoted(id) + " cannot be addressed";
        } else if (std::string why = IdProblem(id); !netKeys && !why.empty()) {
            item.problem = "the module's ID " + Quoted(id) + " " + why;
        }
        item.setLine = netKeys ? command::SetNetKeys(item.expected) : command::Set(item.code, id, item.expected);
        item.getLine = command::Get(item.code, id);
        return item;
    }

private:
    static const Value* Lookup(const std::map<std::string, const Value*>& values, const std::string& p) {
        const auto it = values.find(p);
        return it == values.end() ? nullptr : it->second;
    }

    std::map<std::string, const Value*> m_plan, m_live;
    const std::set<std::string>& m_differing;
};

}  // namespace

std::vector<Difference> PlanDifferences(const Site& plan, const Site& live) {
    std::vector<Difference> out;
    for (Difference& d : Compare(plan, live)) {
        if (d.left.Known() && !(d.right.Known() && SameValue(d.left.text, d.right.text))) out.push_back(std::move(d));
    }
    return out;
}

std::vector<WriteItem> PlanWrites(const Site& planned, const Site& live) {
    // A plan made of edits names no modules: the site's IDs stand where it is silent.
    Site plan = planned;
    std::map<std::string, std::string> liveIds;
    ForEachModuleId(live, [&](const std::string& path, const std::string& id) { liveIds[path] = id; });
    ForEachModuleId(plan, [&](const std::string& path, std::string& id) {
        if (id.empty()) id = liveIds[path];
    });
    std::set<std::string> differing;
    for (const Difference& d : PlanDifferences(plan, live)) differing.insert(d.path);
    const ItemBuilder builder(plan, live, differing);
    std::vector<WriteItem> items;
    const auto add = [&](std::string module, std::string_view code, const std::string& id,
                         const std::vector<std::string>& paths) {
        if (builder.AnyDiffers(paths)) items.push_back(builder.Build(std::move(module), code, id, paths));
    };

    std::vector<std::string> paths;
    paths.reserve(kNodeTableRows);
    for (int k = 0; k < kNetKeys; ++k) paths.push_back(path::NetKey(k));
    add("gateway / NET KEYs", "GM", "FFFFFF", paths);
    for (int r = 0; r < 2; ++r) {
        const std::size_t before = items.size();
        add(path::GatewayModule(r + 1), "G2", plan.gateway.ids[static_cast<std::size_t>(r) + 1],
            {path::GatewayFrequency(r)});
        // The two gateway radios never share a frequency: the RF page refuses it too.
        const Value& other = plan.gateway.radioFrequency[static_cast<std::size_t>(1 - r)].Known()
                                 ? plan.gateway.radioFrequency[static_cast<std::size_t>(1 - r)]
                                 : live.gateway.radioFrequency[static_cast<std::size_t>(1 - r)];
        if (items.size() > before && other.Known() && SameValue(items.back().expected[0], other.text)) {
            items.back().problem =
                "the frequency is " + path::GatewayModule(2 - r) + "'s; the two gateway radios must not share one";
        }
    }
    for (int k = 0; k < kRepeaters; ++k) {
        const Repeater& repeater = plan.repeaters[static_cast<std::size_t>(k)];
        for (int m = 0; m < 5; ++m) {
            add(path::RepeaterModule(k, m + 1), command::RepeaterFamily(m + 1),
                repeater.ids[static_cast<std::size_t>(m) + 1],
                {path::Radio(k, m, kFrequency), path::Radio(k, m, kNetKey), path::Radio(k, m, kBusySf)});
        }
        paths.clear();
        for (int n = 0; n < kNodeTableRows; ++n) paths.push_back(path::NodeTable(k, n));
        add(path::RepeaterModule(k, 0) + " / node table", "RM", repeater.ids[0], paths);
    }
    for (const auto& [id, node] : plan.nodes) {
        paths.clear();
        // Only the first seven attributes go out with a node's SET.
        for (int a = 0; a < 7; ++a) paths.push_back(path::Node(id, a));
        add("node " + id, "N9", id, paths);
        for (int a = 7; a < kNodeAttributes; ++a) {
            if (!differing.count(path::Node(id, a))) continue;
            WriteItem readOnly;
            readOnly.module = "node " + id;
            readOnly.code = "N9";
            readOnly.id = id;
            readOnly.paths = {path::Node(id, a)};
            readOnly.expected = {node.attributes[static_cast<std::size_t>(a)].text};
            readOnly.problem = path::Node(id, a) + " is read-only: the gateway takes seven values for a node";
            items.push_back(std::move(readOnly));
        }
    }
    return items;
}

bool SameValue(const std::string& a, const std::string& b) {
    const auto trim = [](const std::string& s) {
        const std::size_t first = s.find_first_not_of(' ');
        return first == std::string::npos ? std::string() : s.substr(first, s.find_last_not_of(' ') - first + 1);
    };
    return SameId(trim(a), trim(b));
}

std::vector<std::string> Unconfirmed(const WriteItem& item, const Site& site) {
    const auto values = ValuesByPath(site);
    std::vector<std::string> out;
    for (std::size_t i = 0; i < item.paths.size(); ++i) {
        const auto it = values.find(item.paths[i]);
        const bool ok = it != values.end() && it->second->Known() && SameValue(it->second->text, item.expected[i]);
        if (!ok) out.push_back(item.paths[i]);
    }
    return out;
}

void MarkWritten(const WriteItem& item, Site& site, std::int64_t now) {
    const std::vector<std::string> bad = Unconfirmed(item, site);
    const std::set<std::string> targets(item.paths.begin(), item.paths.end());
    const std::set<std::string> differs(bad.begin(), bad.end());
    ForEachValue(site, [&](const std::string& path, Value& v) {
        if (!targets.count(path)) return;
        if (differs.count(path)) {
            v.origin = Origin::Differs;
        } else {
            v.origin = Origin::Confirmed;
            v.when = now;
            v.session = site.linkSession;
        }
    });
}

}  // namespace network
