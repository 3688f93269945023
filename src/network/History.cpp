#include "network/History.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <utility>

#include "network/NetworkFile.h"
#include "xml/DocFile.h"

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

bool MakeFolder(const std::string& folder, std::string* error) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    fs::create_directories(folder, ec);
    if (!ec) fs::permissions(folder, fs::perms::owner_all, ec);
    if (ec) *error = "cannot make " + folder + ": " + ec.message();
    return !ec;
}

std::string EntryName(std::string_view kind, std::int64_t now, const std::string& partial) {
    return FileStamp(FormatTime(now)) + "-" + std::string(kind) + (partial.empty() ? "" : "-partial") + ".xml";
}

// Removes the oldest entries beyond keep (0: none).
void Prune(const std::string& folder, int keep) {
    std::error_code ec;
    const std::vector<HistoryEntry> entries = ListHistory(folder);
    for (std::size_t i = 0; keep > 0 && i + static_cast<std::size_t>(keep) < entries.size(); ++i) {
        fs::remove(entries[i].path, ec);
    }
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
    if (!MakeFolder(folder, error)) return false;
    const std::string path = (fs::path(folder) / EntryName(kind, now, partial)).string();
    if (!SaveNetworkFile(site, path, error, partial)) return false;
    if (saved) *saved = path;
    Prune(folder, keep);
    return true;
}

bool PrepareHistory(const std::string& folder, const Site& site, std::string_view kind, std::int64_t now, int keep,
                    PendingEntry* entry, std::string* error, const std::string& partial) {
    entry->folder = folder;
    entry->path = (fs::path(folder) / EntryName(kind, now, partial)).string();
    entry->keep = keep;
    return NetworkFileBytes(site, &entry->bytes, error, partial);
}

bool WriteHistory(const PendingEntry& entry, std::string* error) {
    if (!MakeFolder(entry.folder, error)) return false;
    int failure = 0;
    const bool written = xml::ReplaceFile(
        entry.path.c_str(), xml::FileAccess::OwnerOnly,
        [&](std::FILE* stream) {
            return std::fwrite(entry.bytes.data(), 1, entry.bytes.size(), stream) == entry.bytes.size();
        },
        &failure);
    if (!written) {
        *error = "cannot write " + entry.path + ": " + std::generic_category().message(failure);
        return false;
    }
    Prune(entry.folder, entry.keep);
    return true;
}

HistoryWriter::HistoryWriter(std::function<void()> wake) : m_wake(std::move(wake)), m_thread([this] { Work(); }) {}

HistoryWriter::~HistoryWriter() {
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

std::uint64_t HistoryWriter::Add(PendingEntry entry) {
    std::uint64_t ticket = 0;
    {
        const std::lock_guard lock(m_mutex);
        ticket = ++m_next;
        m_queue.emplace_back(ticket, std::move(entry));
        ++m_outstanding;
    }
    m_changed.notify_all();
    return ticket;
}

std::size_t HistoryWriter::Outstanding() const {
    const std::lock_guard lock(m_mutex);
    return m_outstanding;
}

std::vector<HistoryWriter::Written> HistoryWriter::TakeWritten() {
    const std::lock_guard lock(m_mutex);
    m_outstanding -= m_written.size();
    return std::exchange(m_written, {});
}

void HistoryWriter::Drain() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

void HistoryWriter::Work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_ending || !m_queue.empty(); });
        if (m_queue.empty()) return;  // ending, and everything given is written
        auto [ticket, entry] = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        Written done{ticket, false, entry.path, {}};
        done.ok = WriteHistory(entry, &done.error);
        lock.lock();
        m_busy = false;
        m_written.push_back(std::move(done));
        m_changed.notify_all();
        if (m_wake) m_wake();
    }
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
