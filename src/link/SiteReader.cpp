#include "link/SiteReader.h"

#include "network/SiteState.h"
#include "wire/CommandText.h"

namespace devlink {
namespace {

bool Addressable(const std::string& id) { return !id.empty() && !network::Unaddressable(id); }

bool LinkGone(const QString& error) {
    return error.startsWith(QStringLiteral("link closed")) || error.startsWith(QStringLiteral("no link"));
}

bool AnyUnanswered(const std::vector<network::Value*>& values) {
    for (const network::Value* v : values) {
        if (v->origin == network::Origin::NoAnswer) return true;
    }
    return false;
}

}  // namespace

SiteReader::SiteReader(GatewayClient& client, network::Site& site, Clock clock, QObject* parent)
    : QObject(parent), m_client(client), m_site(site), m_clock(std::move(clock)) {}

void SiteReader::Start(bool onlyUnanswered) {
    m_running = true;
    m_onlyUnanswered = onlyUnanswered;
    m_nodesQueued = false;
    m_total = m_done = m_answered = m_unanswered = m_retried = 0;
    m_lostAt.clear();
    const network::GatewayModules& gateway = m_site.gateway;
    Add({"GM", "FFFFFF", "gateway / NET KEYs", [](network::Site& s) {
             std::vector<network::Value*> out;
             for (network::Value& v : s.gateway.netKeys) out.push_back(&v);
             return out;
         }});
    for (std::size_t r = 1; r <= 2; ++r) {
        if (!Addressable(gateway.ids[r])) continue;
        Add({"G2", gateway.ids[r], network::path::GatewayModule(static_cast<int>(r)),
             [r](network::Site& s) { return std::vector<network::Value*>{&s.gateway.radioFrequency[r - 1]}; }});
    }
    for (std::size_t k = 0; k < m_site.repeaters.size(); ++k) {
        const network::Repeater& repeater = m_site.repeaters[k];
        const int shownK = static_cast<int>(k);
        if (Addressable(repeater.ids[0])) {
            Add({"RM", repeater.ids[0], network::path::RepeaterModule(shownK, 0) + " / node table",
                 [k](network::Site& s) {
                     std::vector<network::Value*> out;
                     for (network::Value& v : s.repeaters[k].nodeTable) out.push_back(&v);
                     return out;
                 }});
        }
        for (std::size_t m = 1; m < repeater.ids.size(); ++m) {
            if (!Addressable(repeater.ids[m])) continue;
            Add({std::string(command::RepeaterFamily(static_cast<int>(m))), repeater.ids[m],
                 network::path::RepeaterModule(shownK, static_cast<int>(m)), [k, m](network::Site& s) {
                     network::RadioSettings& radio = s.repeaters[k].radios[m - 1];
                     return std::vector<network::Value*>{&radio.frequency, &radio.netKey, &radio.busySf};
                 }});
        }
    }
    // The nodes are known once the node tables have been read.
    ++m_total;
    m_client.Submit({}, [this](const Outcome&) { QueueNodes(); });
}

void SiteReader::Add(Module module) {
    if (m_onlyUnanswered && !AnyUnanswered(module.values(m_site))) return;
    ++m_total;
    Ask(module, m_retries);
}

void SiteReader::Ask(const Module& module, int triesLeft) {
    m_client.Submit(ForModule(command::Get(module.code, module.id), module.code, module.id),
                    [this, module, triesLeft](const Outcome& outcome) { OnOutcome(module, triesLeft, outcome); });
}

void SiteReader::QueueNodes() {
    --m_total;  // the marker was no command
    if (!LinkLost()) {
        std::vector<std::string> ids;
        for (const network::Repeater& repeater : m_site.repeaters) {
            for (std::size_t n = 1; n < repeater.nodeTable.size(); ++n) {
                const network::Value& v = repeater.nodeTable[n];
                if (v.origin == network::Origin::Read && Addressable(v.text)) ids.push_back(v.text);
            }
        }
        for (const std::string& id : ids) {
            Add({"N9", id, "node " + id, [id](network::Site& s) {
                     std::vector<network::Value*> out;
                     for (network::Value& v : s.nodes[id].attributes) out.push_back(&v);
                     return out;
                 }});
        }
    }
    m_nodesQueued = true;
    if (m_done == m_total || LinkLost()) Done();
}

void SiteReader::OnOutcome(const Module& module, int triesLeft, const Outcome& outcome) {
    if (!m_running) return;
    if (!outcome.ok && LinkGone(outcome.error)) {
        // Nothing more can be read: stop here and say where; what was known stays.
        m_lostAt = module.path;
        m_client.Cancel();
        Done();
        return;
    }
    if (outcome.ok && network::ApplyReply(m_site, outcome.reply, m_clock())) {
        ++m_answered;
    } else if (triesLeft > 0) {
        // Asked again at once (a node table's nodes follow it): the client
        // first lets a late answer to the first ask pass.
        ++m_retried;
        m_client.SubmitNext(
            ForModule(command::Get(module.code, module.id), module.code, module.id),
            [this, module, triesLeft](const Outcome& again) { OnOutcome(module, triesLeft - 1, again); });
        return;
    } else {
        ++m_unanswered;
        // Marked, but the last known text and when it was read stay.
        for (network::Value* v : module.values(m_site)) v->origin = network::Origin::NoAnswer;
    }
    ++m_done;
    emit Progress(m_done, m_total, QString::fromStdString(module.path));
    if (m_nodesQueued && m_done == m_total) Done();
}

void SiteReader::Done() {
    if (!m_running) return;
    m_running = false;
    emit Finished();
}

}  // namespace devlink
