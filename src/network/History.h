#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
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

// An entry made and not yet written: its file's bytes are final, so writing
// it needs neither the XML engine nor a code page converter.
struct PendingEntry {
    std::string folder, path, bytes;
    int keep = 0;
};

// Makes the entry KeepInHistory would save. False with the reason.
bool PrepareHistory(const std::string& folder, const Site& site, std::string_view kind, std::int64_t now, int keep,
                    PendingEntry* entry, std::string* error, const std::string& partial = {});
// Writes a prepared entry as KeepInHistory does (plain file calls only, so
// from any thread). False with the reason.
bool WriteHistory(const PendingEntry& entry, std::string* error);

// Writes prepared entries on a thread of its own, in the order given, so that
// a caller's event loop never waits for a disk's fsync. Each write is atomic:
// stopping at any time leaves no half-written entry.
class HistoryWriter {
public:
    struct Written {
        std::uint64_t ticket = 0;
        bool ok = false;
        std::string path, error;
    };
    // wake is called on the writer's thread after each write.
    explicit HistoryWriter(std::function<void()> wake);
    // Writes what was given, then ends the thread.
    ~HistoryWriter();
    HistoryWriter(const HistoryWriter&) = delete;
    HistoryWriter& operator=(const HistoryWriter&) = delete;

    std::uint64_t Add(PendingEntry entry);
    // Entries given and not yet taken back with TakeWritten.
    std::size_t Outstanding() const;
    std::vector<Written> TakeWritten();
    // Waits until every entry given is written.
    void Drain();

private:
    void Work();

    std::function<void()> m_wake;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::pair<std::uint64_t, PendingEntry>> m_queue;
    std::vector<Written> m_written;
    std::uint64_t m_next = 0;
    std::size_t m_outstanding = 0;
    bool m_busy = false;
    bool m_ending = false;
    std::thread m_thread;  // last: started once the rest is ready
};

// The entry "latest" names, or the newest whose time starts with when
// ("2026-12-01", "2026-12-01T09:30"); nullptr with the reason when none does.
const HistoryEntry* FindHistory(const std::vector<HistoryEntry>& entries, std::string_view when, std::string* error);

}  // namespace network
