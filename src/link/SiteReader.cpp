#include "link/SiteReader.h"

#include "link/CommandText.h"
#include "network/SiteState.h"

namespace devlink {
namespace {

void MarkNoAnswer(network::Value& value) {
    value.origin = network::Origin::NoAnswer;
    value.when = 0;
}

bool Addressable(const std::string& id) { return !id.empty() && !network::Unaddressable(id); }

}  // namespace

SiteReader::SiteReader(GatewayClient& client, network::Site& site, Clock clock, QObject* parent)
    : QObject(parent), m_client(client), m_site(site), m_clock(std::move(clock)) {}

void SiteReader::Start() {
    m_running = true;
    m_nodesQueued = false;
    m_total = m_done = m_answered = m_unanswered = 0;
    network::GatewayModules& gateway = m_site.gateway;
    Ask("GM", "FFFFFF", [](network::Site& s) {
        for (network::Value& v : s.gateway.netKeys) MarkNoAnswer(v);
    });
    for (std::size_t r = 1; r <= 2; ++r) {
        if (!Addressable(gateway.ids[r])) continue;
        Ask("G2", gateway.ids[r], [r](network::Site& s) { MarkNoAnswer(s.gateway.radioFrequency[r - 1]); });
    }
    for (std::size_t k = 0; k < m_site.repeaters.size(); ++k) {
        const network::Repeater& repeater = m_site.repeaters[k];
        if (Addressable(repeater.ids[0])) {
            Ask("RM", repeater.ids[0], [k](network::Site& s) {
                for (network::Value& v : s.repeaters[k].nodeTable) MarkNoAnswer(v);
            });
        }
        for (std::size_t m = 1; m < repeater.ids.size(); ++m) {
            if (!Addressable(repeater.ids[m])) continue;
            Ask(command::RepeaterFamily(static_cast<int>(m)), repeater.ids[m], [k, m](network::Site& s) {
                network::RadioSettings& radio = s.repeaters[k].radios[m - 1];
                for (network::Value* v : {&radio.frequency, &radio.netKey, &radio.busySf}) MarkNoAnswer(*v);
            });
        }
    }
    // The nodes are known once the node tables have been read.
    Ask({}, {}, {});
}

void SiteReader::Ask(std::string_view code, const std::string& id, std::function<void(network::Site&)> mark) {
    ++m_total;
    if (code.empty()) {
        // The marker after the tables: queue the nodes they named.
        m_client.Submit({}, [this](const Outcome&) { QueueNodes(); });
        return;
    }
    m_client.Submit(ForModule(command::Get(code, id), code, id),
                    [this, mark = std::move(mark)](const Outcome& outcome) { OnOutcome(outcome, mark); });
}

void SiteReader::QueueNodes() {
    --m_total;  // the marker was no command
    std::vector<std::string> ids;
    for (const network::Repeater& repeater : m_site.repeaters) {
        for (std::size_t n = 1; n < repeater.nodeTable.size(); ++n) {
            const network::Value& v = repeater.nodeTable[n];
            if (v.origin == network::Origin::Read && Addressable(v.text)) ids.push_back(v.text);
        }
    }
    for (const std::string& id : ids) {
        Ask("N9", id, [id](network::Site& s) {
            for (network::Value& v : s.nodes[id].attributes) MarkNoAnswer(v);
        });
    }
    m_nodesQueued = true;
    if (m_done == m_total) {
        m_running = false;
        emit Finished();
    }
}

void SiteReader::OnOutcome(const Outcome& outcome, const std::function<void(network::Site&)>& mark) {
    if (outcome.ok && network::ApplyReply(m_site, outcome.reply, m_clock())) {
        ++m_answered;
    } else {
        ++m_unanswered;
        mark(m_site);
    }
    ++m_done;
    emit Progress(m_done, m_total);
    if (m_nodesQueued && m_done == m_total) {
        m_running = false;
        emit Finished();
    }
}

}  // namespace devlink
