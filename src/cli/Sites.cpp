#include "cli/Sites.h"

#include <filesystem>
#include <vector>

#include "cli/Arguments.h"
#include "network/History.h"

namespace cli {
namespace {

namespace fs = std::filesystem;

bool FindIn(const std::string& list, const std::string& name, network::SiteEntry* site, std::string* error) {
    std::vector<network::SiteEntry> sites;
    if (!network::LoadSiteList(list, &sites, error)) return false;
    const network::SiteEntry* found = network::FindSite(sites, name);
    if (!found) {
        *error = Unknown("site", name, network::SiteNames(sites)) + (sites.empty() ? " (no site in " + list + ")" : "");
        return false;
    }
    *site = *found;
    return true;
}

}  // namespace

std::string SiteListBeside(const std::string& idFile) {
    return (fs::path(idFile).parent_path() / network::kSiteListFileName).string();
}

bool UseSite(const std::string& name, GlobalOptions* options, std::string* error) {
    network::SiteEntry site;
    if (!FindIn(options->siteList, name, &site, error)) return false;
    options->host = site.host;
    options->port = site.port;
    options->idFile = network::ResolvedPath(options->siteList, site.idFile);
    options->site = site.name;
    options->keep = site.keep;
    return true;
}

bool SiteFromOptions(const std::string& name, const std::string& gateway, const std::string& ids,
                     const std::string& plan, const std::string& keep, network::SiteEntry* site, std::string* error) {
    if (const std::string why = network::SiteNameProblem(name); !why.empty()) {
        *error = "the site name \"" + name + "\" " + why;
        return false;
    }
    site->name = name;
    if (gateway.empty()) {
        *error = "--gateway ADDRESS[:PORT] is missing";
        return false;
    }
    if (!ParseGateway(gateway, &site->host, &site->port, error)) return false;
    if (ids.empty()) {
        *error = "--ids FILE is missing";
        return false;
    }
    std::error_code ec;
    site->idFile = fs::absolute(ids, ec).lexically_normal().string();
    if (!plan.empty()) site->plan = fs::absolute(plan, ec).lexically_normal().string();
    // One line per value: a line break in a path would make another key.
    for (const std::string* path : {&site->idFile, &site->plan}) {
        if (path->find_first_of("\r\n") != std::string::npos) {
            *error = "a file name with a line break cannot be kept in the site list";
            return false;
        }
    }
    if (!keep.empty()) {
        const bool digits = keep.size() <= 5 && keep.find_first_not_of("0123456789") == std::string::npos;
        if (!digits || std::stoi(keep) < 1 || std::stoi(keep) > network::kMaxHistoryKept) {
            *error = "--keep takes a number from 1 to " + std::to_string(network::kMaxHistoryKept) + ", not \"" + keep +
                     "\"";
            return false;
        }
        site->keep = std::stoi(keep);
    }
    return true;
}

int HistoryEntryOf(const std::string& text, const std::string& siteList, std::string* file, std::string* error) {
    const std::size_t at = text.find('@');
    std::error_code ec;
    if (at == std::string::npos || fs::exists(text, ec)) return 0;
    network::SiteEntry site;
    if (!FindIn(siteList, text.substr(0, at), &site, error)) return -1;
    const std::vector<network::HistoryEntry> entries =
        network::ListHistory(network::HistoryFolder(siteList, site.name));
    const network::HistoryEntry* entry = network::FindHistory(entries, text.substr(at + 1), error);
    if (!entry) {
        *error = site.name + ": " + *error;
        return -1;
    }
    *file = entry->path;
    return 1;
}

}  // namespace cli
