#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The sites a technician looks after, kept in one plain text file beside the
// ID file (docs/sites.md): a [name] line per site, then "key = value" lines.
// Plain C++: the file is read and written here, the folder is the caller's.
namespace network {

inline constexpr char kSiteListFileName[] = "sites.conf";
inline constexpr int kDefaultHistoryKept = 30;
inline constexpr int kMaxHistoryKept = 10000;
// A few hundred sites are a few tens of KB; more is not a list of sites.
inline constexpr std::int64_t kMaxSiteListBytes = 1 << 20;

struct SiteEntry {
    std::string name;
    std::string host;
    unsigned port = 5555;
    std::string idFile;              // as written; relative paths are below the list's folder
    std::string plan;                // the approved plan (a network file), or empty
    int keep = kDefaultHistoryKept;  // history entries kept, the newest
    int line = 0;                    // where its [name] line is
};

// "ADDRESS[:PORT]" (an IPv6 address in brackets when a port follows); the
// port is 5555 when left out. False with the reason for a bad port.
bool ParseGatewayAddress(std::string_view text, std::string* host, unsigned* port, std::string* error);
// The address as ParseGatewayAddress reads it back.
std::string GatewayText(const SiteEntry& site);

// Why name cannot name a site, or empty: 1-40 letters, digits, '.', '_' or
// '-', starting with a letter or digit (so "NAME@DATE" and file names are plain).
std::string SiteNameProblem(std::string_view name);

// Reads a site list's text; on any fault nothing is kept and error names the
// line and what was wrong there.
bool ParseSiteList(std::string_view text, std::vector<SiteEntry>* sites, std::string* error);
// A missing file is an empty list.
bool LoadSiteList(const std::string& path, std::vector<SiteEntry>* sites, std::string* error);

// The text of one site as it is appended to the list.
std::string SiteText(const SiteEntry& site);
// Adds or removes one site, leaving every other line (comments included) as it
// was; the file is replaced atomically with the ID file's permissions (IDs
// and addresses are no secret). False with the reason.
bool AddSite(const std::string& path, const SiteEntry& site, std::string* error);
bool RemoveSite(const std::string& path, const std::string& name, std::string* error);

const SiteEntry* FindSite(const std::vector<SiteEntry>& sites, std::string_view name);
std::vector<std::string> SiteNames(const std::vector<SiteEntry>& sites);

// A path of the list resolved against the list's folder.
std::string ResolvedPath(const std::string& listPath, const std::string& path);

}  // namespace network
