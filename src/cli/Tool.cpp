#include "cli/Tool.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>
#include <algorithm>
#include <map>

#include "cli/Arguments.h"
#include "ids/DocumentsFolder.h"
#include "link/SiteReader.h"
#include "network/History.h"
#include "network/NetworkFile.h"
#include "network/Tokens.h"
#include "network/WritePlan.h"
#include "textcodec/qt/NarrowText.h"
#include "wire/CommandText.h"

namespace cli {
namespace {

namespace command = devlink::command;

std::int64_t Now() { return QDateTime::currentMSecsSinceEpoch(); }

QString Q(const std::string& text) { return QString::fromStdString(text); }

// A line as it goes out, with its CR LF shown, for dry runs.
std::string Shown(std::string line) {
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0) line.resize(line.size() - 2);
    return line;
}

// "sx1276 R10092" for a GET or SET line, what a person calls the module it goes to.
std::string ModuleOfLine(const std::string& line) {
    const std::size_t code = line.find(' ');
    if (line.rfind("AT+GET ", 0) != 0 && line.rfind("AT+SET ", 0) != 0) return "the gateway (" + line + ")";
    const std::size_t id = line.find(' ', code + 1);
    const std::string tag = line.substr(code + 1, id == std::string::npos ? std::string::npos : id - code - 1);
    if (tag == "GM") return "netkeys";
    const std::size_t end = id == std::string::npos ? id : line.find(' ', id + 1);
    return KindOf(tag) + (id == std::string::npos ? "" : " " + line.substr(id + 1, end == id ? end : end - id - 1));
}

// A module's values by name, in the order the device keeps them.
QJsonArray NamedValuesJson(const std::vector<std::string>& names, const std::vector<std::string>& values) {
    QJsonArray out;
    for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
        out.append(QJsonObject{{QStringLiteral("name"), Q(names[i])}, {QStringLiteral("value"), Q(values[i])}});
    }
    return out;
}

// What a value was before a write, for a dry run: its text, or its state when it has none.
std::string Before(const network::Value& v) {
    return v.Known() ? v.text : "(" + std::string(network::OriginName(v.origin)) + ")";
}

// An unknown WHAT, with the one meant or, when none is close, all of them.
std::string UnknownKind(const std::string& what) {
    const std::string message = Unknown("value name", what, KindNames());
    return message.back() == '?' ? message : message + "; known: " + KnownNames();
}

// A value option of another kind ("--net-key" for a radio), with this kind's.
std::string UnknownValueOption(const std::string& kind, const std::string& option,
                               const std::vector<std::string>& options) {
    std::string message = "set " + kind + ": " + Unknown("value", "--" + option, options);
    if (message.back() == '?') return message;
    message += "; " + kind + " takes";
    for (const std::string& o : options) message += " " + o;
    return message;
}

bool LinkGone(const QString& error) {
    return error.startsWith(QStringLiteral("link closed")) || error.startsWith(QStringLiteral("no link"));
}

}  // namespace

Tool::Tool(GlobalOptions options, std::FILE* out, std::FILE* err)
    : m_options(std::move(options)), m_out(out), m_err(err) {
    m_progress = !m_options.json && m_options.verbosity > 0 && isatty(fileno(m_err)) != 0;
    if (m_options.idFile.empty()) m_options.idFile = ids::LocateIdFile().idFilePath;
    m_silence.setSingleShot(true);
    // On a terminal the progress shows what is under way; a log gets one line instead.
    if (!m_progress && isatty(fileno(m_err)) == 0) {
        QObject::connect(&m_silence, &QTimer::timeout, &m_silence, [this] {
            // Once a run: a site of silent modules would otherwise fill the log with the same advice.
            if (m_silenceNoted) return;
            m_silenceNoted = true;
            const int ms = m_options.silenceNoteMs;
            const std::string seconds = ms % 1000 ? std::to_string(ms) + " ms" : std::to_string(ms / 1000) + " s";
            if (m_current.empty()) {
                Note("nothing received for " + seconds + "; waiting for frames from " + m_options.host + ":" +
                     std::to_string(m_options.port) + " (Ctrl+C to stop)");
            } else {
                Note("no reply from " + m_current + " for " + seconds +
                     "; is another client connected to the gateway?");
            }
        });
    }
}

Tool::~Tool() = default;

bool Tool::Connect() {
    m_channel = std::make_unique<devlink::SocketChannel>();
    QString error;
    if (!m_channel->Open(Q(m_options.host), static_cast<quint16>(m_options.port), m_options.timeoutMs, &error)) {
        m_linkError =
            QStringLiteral("cannot connect to %1:%2: %3").arg(Q(m_options.host)).arg(m_options.port).arg(error);
        return false;
    }
    m_client = std::make_unique<devlink::GatewayClient>(*m_channel);
    m_client->SetTimeout(m_options.timeoutMs);
    m_service = std::make_unique<devlink::ServiceSession>(*m_client, m_options.serviceStopped);
    QObject::connect(m_channel.get(), &devlink::Channel::Closed, m_channel.get(),
                     [this](const QString& reason) { m_linkError = QStringLiteral("link closed: %1").arg(reason); });
    QObject::connect(m_client.get(), &devlink::GatewayClient::Sending, m_client.get(), [this](const QString& line) {
        m_current = ModuleOfLine(line.toStdString());
        Trace("sent", line.toStdString());
        if (m_readTotal > 0) Progress(m_readDone, m_readTotal, m_current);
        m_silence.start(m_options.silenceNoteMs);
    });
    QObject::connect(m_channel.get(), &devlink::Channel::ReplyReceived, m_channel.get(),
                     [this](const devlink::Reply& reply, const std::string& frame) {
                         m_silence.stop();
                         if (m_options.verbosity < 2) return;
                         std::string text = reply.textMessage ? frame : KindOf(reply.tag) + " " + reply.moduleId;
                         const std::vector<std::string> names = network::FieldNames(reply.tag);
                         const std::vector<std::string> values = network::ReplyValues(reply);
                         for (std::size_t i = 0; i < names.size() && i < values.size(); ++i)
                             text += "  " + names[i] + "=" + values[i];
                         Trace("received", text);
                     });
    // A reply that answers nothing asked is never taken; the technician hears of it.
    QObject::connect(
        m_client.get(), &devlink::GatewayClient::Unmatched, m_client.get(), [this](const devlink::Reply& reply) {
            if (!m_noteStrays || m_options.json || reply.textMessage || reply.tag.empty()) return;
            std::fprintf(m_err, "%sveskora: ignored a reply that answers no command: %s %s\n", m_progress ? "\n" : "",
                         network::Quoted(KindOf(reply.tag)).c_str(), network::Quoted(reply.moduleId).c_str());
        });
    return true;
}

void Tool::Spin(const std::function<bool()>& done) {
    while (!done() && !m_interrupted) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

devlink::Outcome Tool::Call(const devlink::Request& request) {
    bool answered = false;
    devlink::Outcome result{false, {}, QStringLiteral("interrupted")};
    m_client->Submit(request, [&](const devlink::Outcome& outcome) {
        result = outcome;
        answered = true;
    });
    Spin([&] { return answered; });
    return result;
}

void Tool::Finish() {
    // Whatever an interrupted run left queued goes no further, and nothing calls back into it.
    if (m_client) m_client->Cancel();
    if (m_service && m_channel && m_channel->IsOpen()) {
        const bool restarting = m_service->StoppedIt();
        m_service->Restart();
        m_channel->Flush(1000);
        if (restarting && m_interrupted) std::fprintf(m_err, "\nveskora: the gateway's service was started again\n");
    }
    if (m_channel) m_channel->Close();
}

int Tool::Fail(int code, const std::string& message, QJsonObject doc) {
    if (m_options.json) {
        doc[QStringLiteral("error")] = Q(message);
        doc[QStringLiteral("exit")] = code;
        PrintJson(doc);
        return code;
    }
    if (m_progress) std::fprintf(m_err, "\n");
    // Messages are UTF-8 (values in them are quoted so); the terminal may want another encoding.
    std::fprintf(m_err, "veskora: %s\n", QString::fromStdString(message).toLocal8Bit().constData());
    return code;
}

int Tool::Done(int code, QJsonObject doc) {
    if (m_options.json) {
        doc[QStringLiteral("exit")] = code;
        PrintJson(doc);
    }
    return code;
}

void Tool::Note(const std::string& line) {
    if (m_options.json || m_options.verbosity == 0) return;
    std::fprintf(m_err, "%sveskora: %s\n", m_progress ? "\n" : "", line.c_str());
    std::fflush(m_err);
}

void Tool::Trace(const char* direction, const std::string& text) {
    if (m_options.verbosity < 2) return;
    const QString time = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
    std::fprintf(m_err, "%s%s %-8s %s\n", m_progress ? "\n" : "", time.toUtf8().constData(), direction,
                 // Control bytes shown escaped; the quotes Quoted adds are not needed on a line of its own.
                 network::Quoted(text).substr(1, network::Quoted(text).size() - 2).c_str());
    std::fflush(m_err);
}

void Tool::Progress(int done, int total, const std::string& item) {
    if (!m_progress || total <= 0) return;
    constexpr int kWidth = 30;
    const int filled = done * kWidth / total;
    std::fprintf(m_err, "\r[%s%s] %d/%d %-40.40s", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), done, total, item.c_str());
    if (done == total) std::fprintf(m_err, "\n");
    std::fflush(m_err);
}

void Tool::PrintJson(const QJsonObject& object) {
    std::fprintf(m_out, "%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
}

int Tool::Get(const QStringList& args) {
    const std::string what = args.value(0).toStdString();
    const std::string code = CodeOf(what);
    if (code.empty()) return Fail(kUsage, "get: " + UnknownKind(what));
    const std::string kind = KindOf(code);
    std::string id = textcodec::ToNarrow(args.value(1));
    if (code == "GM" && id.empty()) id = "FFFFFF";
    if (id.empty()) return Fail(kUsage, "get " + kind + ": the module ID is missing");
    if (args.size() > 2) return Fail(kUsage, "get: too many arguments");
    if (const std::string why = network::IdProblem(id); !why.empty()) {
        return Fail(kUsage, "get: the module ID " + network::Quoted(id) + " " + why);
    }
    if (!Connect()) return Fail(kLinkFailure, m_linkError.toStdString());
    m_service->Stop();
    const devlink::Outcome outcome = Call(devlink::ForModule(command::Get(code, id), code, id));
    Finish();
    if (m_interrupted) return Fail(kInterrupted, "interrupted");
    if (!outcome.ok) return Fail(kLinkFailure, "get " + kind + " " + id + ": " + outcome.error.toStdString());

    const std::vector<std::string> names = network::FieldNames(code);
    const std::vector<std::string> values = network::ReplyValues(outcome.reply);
    if (!m_options.json) {
        for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
            std::fprintf(m_out, "%s: %s\n", names[i].c_str(), values[i].c_str());
        }
    }
    return Done(kSuccess, {{QStringLiteral("kind"), Q(kind)},
                           {QStringLiteral("code"), Q(code)},
                           {QStringLiteral("id"), Q(outcome.reply.moduleId)},
                           {QStringLiteral("values"), NamedValuesJson(names, values)}});
}

int Tool::Set(const QStringList& args, const NamedValues& named) {
    const std::string what = args.value(0).toStdString();
    const std::string code = CodeOf(what);
    if (code.empty()) return Fail(kUsage, "set: " + UnknownKind(what));
    const std::string kind = KindOf(code);
    QStringList rest = args.mid(1);
    std::string id = "FFFFFF";
    if (code != "GM" || (rest.size() == 22 && rest.front() == QStringLiteral("FFFFFF"))) {
        if (rest.isEmpty()) return Fail(kUsage, "set " + kind + ": the module ID is missing");
        id = textcodec::ToNarrow(rest.takeFirst());
    }
    std::vector<std::string> values;
    for (const QString& v : rest) values.push_back(textcodec::ToNarrow(v));
    std::string why = network::IdProblem(id);
    if (!why.empty()) return Fail(kUsage, "set: the module ID " + network::Quoted(id) + " " + why);

    // Values by name: each option must be one of this kind's, and the rest are read first.
    const std::vector<std::string> fields = SetFieldNames(code);
    std::vector<bool> given(fields.size(), named.empty());
    if (!named.empty()) {
        if (!values.empty()) return Fail(kUsage, "set " + kind + ": values come by name or in order, not both");
        values.assign(fields.size(), "0");  // stand-ins while the given ones are checked
        std::vector<std::string> options;
        options.reserve(fields.size());
        for (const std::string& f : fields) options.push_back("--" + OptionOf(f));
        for (const auto& [option, value] : named) {
            const auto at = std::find(options.begin(), options.end(), "--" + option);
            if (at == options.end()) return Fail(kUsage, UnknownValueOption(kind, option, options));
            const auto i = static_cast<std::size_t>(at - options.begin());
            values[i] = textcodec::ToNarrow(QString::fromStdString(value));
            given[i] = true;
        }
    }
    if (!CheckSetValues(code, values, &why)) return Fail(kUsage, "set: " + why);

    if (!Connect()) return Fail(kLinkFailure, m_linkError.toStdString());
    m_service->Stop();
    devlink::Outcome outcome;
    if (std::find(given.begin(), given.end(), false) != given.end()) {
        outcome = Call(devlink::ForModule(command::Get(code, id), code, id));
        if (!outcome.ok) {
            Finish();
            if (m_interrupted) return Fail(kInterrupted, "interrupted; nothing was written");
            return Fail(kLinkFailure, "set " + kind + " " + id + ": reading the values not given: " +
                                          outcome.error.toStdString() + "; nothing was written");
        }
        const std::vector<std::string> read = network::ReplyValues(outcome.reply);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!given[i]) values[i] = i < read.size() ? read[i] : std::string();
        }
        if (!CheckSetValues(code, values, &why)) {
            Finish();
            return Fail(kUsage, "set " + kind + " " + id + ": as read, " + why + "; nothing was written");
        }
    }
    const std::string line = code == "GM" ? command::SetNetKeys(values) : command::Set(code, id, values);
    outcome = Call(devlink::ForModule(line, code, id));
    // Whether the SET was answered or not, the read-back decides.
    if (outcome.ok || !LinkGone(outcome.error)) outcome = Call(devlink::ReadBackOf(command::Get(code, id), code, id));
    Finish();
    if (m_interrupted) return Fail(kInterrupted, "interrupted");
    const QJsonObject which{
        {QStringLiteral("kind"), Q(kind)}, {QStringLiteral("code"), Q(code)}, {QStringLiteral("id"), Q(id)}};
    if (outcome.ambiguous) {
        if (!m_options.json) {
            std::fprintf(m_out, "%s %s: not confirmed (%s)\n", kind.c_str(), id.c_str(), qPrintable(outcome.error));
        }
        QJsonObject doc = which;
        doc[QStringLiteral("confirmed")] = false;
        doc[QStringLiteral("reason")] = outcome.error;
        return Done(kDifferences, doc);
    }
    if (!outcome.ok) {
        return Fail(kLinkFailure, "set " + kind + " " + id + ": read-back: " + outcome.error.toStdString(), which);
    }

    const std::vector<std::string> read = network::ReplyValues(outcome.reply);
    bool confirmed = true;
    QJsonArray rows;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string back = i < read.size() ? read[i] : "";
        const bool same = network::SameValue(values[i], back);
        confirmed = confirmed && same;
        rows.append(QJsonObject{{QStringLiteral("name"), Q(fields[i])},
                                {QStringLiteral("written"), Q(values[i])},
                                {QStringLiteral("read"), Q(back)}});
        if (!m_options.json && !same) {
            std::fprintf(m_out, "%s: wrote %s, read back %s\n", fields[i].c_str(), values[i].c_str(), back.c_str());
        }
    }
    if (!m_options.json) {
        std::fprintf(m_out, "%s %s: %s\n", kind.c_str(), id.c_str(), confirmed ? "confirmed" : "differs after write");
    }
    QJsonObject doc = which;
    doc[QStringLiteral("confirmed")] = confirmed;
    doc[QStringLiteral("values")] = rows;
    return Done(confirmed ? kSuccess : kDifferences, doc);
}

bool Tool::ReadSite(network::Site& site, int* unanswered) {
    devlink::SiteReader reader(*m_client, site, Now);
    reader.SetRetries(m_options.retries);
    QObject::connect(&reader, &devlink::SiteReader::Progress, &reader, [this](int done, int total) {
        m_readDone = done;
        m_readTotal = total;
        if (done == total) Progress(done, total, "read");
    });
    reader.Start();
    Spin([&] { return !reader.Running(); });
    if (reader.Running()) m_client->Cancel();  // its callbacks must not outlive it
    *unanswered = reader.Unanswered();
    if (reader.LinkLost()) {
        m_linkError = QStringLiteral("link lost at %1 — %2 not read (%3)")
                          .arg(QString::fromStdString(reader.LostAt()))
                          .arg(reader.NotRead())
                          .arg(m_linkError.isEmpty() ? QStringLiteral("link closed") : m_linkError);
    }
    m_readTotal = 0;
    return m_linkError.isEmpty();
}

std::string Tool::KeepInHistory(const network::Site& site, const char* kind, const std::string& partial) {
    if (m_options.site.empty()) return {};
    std::string saved, error;
    if (!network::KeepInHistory(network::HistoryFolder(m_options.siteList, m_options.site), site, kind, Now(),
                                m_options.keep, &saved, &error, partial)) {
        Note("not kept in the history of " + m_options.site + ": " + error);
        return {};
    }
    return saved;
}

int Tool::ReadAll(const QString& outputFile, bool keepPartial) {
    network::Site site;
    std::string error;
    if (!network::LoadSiteIds(m_options.idFile, site, &error)) return Fail(kUsage, "the ID file " + error);
    if (!Connect()) return Fail(kLinkFailure, m_linkError.toStdString());
    m_service->Stop();
    int unanswered = 0;
    const bool linkHeld = ReadSite(site, &unanswered);
    Finish();
    QJsonObject doc{{QStringLiteral("file"), outputFile}, {QStringLiteral("unanswered"), unanswered}};
    if (m_interrupted || !linkHeld) {
        const int code = m_interrupted ? kInterrupted : kLinkFailure;
        const std::string why = m_interrupted ? "interrupted" : m_linkError.toStdString();
        if (!keepPartial) return Fail(code, why + "; nothing was written", {{QStringLiteral("partial"), false}});
        const std::string partial = m_interrupted ? "interrupted" : "link failed";
        if (const std::string kept = KeepInHistory(site, "read", partial); !kept.empty()) {
            doc[QStringLiteral("history")] = Q(kept);
        }
        if (outputFile.isEmpty()) {
            doc[QStringLiteral("partial")] = true;
            return Fail(code, why + "; what was read is kept in the history, marked partial", doc);
        }
        if (!network::SaveNetworkFile(site, outputFile.toStdString(), &error, partial)) {
            return Fail(code, why + "; " + error);
        }
        doc[QStringLiteral("partial")] = true;
        return Fail(code, why + "; what was read is in " + outputFile.toStdString() + ", marked partial", doc);
    }
    if (!outputFile.isEmpty() && !network::SaveNetworkFile(site, outputFile.toStdString(), &error)) {
        return Fail(kUsage, error);
    }
    const std::string kept = KeepInHistory(site, "read");
    if (!kept.empty()) doc[QStringLiteral("history")] = Q(kept);
    if (!m_options.json) {
        const std::string where = outputFile.isEmpty() ? "kept " + kept : "wrote " + outputFile.toStdString();
        std::fprintf(m_out, "%s%s\n", QString::fromStdString(where).toLocal8Bit().constData(),
                     unanswered ? (", " + std::to_string(unanswered) + " modules gave no answer").c_str() : "");
    }
    doc[QStringLiteral("partial")] = false;
    // Every exit of 3 carries an error, as a script reading the document expects.
    if (unanswered && m_options.json) {
        return Fail(kLinkFailure, std::to_string(unanswered) + " modules gave no answer", doc);
    }
    return Done(unanswered ? kLinkFailure : kSuccess, doc);
}

int Tool::Diff(const QString& file, const QString& other) {
    network::Site plan;
    std::string error;
    if (!network::LoadNetworkFile(file.toStdString(), plan, &error)) return Fail(kUsage, error);
    network::Site live;
    int unanswered = 0;
    if (!other.isEmpty()) {
        // Two files: the second stands for the network, no gateway needed.
        if (!network::LoadNetworkFile(other.toStdString(), live, &error)) return Fail(kUsage, error);
    } else {
        if (!Connect()) return Fail(kLinkFailure, m_linkError.toStdString());
        m_service->Stop();
        live.gateway.ids = plan.gateway.ids;
        for (std::size_t k = 0; k < live.repeaters.size(); ++k) live.repeaters[k].ids = plan.repeaters[k].ids;
        const bool linkHeld = ReadSite(live, &unanswered);
        Finish();
        if (m_interrupted) return Fail(kInterrupted, "interrupted");
        if (!linkHeld) return Fail(kLinkFailure, m_linkError.toStdString());
    }

    const std::vector<network::Difference> differences = network::PlanDifferences(plan, live);
    const auto shown = [](const network::Value& v) {
        return v.Known() ? "\"" + v.text + "\"" : std::string(network::OriginName(v.origin));
    };
    QJsonArray rows;
    for (const network::Difference& d : differences) {
        rows.append(
            QJsonObject{{QStringLiteral("path"), Q(d.path)},
                        {QStringLiteral("file"), Q(d.left.text)},
                        {QStringLiteral("network"), d.right.Known() ? QJsonValue(Q(d.right.text)) : QJsonValue()},
                        {QStringLiteral("state"), QString::fromLatin1(network::OriginName(d.right.origin))}});
        if (!m_options.json) {
            std::fprintf(m_out, "%s: file %s, %s %s\n", d.path.c_str(), shown(d.left).c_str(),
                         other.isEmpty() ? "network" : "other", shown(d.right).c_str());
        }
    }
    if (!m_options.json) {
        std::fprintf(m_out, "%zu difference%s\n", differences.size(), differences.size() == 1 ? "" : "s");
    }
    const QJsonObject doc{{QStringLiteral("differences"), rows}, {QStringLiteral("unanswered"), unanswered}};
    if (unanswered) return Fail(kLinkFailure, std::to_string(unanswered) + " modules gave no answer", doc);
    return Done(differences.empty() ? kSuccess : kDifferences, doc);
}

int Tool::Apply(const QString& file, bool dryRun, bool keepGoing) {
    network::Site plan;
    std::string error;
    if (!network::LoadNetworkFile(file.toStdString(), plan, &error)) return Fail(kUsage, error);
    if (!Connect()) return Fail(kLinkFailure, m_linkError.toStdString());
    m_service->Stop();
    network::Site live;
    live.gateway.ids = plan.gateway.ids;
    for (std::size_t k = 0; k < live.repeaters.size(); ++k) live.repeaters[k].ids = plan.repeaters[k].ids;
    int unanswered = 0;
    if (!ReadSite(live, &unanswered) || m_interrupted) {
        Finish();
        return m_interrupted ? Fail(kInterrupted, "interrupted; nothing was written")
                             : Fail(kLinkFailure, m_linkError.toStdString() + "; nothing was written");
    }
    const std::vector<network::WriteItem> items = network::PlanWrites(plan, live);
    const auto which = [](const network::WriteItem& item) {
        return QJsonObject{{QStringLiteral("module"), Q(item.module)},
                           {QStringLiteral("kind"), Q(KindOf(item.code))},
                           {QStringLiteral("code"), Q(item.code)},
                           {QStringLiteral("id"), Q(item.id)},
                           {QStringLiteral("line"), Q(Shown(item.setLine))}};
    };
    if (dryRun) {
        Finish();
        std::map<std::string, network::Difference> differences;
        for (network::Difference& d : network::PlanDifferences(plan, live)) differences.emplace(d.path, std::move(d));
        QJsonArray rows;
        for (const network::WriteItem& item : items) {
            QJsonObject row = which(item);
            row[QStringLiteral("problem")] = Q(item.problem);
            QJsonArray changes;
            for (const std::string& path : item.paths) {
                const auto d = differences.find(path);
                if (d == differences.end()) continue;
                const QJsonValue old = d->second.right.Known() ? QJsonValue(Q(d->second.right.text)) : QJsonValue();
                changes.append(QJsonObject{{QStringLiteral("path"), Q(path)},
                                           {QStringLiteral("old"), old},
                                           {QStringLiteral("new"), Q(d->second.left.text)}});
                if (!m_options.json) {
                    std::fprintf(m_out, "%s: %s \u2192 %s\n", path.c_str(), Before(d->second.right).c_str(),
                                 d->second.left.text.c_str());
                }
            }
            row[QStringLiteral("changes")] = changes;
            rows.append(row);
            if (m_options.json) continue;
            if (item.problem.empty()) {
                std::fprintf(m_out, "    %s\n", Shown(item.setLine).c_str());
            } else {
                std::fprintf(m_out, "    # %s: cannot write: %s\n", item.module.c_str(), item.problem.c_str());
            }
        }
        return Done(items.empty() ? kSuccess : kDifferences,
                    {{QStringLiteral("dryRun"), true}, {QStringLiteral("writes"), rows}});
    }

    devlink::SiteWriter writer(*m_client, live, Now);
    QObject::connect(
        &writer, &devlink::SiteWriter::Progress, &writer,
        [this](int done, int total, const QString& module) { Progress(done, total, module.toStdString()); });
    writer.Start(items, keepGoing);
    Spin([&] { return !writer.Running(); });
    if (writer.Running()) m_client->Cancel();  // its callbacks must not outlive it
    Finish();
    Progress(static_cast<int>(items.size()), static_cast<int>(items.size()), "done");
    // The site as it stands after the writes, read-backs included.
    if (!m_interrupted) KeepInHistory(live, "apply");

    bool linkFailed = false;
    QJsonArray rows;
    for (const devlink::WriteReport& r : writer.Reports()) {
        linkFailed = linkFailed || r.result == devlink::WriteResult::LinkFailed;
        QJsonObject row = which(r.item);
        row[QStringLiteral("result")] = QString::fromLatin1(devlink::WriteResultName(r.result));
        row[QStringLiteral("detail")] = Q(r.detail);
        rows.append(row);
        if (!m_options.json) {
            std::fprintf(m_out, "%s: %s%s\n", r.item.module.c_str(), devlink::WriteResultName(r.result),
                         r.detail.empty() ? "" : (" (" + r.detail + ")").c_str());
        }
    }
    const QJsonObject doc{{QStringLiteral("dryRun"), false},
                          {QStringLiteral("writes"), rows},
                          {QStringLiteral("confirmed"), writer.AllConfirmed()}};
    if (m_interrupted) return Fail(kInterrupted, "interrupted", doc);
    if (linkFailed) return Fail(kLinkFailure, "the link failed during the writes", doc);
    return Done(writer.AllConfirmed() ? kSuccess : kDifferences, doc);
}

int Tool::Monitor() {
    m_noteStrays = false;  // every frame is shown as it comes
    if (!Connect()) return Fail(kLinkFailure, m_linkError.toStdString());
    if (m_options.verbosity > 0) {
        std::fprintf(m_err, "veskora: monitoring the gateway at %s:%u; Ctrl+C to stop\n", m_options.host.c_str(),
                     m_options.port);
        std::fflush(m_err);
    }
    // A monitor sends nothing: silence is the gateway's, and noted as such.
    m_current.clear();
    m_silence.start(m_options.silenceNoteMs);
    QObject::connect(
        m_channel.get(), &devlink::Channel::ReplyReceived, m_channel.get(),
        [this](const devlink::Reply& reply, const std::string& frame) {
            m_silence.start(m_options.silenceNoteMs);
            const QString time = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
            const std::vector<std::string> names = network::FieldNames(reply.tag);
            const std::vector<std::string> read = network::ReplyValues(reply);
            if (m_options.json) {
                PrintJson(
                    {{QStringLiteral("time"), time},
                     {QStringLiteral("kind"), reply.tagIndex < 0 ? QJsonValue() : QJsonValue(Q(KindOf(reply.tag)))},
                     {QStringLiteral("code"), Q(reply.tag)},
                     {QStringLiteral("id"), Q(reply.moduleId)},
                     {QStringLiteral("message"), reply.textMessage ? QJsonValue(Q(frame)) : QJsonValue()},
                     {QStringLiteral("values"), NamedValuesJson(names, read)}});
            } else if (reply.textMessage) {
                std::fprintf(m_out, "%s message %s\n", time.toUtf8().constData(), frame.c_str());
            } else if (reply.tagIndex < 0) {
                std::fprintf(m_out, "%s unknown tag \"%s\" (%zu bytes)\n", time.toUtf8().constData(), reply.tag.c_str(),
                             frame.size());
            } else {
                std::string line = KindOf(reply.tag) + " " + reply.moduleId;
                for (std::size_t i = 0; i < names.size() && i < read.size(); ++i)
                    line += "  " + names[i] + "=" + read[i];
                std::fprintf(m_out, "%s %s\n", time.toUtf8().constData(), line.c_str());
            }
            std::fflush(m_out);
        });
    Spin([&] { return !m_linkError.isEmpty(); });
    m_silence.stop();
    if (m_channel) m_channel->Close();
    // Ctrl+C is how a monitor ends, and it ends as every interrupted command does.
    if (m_interrupted) return Fail(kInterrupted, "interrupted");
    return Fail(kLinkFailure, m_linkError.toStdString());
}

}  // namespace cli
