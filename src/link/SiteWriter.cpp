#include "link/SiteWriter.h"

#include "wire/CommandText.h"

namespace devlink {
namespace {

bool LinkGone(const QString& error) {
    return error.startsWith(QStringLiteral("link closed")) || error.startsWith(QStringLiteral("no link"));
}

std::string Joined(const std::vector<std::string>& parts) {
    std::string out;
    for (const std::string& p : parts) out += (out.empty() ? "" : ", ") + p;
    return out;
}

}  // namespace

const char* WriteResultName(WriteResult result) {
    switch (result) {
        case WriteResult::Confirmed: return "confirmed";
        case WriteResult::DiffersAfterWrite: return "differs after write";
        case WriteResult::NoAnswer: return "no answer";
        case WriteResult::CannotWrite: return "cannot write";
        case WriteResult::LinkFailed: return "link failed";
        case WriteResult::NotAttempted: return "not attempted";
        case WriteResult::NotConfirmed: return "not confirmed";
    }
    return "not attempted";
}

SiteWriter::SiteWriter(GatewayClient& client, network::Site& live, Clock clock, QObject* parent)
    : QObject(parent), m_client(client), m_live(live), m_clock(std::move(clock)) {}

void SiteWriter::Start(std::vector<network::WriteItem> items, bool keepGoing) {
    m_reports.clear();
    for (network::WriteItem& item : items) m_reports.push_back({std::move(item), WriteResult::NotAttempted, {}});
    m_at = 0;
    m_keepGoing = keepGoing;
    m_running = true;
    m_stop = false;
    Next();
}

void SiteWriter::Cancel() { m_stop = true; }

bool SiteWriter::AllConfirmed() const {
    for (const WriteReport& r : m_reports) {
        if (r.result != WriteResult::Confirmed) return false;
    }
    return true;
}

void SiteWriter::Next() {
    if (m_stop || m_at >= m_reports.size()) {
        m_running = false;
        emit Finished();
        return;
    }
    const network::WriteItem& item = m_reports[m_at].item;
    emit Progress(static_cast<int>(m_at), static_cast<int>(m_reports.size()), QString::fromStdString(item.module));
    if (!item.problem.empty()) {
        End(WriteResult::CannotWrite, item.problem);
        return;
    }
    // Whether the gateway answers a SET or not, the read-back decides.
    m_client.Submit(ForModule(item.setLine, item.code, item.id), [this](const Outcome& outcome) {
        if (!outcome.ok && LinkGone(outcome.error)) {
            End(WriteResult::LinkFailed, outcome.error.toStdString());
        } else {
            ReadBack();
        }
    });
}

void SiteWriter::ReadBack() {
    const network::WriteItem& item = m_reports[m_at].item;
    m_client.Submit(ReadBackOf(item.getLine, item.code, item.id), [this](const Outcome& outcome) {
        const network::WriteItem& written = m_reports[m_at].item;
        if (outcome.ambiguous) {
            End(WriteResult::NotConfirmed, "read-back: " + outcome.error.toStdString());
            return;
        }
        if (!outcome.ok) {
            End(LinkGone(outcome.error) ? WriteResult::LinkFailed : WriteResult::NoAnswer,
                "read-back: " + outcome.error.toStdString());
            return;
        }
        network::ApplyReply(m_live, outcome.reply, m_clock());
        const std::vector<std::string> differ = network::Unconfirmed(written, m_live);
        network::MarkWritten(written, m_live, m_clock());
        if (differ.empty()) {
            End(WriteResult::Confirmed, {});
        } else {
            End(WriteResult::DiffersAfterWrite, "read back otherwise: " + Joined(differ));
        }
    });
}

void SiteWriter::End(WriteResult result, std::string detail) {
    m_reports[m_at].result = result;
    m_reports[m_at].detail = std::move(detail);
    if (result != WriteResult::Confirmed && !m_keepGoing) m_stop = true;
    if (result == WriteResult::LinkFailed) m_stop = true;  // nothing more can go out
    ++m_at;
    Next();
}

void ServiceSession::Stop() {
    if (m_leave || m_stopped) return;
    m_client.Submit({std::string(command::kStopService), {}, {}}, nullptr);
    m_stopped = true;
}

void ServiceSession::Restart() {
    if (!m_stopped) return;
    m_client.Submit({std::string(command::kRestartService), {}, {}}, nullptr);
    m_stopped = false;
}

}  // namespace devlink
