#include "cli/Drift.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <list>
#include <map>

#include "link/GatewayClient.h"
#include "link/SiteReader.h"
#include "link/SiteWriter.h"
#include "network/History.h"
#include "network/NetworkFile.h"
#include "network/WritePlan.h"

namespace cli {

const char* DriftStateName(DriftState state) {
    switch (state) {
        case DriftState::InSync: return "in sync";
        case DriftState::Drifted: return "drifted";
        case DriftState::Unanswered: return "without answer";
        case DriftState::Unreachable: return "unreachable";
        case DriftState::BadPlan: return "bad plan";
    }
    return "";
}

struct FleetDrift::Check {
    const network::SiteEntry* entry = nullptr;
    // Only the sites under way hold a plan and a read: the fleet is never in memory at once.
    network::Site plan, live;
    std::unique_ptr<devlink::SocketChannel> channel;
    std::unique_ptr<devlink::GatewayClient> client;
    std::unique_ptr<devlink::ServiceSession> service;
    std::unique_ptr<devlink::SiteReader> reader;
    QString linkError;
};

FleetDrift::FleetDrift(const GlobalOptions& options, std::string listPath, std::vector<network::SiteEntry> sites,
                       int jobs, Clock clock)
    : m_options(options),
      m_listPath(std::move(listPath)),
      m_sites(std::move(sites)),
      m_jobs(std::max(1, jobs)),
      m_clock(std::move(clock)) {}

FleetDrift::~FleetDrift() = default;

bool FleetDrift::Start(Check& check) {
    std::string error;
    if (!network::LoadNetworkFile(network::ResolvedPath(m_listPath, check.entry->plan), check.plan, &error)) {
        check.linkError = QString::fromStdString(error);
        return false;
    }
    check.live.gateway.ids = check.plan.gateway.ids;
    for (std::size_t k = 0; k < check.live.repeaters.size(); ++k)
        check.live.repeaters[k].ids = check.plan.repeaters[k].ids;
    check.channel = std::make_unique<devlink::SocketChannel>();
    QString why;
    if (!check.channel->Open(QString::fromStdString(check.entry->host), static_cast<quint16>(check.entry->port),
                             m_options.timeoutMs, &why)) {
        check.linkError = QStringLiteral("cannot connect to %1: %2")
                              .arg(QString::fromStdString(network::GatewayText(*check.entry)), why);
        return false;
    }
    QObject::connect(
        check.channel.get(), &devlink::Channel::Closed, check.channel.get(),
        [&check](const QString& reason) { check.linkError = QStringLiteral("link closed: %1").arg(reason); });
    check.client = std::make_unique<devlink::GatewayClient>(*check.channel);
    check.client->SetTimeout(m_options.timeoutMs);
    check.service = std::make_unique<devlink::ServiceSession>(*check.client, m_options.serviceStopped);
    check.service->Stop();
    check.reader = std::make_unique<devlink::SiteReader>(*check.client, check.live, m_clock);
    check.reader->SetRetries(m_options.retries);
    check.reader->Start();
    return true;
}

bool FleetDrift::Release(Check& check) {
    if (!check.client) return false;
    // Nothing queued goes further, and nothing calls back into the reader.
    check.client->Cancel();
    const bool restarting = check.service->StoppedIt() && check.channel->IsOpen();
    if (check.channel->IsOpen()) {
        check.service->Restart();
        check.channel->Flush(1000);
    }
    check.channel->Close();
    return restarting;
}

DriftResult FleetDrift::Conclude(Check& check, network::PendingEntry* entry, bool* prepared) {
    DriftResult result;
    result.site = check.entry->name;
    Release(check);
    const std::string folder = network::HistoryFolder(m_listPath, check.entry->name);
    std::string error;
    if (check.reader->LinkLost()) {
        result.state = DriftState::Unreachable;
        result.detail = "link lost at " + check.reader->LostAt() + " (" + check.linkError.toStdString() + ")";
        *prepared = network::PrepareHistory(folder, check.live, "drift", m_clock(), check.entry->keep, entry, &error,
                                            "link failed");
        return result;
    }
    for (const network::Difference& d : network::PlanDifferences(check.plan, check.live)) {
        if (d.right.Known()) ++result.differences;
    }
    result.unanswered = check.reader->Unanswered();
    result.state = result.unanswered    ? DriftState::Unanswered
                   : result.differences ? DriftState::Drifted
                                        : DriftState::InSync;
    *prepared = network::PrepareHistory(folder, check.live, "drift", m_clock(), check.entry->keep, entry, &error);
    if (!*prepared) result.detail = "not kept in its history: " + error;
    return result;
}

void FleetDrift::Run(const std::function<bool()>& stop, const std::function<void(const DriftResult&)>& onResult) {
    // The histories are made here and written by a thread of their own: an
    // fsync would otherwise hold every link of the run for its length.
    QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance();
    network::HistoryWriter writer([loop] { loop->wakeUp(); });
    std::map<std::uint64_t, DriftResult> writing;  // a site is told of once its entry is on disk
    const auto tellWritten = [&] {
        for (const network::HistoryWriter::Written& w : writer.TakeWritten()) {
            auto node = writing.extract(w.ticket);
            DriftResult& result = node.mapped();
            if (w.ok) result.kept = w.path;
            if (!w.ok && result.state != DriftState::Unreachable) result.detail = "not kept in its history: " + w.error;
            onResult(result);
        }
    };
    std::list<Check> active;
    std::size_t next = 0;
    const auto jobs = static_cast<std::size_t>(m_jobs);
    while (!stop()) {
        tellWritten();
        for (auto c = active.begin(); c != active.end();) {
            if (c->reader->Running()) {
                ++c;
                continue;
            }
            network::PendingEntry entry;
            bool prepared = false;
            DriftResult result = Conclude(*c, &entry, &prepared);
            if (prepared) {
                writing.emplace(writer.Add(std::move(entry)), std::move(result));
            } else {
                onResult(result);
            }
            c = active.erase(c);
        }
        // Links are opened here, never from inside another site's callback,
        // so that an opening's wait never nests in another's. A slow disk
        // holds new sites back rather than letting entries pile up in memory.
        while (active.size() < jobs && writer.Outstanding() <= jobs && next < m_sites.size() && !stop()) {
            Check& check = active.emplace_back();
            check.entry = &m_sites[next++];
            if (Start(check)) continue;
            const bool unreadPlan = !check.channel;
            onResult({check.entry->name,
                      unreadPlan ? DriftState::BadPlan : DriftState::Unreachable,
                      0,
                      0,
                      check.linkError.toStdString(),
                      {}});
            active.pop_back();
        }
        if (active.empty() && next >= m_sites.size() && writing.empty()) return;
        if (!stop()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    for (Check& check : active) {
        if (Release(check)) ++m_restartedOnStop;
    }
    // What was read before the stop is kept whole: the run ends once it is on disk.
    writer.Drain();
    tellWritten();
}

}  // namespace cli
