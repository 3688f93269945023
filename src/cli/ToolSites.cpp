// The site list, the histories and the drift of the fleet.
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonArray>

#include "cli/Arguments.h"
#include "cli/Drift.h"
#include "cli/Tool.h"
#include "network/History.h"
#include "network/NetworkFile.h"

namespace cli {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

QJsonObject SiteJson(const network::SiteEntry& s) {
    return {{QStringLiteral("name"), Q(s.name)},
            {QStringLiteral("gateway"), Q(network::GatewayText(s))},
            {QStringLiteral("ids"), Q(s.idFile)},
            {QStringLiteral("plan"), s.plan.empty() ? QJsonValue() : QJsonValue(Q(s.plan))},
            {QStringLiteral("keep"), s.keep}};
}

}  // namespace

int Tool::SiteAdd(const network::SiteEntry& site) {
    std::string error;
    if (!network::AddSite(m_options.siteList, site, &error)) return Fail(kUsage, error);
    if (!m_options.json) std::fprintf(m_out, "added %s to %s\n", site.name.c_str(), m_options.siteList.c_str());
    return Done(kSuccess, SiteJson(site));
}

int Tool::SiteList() {
    std::vector<network::SiteEntry> sites;
    std::string error;
    if (!network::LoadSiteList(m_options.siteList, &sites, &error)) return Fail(kUsage, error);
    QJsonArray rows;
    for (const network::SiteEntry& s : sites) {
        rows.append(SiteJson(s));
        if (!m_options.json) {
            std::fprintf(m_out, "%-20s %-22s %s\n", s.name.c_str(), network::GatewayText(s).c_str(),
                         s.plan.empty() ? "(no plan)" : s.plan.c_str());
        }
    }
    return Done(kSuccess, {{QStringLiteral("sites"), rows}});
}

int Tool::SiteShow(const std::string& name) {
    std::vector<network::SiteEntry> sites;
    std::string error;
    if (!network::LoadSiteList(m_options.siteList, &sites, &error)) return Fail(kUsage, error);
    const network::SiteEntry* site = network::FindSite(sites, name);
    if (!site) return Fail(kUsage, Unknown("site", name, network::SiteNames(sites)));
    const std::vector<network::HistoryEntry> history =
        network::ListHistory(network::HistoryFolder(m_options.siteList, name));
    if (!m_options.json) {
        std::fprintf(
            m_out, "site: %s\ngateway: %s\nids: %s\nplan: %s\nkeep: %d\nhistory: %zu entries%s%s\n", site->name.c_str(),
            network::GatewayText(*site).c_str(), network::ResolvedPath(m_options.siteList, site->idFile).c_str(),
            site->plan.empty() ? "(none)" : network::ResolvedPath(m_options.siteList, site->plan).c_str(), site->keep,
            history.size(), history.empty() ? "" : ", the newest ", history.empty() ? "" : history.back().when.c_str());
    }
    QJsonObject doc = SiteJson(*site);
    doc[QStringLiteral("history")] = static_cast<int>(history.size());
    return Done(kSuccess, doc);
}

int Tool::SiteRemove(const std::string& name) {
    std::string error;
    if (!network::RemoveSite(m_options.siteList, name, &error)) return Fail(kUsage, error);
    // Its history stays: what was read at a site is not lost by a slip of the keyboard.
    if (!m_options.json) std::fprintf(m_out, "removed %s; its history is left in place\n", name.c_str());
    return Done(kSuccess, {{QStringLiteral("name"), Q(name)}});
}

int Tool::History(const std::string& name) {
    std::vector<network::SiteEntry> sites;
    std::string error;
    if (!network::LoadSiteList(m_options.siteList, &sites, &error)) return Fail(kUsage, error);
    if (!network::FindSite(sites, name)) return Fail(kUsage, Unknown("site", name, network::SiteNames(sites)));
    QJsonArray rows;
    for (const network::HistoryEntry& e : network::ListHistory(network::HistoryFolder(m_options.siteList, name))) {
        rows.append(QJsonObject{{QStringLiteral("when"), Q(e.when)},
                                {QStringLiteral("kind"), Q(e.kind)},
                                {QStringLiteral("partial"), e.partial},
                                {QStringLiteral("file"), Q(e.path)}});
        if (!m_options.json) {
            std::fprintf(m_out, "%s@%s  %s%s\n", name.c_str(), e.when.c_str(), e.kind.c_str(),
                         e.partial ? " (partial)" : "");
        }
    }
    return Done(kSuccess, {{QStringLiteral("site"), Q(name)}, {QStringLiteral("history"), rows}});
}

int Tool::Drift(const std::vector<std::string>& names, int jobs) {
    std::vector<network::SiteEntry> sites;
    std::string error;
    if (!network::LoadSiteList(m_options.siteList, &sites, &error)) return Fail(kUsage, error);
    std::vector<network::SiteEntry> chosen;
    for (const std::string& name : names) {
        const network::SiteEntry* site = network::FindSite(sites, name);
        if (!site) return Fail(kUsage, "drift: " + Unknown("site", name, network::SiteNames(sites)));
        if (site->plan.empty()) return Fail(kUsage, "drift: site " + name + " has no approved plan (site add --plan)");
        chosen.push_back(*site);
    }
    if (names.empty()) {
        for (const network::SiteEntry& s : sites) {
            if (!s.plan.empty()) chosen.push_back(s);
        }
        if (chosen.size() < sites.size()) {
            Note(std::to_string(sites.size() - chosen.size()) + " of " + std::to_string(sites.size()) +
                 " sites have no approved plan and are left out");
        }
    }
    if (chosen.empty()) return Fail(kUsage, "drift: no site with an approved plan in " + m_options.siteList);

    int counts[5] = {};
    QJsonArray rows;
    const auto report = [&](const DriftResult& r) {
        ++counts[static_cast<int>(r.state)];
        rows.append(QJsonObject{{QStringLiteral("site"), Q(r.site)},
                                {QStringLiteral("state"), QString::fromLatin1(DriftStateName(r.state))},
                                {QStringLiteral("differences"), r.differences},
                                {QStringLiteral("unanswered"), r.unanswered},
                                {QStringLiteral("detail"), Q(r.detail)},
                                {QStringLiteral("history"), Q(r.kept)}});
        if (m_options.json) return;
        std::string line = r.site + ": ";
        const std::string differences =
            std::to_string(r.differences) + (r.differences == 1 ? " difference" : " differences");
        switch (r.state) {
            case DriftState::InSync: line += "in sync"; break;
            case DriftState::Drifted: line += differences; break;
            case DriftState::Unanswered:
                line += std::to_string(r.unanswered) + " without answer" + (r.differences ? ", " + differences : "");
                break;
            case DriftState::Unreachable: line += "unreachable (" + r.detail + ")"; break;
            case DriftState::BadPlan: line += "plan not read: " + r.detail; break;
        }
        std::fprintf(m_out, "%s\n", QString::fromStdString(line).toLocal8Bit().constData());
        std::fflush(m_out);
    };
    FleetDrift run(m_options, m_options.siteList, std::move(chosen), jobs,
                   [] { return QDateTime::currentMSecsSinceEpoch(); });
    run.Run([this] { return m_interrupted; }, report);

    const auto count = [&](DriftState s) { return counts[static_cast<int>(s)]; };
    QJsonObject doc{{QStringLiteral("sites"), rows},
                    {QStringLiteral("inSync"), count(DriftState::InSync)},
                    {QStringLiteral("drifted"), count(DriftState::Drifted)},
                    {QStringLiteral("unreachable"), count(DriftState::Unreachable) + count(DriftState::Unanswered)}};
    if (m_interrupted) {
        return Fail(kInterrupted,
                    "interrupted; the service was started again at " + std::to_string(run.RestartedOnStop()) +
                        " sites under way",
                    doc);
    }
    const bool failed = count(DriftState::Unreachable) + count(DriftState::Unanswered) > 0;
    const int code = failed                       ? kLinkFailure
                     : count(DriftState::BadPlan) ? kUsage
                     : count(DriftState::Drifted) ? kDifferences
                                                  : kSuccess;
    if (!m_options.json) {
        std::fprintf(m_out, "%d in sync, %d drifted, %d unreachable or without answer%s\n", count(DriftState::InSync),
                     count(DriftState::Drifted), count(DriftState::Unreachable) + count(DriftState::Unanswered),
                     count(DriftState::BadPlan)
                         ? (", " + std::to_string(count(DriftState::BadPlan)) + " plans not read").c_str()
                         : "");
    }
    if (code == kLinkFailure && m_options.json) return Fail(code, "sites unreachable or without answer", doc);
    return Done(code, doc);
}

}  // namespace cli
