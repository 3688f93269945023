// veskora: the gateway's protocol from the command line. Reads and writes
// single values, backs a whole site up to a network file, compares a file
// with the site and writes the differences with every write read back.
#include <sys/socket.h>
#include <unistd.h>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "cli/Arguments.h"
#include "cli/Sites.h"
#include "cli/Tool.h"
#include "ids/DocumentsFolder.h"

namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

const char* const kDescription =
    "Talks to a gateway over TCP, one command at a time, each matched with its reply.\n"
    "\n"
    "Commands:\n"
    "  get WHAT [ID]                  read one module's values\n"
    "  set WHAT ID VALUE...           write them and read them back\n"
    "  set WHAT ID --NAME VALUE...    write the values named, the others as read\n"
    "  read-all -o FILE [--keep-partial]\n"
    "                                 read the whole site named by the ID file into a network file\n"
    "  diff FILE [OTHER]              compare a network file with the live site (or another file)\n"
    "  apply FILE [--dry-run] [--keep-going]\n"
    "                                 write the file's differences, each read back\n"
    "  monitor                        print every frame that arrives, decoded\n"
    "  site add NAME --gateway ADDRESS[:PORT] --ids FILE [--plan FILE] [--keep N]\n"
    "  site list | show NAME | remove NAME\n"
    "                                 the sites known by name (sites.conf beside the ID file)\n"
    "  history NAME                   the reads and applies kept of a site\n"
    "  drift [--site NAME]... [--jobs N]\n"
    "                                 read sites with an approved plan, several at a time, and compare\n"
    "With --site NAME a command talks to that site's gateway with its ID file, and\n"
    "read-all and apply keep what they read in its history; diff takes NAME@DATE or\n"
    "NAME@latest for a history entry.\n"
    "WHAT: netkeys (GM, no ID), radio (G2, a gateway radio), sx1280 (R2), sx1276 (R9),\n"
    "      nodes (RM, a repeater's node table), node (N9).\n"
    "'veskora COMMAND --help' tells more of each.\n"
    "\n"
    "Configuration commands stop the gateway's service first (AT+STOP) and start it\n"
    "again at the end (AT+SEND R), after an error or Ctrl+C too.\n"
    "\n"
    "With --json, every run prints one JSON document on stdout, errors included\n"
    "({\"error\": ..., \"exit\": 3}); monitor prints one per frame and one at the end.\n"
    "\n"
    "Environment:\n"
    "  VESKORA_GATEWAY   the gateway when --gateway is not given (ADDRESS[:PORT])\n"
    "  VESKORA_IDS       the ID file when --ids is not given; sites.conf is beside it\n"
    "\n"
    "Exit codes: 0 success (diff: no difference), 1 differences found or a write not\n"
    "confirmed (drift: a site drifted), 2 usage error or bad file, 3 link failure\n"
    "(refused, dropped, timed out; drift: a site unreachable or without answer),\n"
    "130 interrupted.";

struct Command {
    const char* name;
    const char* usage;
    const char* help;
};

constexpr Command kCommands[] = {
    {"get", "get WHAT [ID]",
     "Reads one module's values and prints them by name.\n"
     "  veskora get netkeys\n  veskora get radio A00001\n  veskora get node N00101"},
    {"set", "set WHAT ID VALUE...",
     "Writes a module's values, reads them back and says whether they took.\n"
     "Counts: netkeys 21 (no ID), radio 1 (frequency), sx1280/sx1276 3 (frequency,\n"
     "NET key, busy/SF), nodes 31 (SNT, nodes 1-30), node 7.\n"
     "Values may come by name instead, each as an option; the ones not given are\n"
     "read from the module first and written back as read:\n"
     "  radio, sx1280, sx1276: --frequency --net-key --busy-sf\n"
     "  node: --frequency --sub-net-key --super-id --sf --tx-period --station-0 --station-1\n"
     "  netkeys: --net-key-auto --net-key-0 ... --net-key-19; nodes: --snt --node-1 ... --node-30\n"
     "  veskora set radio A00001 2410000000\n"
     "  veskora set sx1276 R10092 --frequency 868000000"},
    {"read-all", "read-all -o FILE [--keep-partial]",
     "Reads every value of the modules in the ID file (--ids) and of the nodes\n"
     "their node tables name, and saves them as a network file. When the run is\n"
     "interrupted or the link fails, nothing is written, unless --keep-partial:\n"
     "then what was read is written, marked partial in the file."},
    {"diff", "diff FILE [OTHER]",
     "Reads the live site for the file's modules and lists each value the file\nholds otherwise. With OTHER, "
     "compares the two files instead; no gateway is needed."},
    {"apply", "apply FILE [--dry-run] [--keep-going]",
     "Writes each module whose values differ from the file, then reads it back.\n"
     "Each ends confirmed, differs after write, no answer or cannot write; the first\n"
     "failure stops the rest (not attempted) unless --keep-going.\n"
     "--dry-run prints each change, path: old \u2192 new, with the exact line under it,\n"
     "and sends none of them."},
    {"monitor", "monitor",
     "Prints every frame the gateway sends, decoded, with a timestamp, until Ctrl+C.\n"
     "Says where it listens on stderr, and when nothing came for a while."},
    {"site",
     "site add NAME --gateway ADDRESS[:PORT] --ids FILE [--plan FILE] [--keep N] | list | show NAME | remove NAME",
     "Keeps the sites by name in sites.conf, in the ID file's folder (a plain text\n"
     "file, docs/sites.md). --plan names the approved plan drift compares with;\n"
     "--keep how many history entries are kept (30). remove leaves the history."},
    {"history", "history NAME",
     "Lists the reads and applies kept of a site, oldest first, as NAME@TIME:\n"
     "  veskora diff north@2026-12-01 north@latest"},
    {"drift", "drift [--site NAME]... [--jobs N]",
     "Reads every named site (all with an approved plan when none is named), --jobs\n"
     "gateways at a time (8), each one command at a time, compares each with its plan\n"
     "and keeps the read in its history. One line per site: in sync, N differences,\n"
     "unreachable or M without answer. Exit 1 when a site drifted, 3 when one was\n"
     "unreachable or without answer; Ctrl+C starts every stopped service again."},
};

const Command* FindCommand(const QString& name) {
    for (const Command& c : kCommands) {
        if (name == QLatin1String(c.name)) return &c;
    }
    return nullptr;
}

bool g_json = false;

int Usage(const std::string& message) {
    if (g_json) {
        const QJsonObject doc{{QStringLiteral("error"), QString::fromStdString(message)},
                              {QStringLiteral("exit"), cli::kUsage}};
        std::printf("%s\n", QJsonDocument(doc).toJson(QJsonDocument::Compact).constData());
    } else {
        std::fprintf(stderr, "veskora: %s\n(veskora --help lists the commands)\n", message.c_str());
    }
    return cli::kUsage;
}

std::vector<std::string> CommandNames() {
    std::vector<std::string> out;
    for (const Command& c : kCommands) out.emplace_back(c.name);
    return out;
}

// The parser's complaint, with a suggestion when an option was mistyped.
std::string ParseError(const QCommandLineParser& parser, const QList<QCommandLineOption>& options) {
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty()) return parser.errorText().toStdString();
    std::vector<std::string> known;
    for (const QCommandLineOption& o : options) {
        for (const QString& n : o.names()) known.push_back((n.size() == 1 ? "-" : "--") + n.toStdString());
    }
    const std::string name = unknown.front().toStdString();
    return cli::Unknown("option", (name.size() == 1 ? "-" : "--") + name, known);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veskora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VESKORA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version."));
    const QCommandLineOption gateway(
        QStringLiteral("gateway"),
        QStringLiteral("The gateway, ADDRESS[:PORT] ($VESKORA_GATEWAY, else 192.168.1.200:5555)."),
        QStringLiteral("address"));
    const QCommandLineOption ids(
        QStringLiteral("ids"),
        QStringLiteral("The ID file ($VESKORA_IDS, else the user's own, Documents/Brenholt/Veskora/ids.xml)."),
        QStringLiteral("file"));
    const QCommandLineOption site(QStringLiteral("site"),
                                  QStringLiteral("The site of that name: its gateway and ID file (veskora site list)."),
                                  QStringLiteral("name"));
    const QCommandLineOption timeout(QStringLiteral("timeout"),
                                     QStringLiteral("How long a command waits for its reply (3000)."),
                                     QStringLiteral("ms"));
    const QCommandLineOption retries(QStringLiteral("retries"),
                                     QStringLiteral("How often a read that got no answer is asked again (1)."),
                                     QStringLiteral("n"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print every outcome, errors included, as one JSON document."));
    const QCommandLineOption stopped(QStringLiteral("service-stopped"),
                                     QStringLiteral("The service is stopped already: send neither stop nor restart."));
    const QCommandLineOption quiet(
        {QStringLiteral("q"), QStringLiteral("quiet")},
        QStringLiteral("No progress, banner or notes on waits: results, warnings and errors only."));
    const QCommandLineOption verbose({QStringLiteral("v"), QStringLiteral("verbose")},
                                     QStringLiteral("Print every line sent and received, with its time, on stderr."));
    const QList<QCommandLineOption> globals{help,    version, gateway, ids,   site,   timeout,
                                            retries, json,    stopped, quiet, verbose};
    parser.addOptions(globals);
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("get, set, read-all, diff, apply, monitor, site, history, drift"));
    // Known before the parse, so that a usage error is JSON too.
    g_json = QCoreApplication::arguments().contains(QStringLiteral("--json"));
    if (!parser.parse(QCoreApplication::arguments())) return Usage(ParseError(parser, globals));
    if (parser.isSet(help)) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return cli::kSuccess;
    }
    if (parser.isSet(version)) {
        std::printf("veskora %s\n", VESKORA_VERSION);
        return cli::kSuccess;
    }

    cli::GlobalOptions options;
    std::string error;
    const QString gatewayText = parser.isSet(gateway) ? parser.value(gateway) : qEnvironmentVariable("VESKORA_GATEWAY");
    if (!gatewayText.isEmpty() && !cli::ParseGateway(gatewayText.toStdString(), &options.host, &options.port, &error)) {
        return Usage(error + (parser.isSet(gateway) ? "" : " (from VESKORA_GATEWAY)"));
    }
    options.idFile = (parser.isSet(ids) ? parser.value(ids) : qEnvironmentVariable("VESKORA_IDS")).toStdString();
    if (options.idFile.empty()) options.idFile = ids::LocateIdFile().idFilePath;
    options.siteList = cli::SiteListBeside(options.idFile);
    if (parser.isSet(site)) {
        if (parser.isSet(gateway) || parser.isSet(ids))
            return Usage("--site names the gateway and the ID file; not with --gateway or --ids");
        if (!cli::UseSite(parser.value(site).toStdString(), &options, &error)) return Usage(error);
    }
    if (parser.isSet(timeout)) {
        bool ok = false;
        options.timeoutMs = parser.value(timeout).toInt(&ok);
        if (!ok || options.timeoutMs < 1 || options.timeoutMs > 600000) {
            return Usage("--timeout takes milliseconds from 1 to 600000, not \"" + parser.value(timeout).toStdString() +
                         "\"");
        }
    }
    if (parser.isSet(retries)) {
        bool ok = false;
        options.retries = parser.value(retries).toInt(&ok);
        if (!ok || options.retries < 0 || options.retries > 10) {
            return Usage("--retries takes a number from 0 to 10, not \"" + parser.value(retries).toStdString() + "\"");
        }
    }
    options.json = parser.isSet(json);
    options.serviceStopped = parser.isSet(stopped);
    if (parser.isSet(quiet) && parser.isSet(verbose)) return Usage("-q and -v exclude each other");
    options.verbosity = parser.isSet(quiet) ? 0 : parser.isSet(verbose) ? 2 : 1;
    // Tests shorten the wait before the silence note; nothing else sets it.
    if (const int ms = qEnvironmentVariableIntValue("VESKORA_SILENCE_NOTE_MS"); ms > 0) options.silenceNoteMs = ms;

    QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) return Usage("a command is missing");
    const QString name = rest.takeFirst();
    const Command* command = FindCommand(name);
    if (!command) return Usage(cli::Unknown("command", name.toStdString(), CommandNames()));

    QCommandLineParser sub;
    sub.setApplicationDescription(QString::fromUtf8(command->help));
    const QCommandLineOption subHelp({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help."));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("The network file to write."), QStringLiteral("file"));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"), QStringLiteral("Print the lines; send none."));
    const QCommandLineOption keepGoing(QStringLiteral("keep-going"), QStringLiteral("Go on after a failed write."));
    const QCommandLineOption keepPartial(QStringLiteral("keep-partial"),
                                         QStringLiteral("On an interrupt or a link failure, write what was read."));
    // The output options read as well after the command: "veskora get netkeys --json".
    QList<QCommandLineOption> subOptions{subHelp, json, quiet, verbose};
    const QCommandLineOption plan(QStringLiteral("plan"), QStringLiteral("The site's approved plan."),
                                  QStringLiteral("file"));
    const QCommandLineOption keep(QStringLiteral("keep"), QStringLiteral("History entries kept (30)."),
                                  QStringLiteral("n"));
    const QCommandLineOption jobs(QStringLiteral("jobs"), QStringLiteral("Gateways read at a time (8)."),
                                  QStringLiteral("n"));
    if (name == QLatin1String("read-all")) subOptions << output << keepPartial;
    if (name == QLatin1String("site")) subOptions << gateway << ids << plan << keep;
    if (name == QLatin1String("drift")) subOptions << site << jobs;
    if (name == QLatin1String("apply")) subOptions << dryRun << keepGoing;
    if (name == QLatin1String("set")) {
        for (const std::string& o : cli::AllValueOptions()) {
            QCommandLineOption value(QString::fromStdString(o), QStringLiteral("A value by name."),
                                     QStringLiteral("value"));
            value.setFlags(QCommandLineOption::HiddenFromHelp);
            subOptions << value;
        }
    }
    sub.addOptions(subOptions);
    // Values may start with '-' only as options; negative numbers are no value here.
    if (!sub.parse(QStringList{QStringLiteral("veskora ") + name} + rest)) return Usage(ParseError(sub, subOptions));
    if (sub.isSet(subHelp)) {
        std::printf("Usage: veskora [global options] %s\n\n%s\n", command->usage, command->help);
        return cli::kSuccess;
    }
    const QStringList args = sub.positionalArguments();
    options.json = options.json || sub.isSet(json);
    if (sub.isSet(quiet) || sub.isSet(verbose)) {
        if ((parser.isSet(quiet) || sub.isSet(quiet)) && (parser.isSet(verbose) || sub.isSet(verbose))) {
            return Usage("-q and -v exclude each other");
        }
        options.verbosity = sub.isSet(quiet) ? 0 : 2;
    }

    // Ctrl+C and termination end the waits, so the service is restarted.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        std::signal(SIGINT, OnSignal);
        std::signal(SIGTERM, OnSignal);
    }
    cli::Tool tool(options, stdout, stderr);
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &notifier, [&tool] { tool.Interrupt(); });

    if (name == QLatin1String("get")) {
        if (args.isEmpty()) return Usage("get: WHAT is missing");
        return tool.Get(args);
    }
    if (name == QLatin1String("set")) {
        if (args.isEmpty()) return Usage("set: WHAT is missing");
        cli::NamedValues named;
        for (const std::string& o : cli::AllValueOptions()) {
            if (sub.isSet(QString::fromStdString(o))) {
                named.emplace_back(o, sub.value(QString::fromStdString(o)).toStdString());
            }
        }
        return tool.Set(args, named);
    }
    if (name == QLatin1String("site")) {
        const QString verb = args.value(0);
        if (verb == QLatin1String("list") && args.size() == 1) return tool.SiteList();
        if ((verb == QLatin1String("show") || verb == QLatin1String("remove")) && args.size() == 2) {
            return verb == QLatin1String("show") ? tool.SiteShow(args[1].toStdString())
                                                 : tool.SiteRemove(args[1].toStdString());
        }
        if (verb != QLatin1String("add") || args.size() != 2) {
            return Usage("site: expected add NAME ..., list, show NAME or remove NAME");
        }
        network::SiteEntry entry;
        if (!cli::SiteFromOptions(args[1].toStdString(), sub.value(gateway).toStdString(), sub.value(ids).toStdString(),
                                  sub.value(plan).toStdString(), sub.isSet(keep) ? sub.value(keep).toStdString() : "",
                                  &entry, &error)) {
            return Usage("site add: " + error);
        }
        return tool.SiteAdd(entry);
    }
    if (name == QLatin1String("history")) {
        if (args.size() != 1) return Usage("history: expected one site NAME");
        return tool.History(args.front().toStdString());
    }
    if (name == QLatin1String("drift")) {
        if (!args.isEmpty()) return Usage("drift: unexpected argument \"" + args.front().toStdString() + "\"");
        std::vector<std::string> names;
        if (parser.isSet(site)) names.push_back(parser.value(site).toStdString());
        for (const QString& n : sub.values(site)) names.push_back(n.toStdString());
        int jobCount = cli::kDefaultJobs;
        if (sub.isSet(jobs)) {
            bool ok = false;
            jobCount = sub.value(jobs).toInt(&ok);
            if (!ok || jobCount < 1 || jobCount > cli::kMaxJobs) {
                return Usage("--jobs takes a number from 1 to " + std::to_string(cli::kMaxJobs) + ", not \"" +
                             sub.value(jobs).toStdString() + "\"");
            }
        }
        return tool.Drift(names, jobCount);
    }
    if (name == QLatin1String("read-all")) {
        if (!sub.isSet(output) && options.site.empty()) return Usage("read-all: -o FILE (or --site NAME) is missing");
        if (!args.isEmpty()) return Usage("read-all: unexpected argument \"" + args.front().toStdString() + "\"");
        return tool.ReadAll(sub.isSet(output) ? sub.value(output) : QString(), sub.isSet(keepPartial));
    }
    if (name == QLatin1String("diff")) {
        if (args.isEmpty() || args.size() > 2) return Usage("diff: expected FILE [OTHER]");
        // NAME@DATE stands for a history entry; one alone is compared with that site, live.
        QStringList files;
        for (const QString& a : args) {
            std::string file;
            const int found = cli::HistoryEntryOf(a.toStdString(), options.siteList, &file, &error);
            if (found < 0) return Usage("diff: " + error);
            files << (found ? QString::fromStdString(file) : a);
        }
        if (args.size() == 1 && files.front() != args.front() && options.site.empty() && !parser.isSet(gateway)) {
            const std::string siteName = args.front().section(QLatin1Char('@'), 0, 0).toStdString();
            if (!cli::UseSite(siteName, &options, &error)) return Usage(error);
            cli::Tool siteTool(options, stdout, stderr);
            QObject::connect(&notifier, &QSocketNotifier::activated, &notifier, [&siteTool] { siteTool.Interrupt(); });
            return siteTool.Diff(files.front());
        }
        return tool.Diff(files.front(), files.value(1));
    }
    if (name == QLatin1String("apply")) {
        if (args.size() != 1) return Usage("apply: expected one FILE");
        return tool.Apply(args.front(), sub.isSet(dryRun), sub.isSet(keepGoing));
    }
    if (!args.isEmpty()) return Usage("monitor takes no arguments");
    return tool.Monitor();
}
