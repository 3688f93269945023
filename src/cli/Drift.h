#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cli/Tool.h"
#include "network/Clock.h"
#include "network/History.h"
#include "network/SiteList.h"

namespace cli {

// How one site's check ended.
enum class DriftState { InSync, Drifted, Unanswered, Unreachable, BadPlan };
const char* DriftStateName(DriftState state);

struct DriftResult {
    std::string site;
    DriftState state = DriftState::InSync;
    int differences = 0;  // values the gateway told otherwise than the plan
    int unanswered = 0;   // modules that gave no answer
    std::string detail;   // why a site was unreachable or its plan unread
    std::string kept;     // the history entry of the read, if kept
};

// Checks sites against their approved plans, several gateways at a time. Each
// gateway gets its own link and client (one command at a time on it); the
// event loop drives them all; only the history files are written from a
// thread of their own. A site that fails ends with its result and the
// others go on.
class FleetDrift {
public:
    using Clock = network::Clock;
    // listPath locates the plans, ID files and histories the entries name.
    FleetDrift(const GlobalOptions& options, std::string listPath, std::vector<network::SiteEntry> sites, int jobs,
               Clock clock);
    ~FleetDrift();

    // Runs until every site has ended or stop() holds; onResult hears of each
    // site as it ends. After a stop, every service this run stopped and has
    // not started again is started again.
    void Run(const std::function<bool()>& stop, const std::function<void(const DriftResult&)>& onResult);
    // How many services the stop started again.
    int RestartedOnStop() const { return m_restartedOnStop; }

private:
    struct Check;
    // Opens the site's link and starts its read; false when it ended at once.
    bool Start(Check& check);
    // The site's result, and its history entry made ready to write (*prepared).
    DriftResult Conclude(Check& check, network::PendingEntry* entry, bool* prepared);
    // Starts the service again if the check stopped it, and closes its link.
    static bool Release(Check& check);

    GlobalOptions m_options;
    std::string m_listPath;
    std::vector<network::SiteEntry> m_sites;
    int m_jobs;
    Clock m_clock;
    int m_restartedOnStop = 0;
};

}  // namespace cli
