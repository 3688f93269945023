#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "network/Site.h"

// Every read and apply of a named site kept as a network file of its own,
// named by its time, in the site's history folder; the newest few kept.
namespace network {

struct HistoryEntry {
    std::string when;  // "2026-12-08T16:10:03.120Z", as FormatTime writes it
    std::string kind;  // "read", "apply", "drift"
    bool partial = false;
    std::string path;
};

// The history folder of a site: "history/NAME" beside the site list.
std::string HistoryFolder(const std::string& listPath, const std::string& site);

// The entries in folder, oldest first; files not named as entries are left out.
std::vector<HistoryEntry> ListHistory(const std::string& folder);

// Saves site as a new entry at now (folder 0700, file 0600 and atomic, as the
// keys in it want), then removes the oldest entries beyond keep. A partial
// read is named so, and marked so in the file. False with the reason.
bool KeepInHistory(const std::string& folder, const Site& site, std::string_view kind, std::int64_t now, int keep,
                   std::string* saved, std::string* error, const std::string& partial = {});

// The entry "latest" names, or the newest whose time starts with when
// ("2026-12-01", "2026-12-01T09:30"); nullptr with the reason when none does.
const HistoryEntry* FindHistory(const std::vector<HistoryEntry>& entries, std::string_view when, std::string* error);

}  // namespace network
