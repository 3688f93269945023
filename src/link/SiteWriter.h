#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "link/GatewayClient.h"
#include "network/Clock.h"
#include "network/Site.h"
#include "network/WritePlan.h"

namespace devlink {

// How one write ended. Nothing is skipped silently: an item not tried after
// a failure ends NotAttempted.
// NotConfirmed: answers came, but none that can only be the read-back's.
enum class WriteResult { Confirmed, DiffersAfterWrite, NoAnswer, CannotWrite, LinkFailed, NotAttempted, NotConfirmed };
const char* WriteResultName(WriteResult result);

struct WriteReport {
    network::WriteItem item;
    WriteResult result = WriteResult::NotAttempted;
    std::string detail;  // which values differ, or why it failed
};

// Writes items one by one: the SET, then the GET that reads it back. Each
// item ends confirmed, differs after write or no answer; the first failure
// stops the rest unless told to go on. The read-backs are stored into live.
class SiteWriter : public QObject {
    Q_OBJECT

public:
    using Clock = network::Clock;

    SiteWriter(GatewayClient& client, network::Site& live, Clock clock, QObject* parent = nullptr);
    void Start(std::vector<network::WriteItem> items, bool keepGoing);
    // Ends the walk after the item on the wire; the rest end NotAttempted.
    void Cancel();
    bool Running() const { return m_running; }
    const std::vector<WriteReport>& Reports() const { return m_reports; }
    // Every item confirmed.
    bool AllConfirmed() const;

signals:
    void Progress(int done, int total, const QString& module);
    void Finished();

private:
    void Next();
    void ReadBack();
    void End(WriteResult result, std::string detail);

    GatewayClient& m_client;
    network::Site& m_live;
    Clock m_clock;
    std::vector<WriteReport> m_reports;
    std::size_t m_at = 0;
    bool m_keepGoing = false;
    bool m_running = false;
    bool m_stop = false;
};

// Stops the gateway's service for configuration and starts it again at the
// end, if it was this session that stopped it. The gateway cannot be asked
// whether its service runs; a session told it is stopped already sends
// neither line.
class ServiceSession {
public:
    ServiceSession(GatewayClient& client, bool alreadyStopped) : m_client(client), m_leave(alreadyStopped) {}
    void Stop();
    // Sends the restart once, if Stop sent the stop.
    void Restart();
    bool StoppedIt() const { return m_stopped; }

private:
    GatewayClient& m_client;
    bool m_leave;
    bool m_stopped = false;
};

}  // namespace devlink
