#pragma once

#include <string>

#include "cli/Tool.h"
#include "network/SiteList.h"

// How the command line names sites and their history entries.
namespace cli {

inline constexpr int kDefaultJobs = 8;
inline constexpr int kMaxJobs = 256;

// The site list beside an ID file: the same folder, sites.conf.
std::string SiteListBeside(const std::string& idFile);

// Points options at the site of that name in options->siteList: its gateway,
// ID file and history. False with the reason.
bool UseSite(const std::string& name, GlobalOptions* options, std::string* error);

// A site as `site add` gives it; paths are made absolute, so the list means
// the same from any folder. False with the reason.
bool SiteFromOptions(const std::string& name, const std::string& gateway, const std::string& ids,
                     const std::string& plan, const std::string& keep, network::SiteEntry* site, std::string* error);

// NAME@WHEN (WHEN "latest" or the start of a time) as the path of that history
// entry: 1 with *file set, 0 when text names no entry (an existing file, or no
// '@'), -1 with the reason when it names none that exists.
int HistoryEntryOf(const std::string& text, const std::string& siteList, std::string* file, std::string* error);

}  // namespace cli
