#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/GatewayClient.h"
#include "network/Clock.h"
#include "network/Site.h"

namespace devlink {

// Reads the whole site through a client: the gateway's NET KEYs and radios,
// each repeater's node table and radio modules, then every node the tables
// name, in that fixed order. A module that gets no answer is asked again
// (once unless told otherwise), then its values are marked so, keeping the
// last known text, and the walk goes on. A link that drops stops the walk at
// once: the modules not read keep what they had.
class SiteReader : public QObject {
    Q_OBJECT

public:
    using Clock = network::Clock;
    static constexpr int kDefaultRetries = 1;

    SiteReader(GatewayClient& client, network::Site& site, Clock clock, QObject* parent = nullptr);
    // How many times an unanswered module is asked again.
    void SetRetries(int retries) { m_retries = retries; }
    // Starts the walk over the IDs already in the site; with onlyUnanswered,
    // only the modules whose values are marked "no answer" are asked.
    void Start(bool onlyUnanswered = false);
    bool Running() const { return m_running; }
    int Answered() const { return m_answered; }
    int Unanswered() const { return m_unanswered; }
    int Retried() const { return m_retried; }
    // After a drop: the module on the wire when the link went ("repeater 1 /
    // SX1276 3") and how many modules were not read.
    bool LinkLost() const { return !m_lostAt.empty(); }
    const std::string& LostAt() const { return m_lostAt; }
    int NotRead() const { return m_total - m_done - (m_nodesQueued ? 0 : 1); }  // the marker is no module

signals:
    // done of total modules; module is the one asked next ("repeater 1 / MCU").
    void Progress(int done, int total, const QString& module);
    void Finished();

private:
    // One module to ask: its command code, ID, path and its values.
    struct Module {
        std::string code, id, path;
        std::function<std::vector<network::Value*>(network::Site&)> values;
    };
    void Add(Module module);
    void Ask(const Module& module, int triesLeft);
    void QueueNodes();
    void OnOutcome(const Module& module, int triesLeft, const Outcome& outcome);
    void Done();

    GatewayClient& m_client;
    network::Site& m_site;
    Clock m_clock;
    int m_retries = kDefaultRetries;
    bool m_onlyUnanswered = false;
    bool m_running = false;
    bool m_nodesQueued = false;
    int m_total = 0, m_done = 0, m_answered = 0, m_unanswered = 0, m_retried = 0;
    std::string m_lostAt;
};

}  // namespace devlink
