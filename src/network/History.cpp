#include "network/History.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "network/NetworkFile.h"

namespace network {
namespace {

namespace fs = std::filesystem;

// File names hold the time with '-' for ':', which some file systems refuse.
std::string FileStamp(std::string when) {
    std::replace(when.begin(), when.end(), ':', '-');
    return when;
}

// "2026-12-08T16-10-03.120Z-read-partial.xml" as an entry; false for any other name.
bool EntryOf(const fs::path& file, HistoryEntry* entry) {
    const std::string name = file.filename().string();
    constexpr std::size_t kStamp = 24;  // as FormatTime writes it
    if (name.size() < kStamp + 6 || name[kStamp] != '-' || file.extension() != ".xml") return false;
    std::string when = name.substr(0, kStamp);
    if (when.size() != kStamp || when[13] != '-' || when[16] != '-') return false;
    when[13] = ':';
    when[16] = ':';
    std::int64_t ms = 0;
    if (!ParseTime(when, &ms)) return false;
    std::string kind = name.substr(kStamp + 1, name.size() - kStamp - 5);
    constexpr std::string_view kPartial = "-partial";
    entry->partial =
        kind.size() > kPartial.size() && kind.compare(kind.size() - kPartial.size(), kPartial.size(), kPartial) == 0;
    if (entry->partial) kind.resize(kind.size() - kPartial.size());
    if (kind != "read" && kind != "apply" && kind != "drift") return false;
    entry->when = std::move(when);
    entry->kind = std::move(kind);
    entry->path = file.string();
    return true;
}

}  // namespace

std::string HistoryFolder(const std::string& listPath, const std::string& site) {
    return (fs::path(listPath).parent_path() / "history" / site).string();
}

std::vector<HistoryEntry> ListHistory(const std::string& folder) {
    std::vector<HistoryEntry> out;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(folder, ec)) {
        HistoryEntry entry;
        if (e.is_regular_file(ec) && EntryOf(e.path(), &entry)) out.push_back(std::move(entry));
    }
    // Names sort as their times do; the kind breaks a tie of one millisecond.
    std::sort(out.begin(), out.end(), [](const HistoryEntry& a, const HistoryEntry& b) { return a.path < b.path; });
    return out;
}

bool KeepInHistory(const std::string& folder, const Site& site, std::string_view kind, std::int64_t now, int keep,
                   std::string* saved, std::string* error, const std::string& partial) {
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        fs::create_directories(folder, ec);
        if (!ec) fs::permissions(folder, fs::perms::owner_all, ec);
        if (ec) {
            *error = "cannot make " + folder + ": " + ec.message();
            return false;
        }
    }
    const std::string name =
        FileStamp(FormatTime(now)) + "-" + std::string(kind) + (partial.empty() ? "" : "-partial") + ".xml";
    const std::string path = (fs::path(folder) / name).string();
    if (!SaveNetworkFile(site, path, error, partial)) return false;
    if (saved) *saved = path;
    std::vector<HistoryEntry> entries = ListHistory(folder);
    for (std::size_t i = 0; keep > 0 && i + static_cast<std::size_t>(keep) < entries.size(); ++i) {
        fs::remove(entries[i].path, ec);
    }
    return true;
}

const HistoryEntry* FindHistory(const std::vector<HistoryEntry>& entries, std::string_view when, std::string* error) {
    if (entries.empty()) {
        *error = "no history yet";
        return nullptr;
    }
    if (when == "latest") return &entries.back();
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        if (e->when.compare(0, when.size(), when) == 0) return &*e;
    }
    *error = "no entry of " + std::string(when) + " (the oldest is " + entries.front().when + ", the newest " +
             entries.back().when + ")";
    return nullptr;
}

}  // namespace network
