#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/GatewayClient.h"
#include "network/Site.h"

namespace devlink {

// Reads the whole site through a client: the gateway's NET KEYs and radios,
// each repeater's node table and radio modules, then every node the tables
// name, in that fixed order. A value that gets no answer is marked so and the
// walk goes on.
class SiteReader : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<std::int64_t()>;  // milliseconds since the epoch

    SiteReader(GatewayClient& client, network::Site& site, Clock clock, QObject* parent = nullptr);
    // Starts the walk over the IDs already in the site.
    void Start();
    bool Running() const { return m_running; }
    int Answered() const { return m_answered; }
    int Unanswered() const { return m_unanswered; }

signals:
    void Progress(int done, int total);
    void Finished();

private:
    // Asks for one module; on no answer the values of `mark` become NoAnswer.
    void Ask(std::string_view code, const std::string& id, std::function<void(network::Site&)> mark);
    void QueueNodes();
    void OnOutcome(const Outcome& outcome, const std::function<void(network::Site&)>& mark);

    GatewayClient& m_client;
    network::Site& m_site;
    Clock m_clock;
    bool m_running = false;
    bool m_nodesQueued = false;
    int m_total = 0, m_done = 0, m_answered = 0, m_unanswered = 0;
};

}  // namespace devlink
