#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "link/GatewayClient.h"
#include "link/SiteReader.h"
#include "link/SiteWriter.h"
#include "network/Site.h"
#include "network/SiteList.h"

namespace cli {

// Exit codes, as --help lists them.
enum Exit { kSuccess = 0, kDifferences = 1, kUsage = 2, kLinkFailure = 3, kInterrupted = 130 };

struct GlobalOptions {
    std::string host = "192.168.1.200";
    unsigned port = 5555;
    std::string idFile;  // the user's own when empty
    int timeoutMs = 3000;
    int retries = devlink::SiteReader::kDefaultRetries;  // an unanswered GET is asked again this often
    bool json = false;
    bool serviceStopped = false;  // the technician stopped it: send neither stop nor restart
    int verbosity = 1;            // 0 with -q: no progress or notes; 2 with -v: every line sent and received
    int silenceNoteMs = 2000;  // how long a wait goes on before a note says what it waits for (below --timeout's 3000)
    std::string siteList;      // the sites file, beside the ID file
    std::string site;          // with --site: its name; reads and applies are kept in its history
    int keep = 0;              // the site's history entries kept
};

// Values given to `set` by name: the option ("net-key") and its value.
using NamedValues = std::vector<std::pair<std::string, std::string>>;

// One run of a subcommand against one gateway. Waits turn the event loop,
// so a Ctrl+C (Interrupt) ends them and the service is restarted all the same.
class Tool {
public:
    Tool(GlobalOptions options, std::FILE* out, std::FILE* err);
    ~Tool();

    int Get(const QStringList& args);
    // Values not given by name are read from the module first and written back as read.
    int Set(const QStringList& args, const NamedValues& named = {});
    // With keepPartial, what was read before an interrupt or a link failure is saved, marked partial.
    int ReadAll(const QString& outputFile, bool keepPartial = false);
    // Against the live site, or with other given, against that file.
    int Diff(const QString& file, const QString& other = {});
    int Apply(const QString& file, bool dryRun, bool keepGoing);
    int Monitor();

    // The site list (ToolSites.cpp).
    int SiteAdd(const network::SiteEntry& site);
    int SiteList();
    int SiteShow(const std::string& name);
    int SiteRemove(const std::string& name);
    int History(const std::string& name);
    // Reads each named site that has a plan (all of them when none is named),
    // jobs gateways at a time, and compares each with its plan.
    int Drift(const std::vector<std::string>& names, int jobs);

    // Called from the signal handler's notifier.
    void Interrupt() { m_interrupted = true; }

private:
    bool Connect();
    // Sends a request and turns the event loop until it is answered.
    devlink::Outcome Call(const devlink::Request& request);
    // Turns the event loop until done() or an interrupt.
    void Spin(const std::function<bool()>& done);
    // Reads every value of the modules named in site; false if the link failed.
    bool ReadSite(network::Site& site, int* unanswered);
    // Restarts the service if this run stopped it, and lets the line leave.
    void Finish();
    // Ends the run with code: the message on stderr, or with --json, doc with
    // "error" and "exit" as the run's one document.
    int Fail(int code, const std::string& message, QJsonObject doc = {});
    // Ends the run with code; with --json, doc with "exit" is the run's document.
    int Done(int code, QJsonObject doc);
    // A line for the person at the terminal, unless -q or --json.
    void Note(const std::string& line);
    void Trace(const char* direction, const std::string& text);
    void Progress(int done, int total, const std::string& item);
    void PrintJson(const QJsonObject& object);
    // With --site, keeps site in its history; the entry's path, or empty
    // (and a note) when it could not be kept.
    std::string KeepInHistory(const network::Site& site, const char* kind, const std::string& partial = {});

    GlobalOptions m_options;
    std::FILE* m_out;
    std::FILE* m_err;
    bool m_progress = false;
    bool m_interrupted = false;
    bool m_noteStrays = true;
    std::unique_ptr<devlink::SocketChannel> m_channel;
    std::unique_ptr<devlink::GatewayClient> m_client;
    std::unique_ptr<devlink::ServiceSession> m_service;
    QString m_linkError;
    std::string m_current;  // the module the last line went to, for progress and the silence note
    QTimer m_silence;
    bool m_silenceNoted = false;
    int m_readDone = 0, m_readTotal = 0;  // while a site is read
};

}  // namespace cli
