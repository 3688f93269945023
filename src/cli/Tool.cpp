#include "cli/Tool.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QDateTime>
#include <QJsonDocument>

#include "cli/Arguments.h"
#include "ids/DocumentsFolder.h"
#include "link/SiteReader.h"
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

bool LinkGone(const QString& error) {
    return error.startsWith(QStringLiteral("link closed")) || error.startsWith(QStringLiteral("no link"));
}

}  // namespace

Tool::Tool(GlobalOptions options, std::FILE* out, std::FILE* err)
    : m_options(std::move(options)), m_out(out), m_err(err) {
    m_progress = !m_options.json && isatty(fileno(m_err)) != 0;
    if (m_options.idFile.empty()) m_options.idFile = ids::LocateIdFile().idFilePath;
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
    // A reply that answers nothing asked is never taken; the technician hears of it.
    QObject::connect(
        m_client.get(), &devlink::GatewayClient::Unmatched, m_client.get(), [this](const devlink::Reply& reply) {
            if (!m_noteStrays || m_options.json || reply.textMessage || reply.tag.empty()) return;
            std::fprintf(m_err, "%sveskora: ignored a reply that answers no command: %s %s\n", m_progress ? "\n" : "",
                         network::Quoted(reply.tag).c_str(), network::Quoted(reply.moduleId).c_str());
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

int Tool::Fail(int code, const std::string& message) {
    if (m_progress) std::fprintf(m_err, "\n");
    // Messages are UTF-8 (values in them are quoted so); the terminal may want another encoding.
    std::fprintf(m_err, "veskora: %s\n", QString::fromStdString(message).toLocal8Bit().constData());
    return code;
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
    const std::string code = CodeOf(args.value(0).toStdString());
    if (code.empty()) {
        return Fail(kUsage, "get: unknown value name \"" + args.value(0).toStdString() + "\"; known: " + KnownNames());
    }
    std::string id = textcodec::ToNarrow(args.value(1));
    if (code == "GM" && id.empty()) id = "FFFFFF";
    if (id.empty()) return Fail(kUsage, "get " + args.value(0).toStdString() + ": the module ID is missing");
    if (args.size() > 2) return Fail(kUsage, "get: too many arguments");
    if (const std::string why = network::IdProblem(id); !why.empty()) {
        return Fail(kUsage, "get: the module ID " + network::Quoted(id) + " " + why);
    }
    if (!Connect()) return Fail(kLinkFailure, m_linkError.toStdString());
    m_service->Stop();
    const devlink::Outcome outcome = Call(devlink::ForModule(command::Get(code, id), code, id));
    Finish();
    if (m_interrupted) return Fail(kInterrupted, "interrupted");
    if (!outcome.ok) return Fail(kLinkFailure, "get " + code + " " + id + ": " + outcome.error.toStdString());

    const std::vector<std::string> names = network::FieldNames(code);
    const std::vector<std::string> values = network::ReplyValues(outcome.reply);
    if (m_options.json) {
        QJsonObject named;
        for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) named[Q(names[i])] = Q(values[i]);
        PrintJson({{QStringLiteral("code"), Q(code)},
                   {QStringLiteral("id"), Q(outcome.reply.moduleId)},
                   {QStringLiteral("values"), named}});
    } else {
        for (std::size_t i = 0; i < names.size() && i < values.size(); ++i) {
            std::fprintf(m_out, "%s: %s\n", names[i].c_str(), values[i].c_str());
        }
    }
    return kSuccess;
}

int Tool::Set(const QStringList& args) {
    const std::string code = CodeOf(args.value(0).toStdString());
    if (code.empty()) {
        return Fail(kUsage, "set: unknown value name \"" + args.value(0).toStdString() + "\"; known: " + KnownNames());
    }
    QStringList rest = args.mid(1);
    std::string id = "FFFFFF";
    if (code != "GM" || (rest.size() == 22 && rest.front() == QStringLiteral("FFFFFF"))) {
        if (rest.isEmpty()) return Fail(kUsage, "set " + args.value(0).toStdString() + ": the module ID is missing");
        id = textcodec::ToNarrow(rest.takeFirst());
    }
    std::vector<std::string> values;
    for (const QString& v : rest) values.push_back(textcodec::ToNarrow(v));
    std::string why = network::IdProblem(id);
    if (!why.empty()) return Fail(kUsage, "set: the module ID " + network::Quoted(id) + " " + why);
    if (!CheckSetValues(code, values, &why)) return Fail(kUsage, "set: " + why);

    if (!Connect()) return Fail(kLinkFailure, m_linkError.toStdString());
    m_service->Stop();
    const std::string line = code == "GM" ? command::SetNetKeys(values) : command::Set(code, id, values);
    devlink::Outcome outcome = Call(devlink::ForModule(line, code, id));
    // Whether the SET was answered or not, the read-back decides.
    if (outcome.ok || !LinkGone(outcome.error)) outcome = Call(devlink::ReadBackOf(command::Get(code, id), code, id));
    Finish();
    if (m_interrupted) return Fail(kInterrupted, "interrupted");
    if (outcome.ambiguous) {
        if (m_options.json) {
            PrintJson({{QStringLiteral("code"), Q(code)},
                       {QStringLiteral("id"), Q(id)},
                       {QStringLiteral("confirmed"), false},
                       {QStringLiteral("reason"), outcome.error}});
        } else {
            std::fprintf(m_out, "%s %s: not confirmed (%s)\n", code.c_str(), id.c_str(), qPrintable(outcome.error));
        }
        return kDifferences;
    }
    if (!outcome.ok)
        return Fail(kLinkFailure, "set " + code + " " + id + ": read-back: " + outcome.error.toStdString());

    const std::vector<std::string> names = network::FieldNames(code);
    const std::vector<std::string> read = network::ReplyValues(outcome.reply);
    bool confirmed = true;
    QJsonArray rows;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string back = i < read.size() ? read[i] : "";
        const bool same = network::SameValue(values[i], back);
        confirmed = confirmed && same;
        if (m_options.json) {
            rows.append(QJsonObject{{QStringLiteral("name"), Q(names[i])},
                                    {QStringLiteral("written"), Q(values[i])},
                                    {QStringLiteral("read"), Q(back)}});
        } else if (!same) {
            std::fprintf(m_out, "%s: wrote %s, read back %s\n", names[i].c_str(), values[i].c_str(), back.c_str());
        }
    }
    if (m_options.json) {
        PrintJson({{QStringLiteral("code"), Q(code)},
                   {QStringLiteral("id"), Q(id)},
                   {QStringLiteral("confirmed"), confirmed},
                   {QStringLiteral("values"), rows}});
    } else {
        std::fprintf(m_out, "%s %s: %s\n", code.c_str(), id.c_str(), confirmed ? "confirmed" : "differs after write");
    }
    return confirmed ? kSuccess : kDifferences;
}

bool Tool::ReadSite(network::Site& site, int* unanswered) {
    devlink::SiteReader reader(*m_client, site, Now);
    reader.SetRetries(m_options.retries);
    QObject::connect(
        &reader, &devlink::SiteReader::Progress, &reader,
        [this](int done, int total, const QString& module) { Progress(done, total, "read " + module.toStdString()); });
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
    return m_linkError.isEmpty();
}

int Tool::ReadAll(const QString& outputFile) {
    network::Site site;
    std::string error;
    if (!network::LoadSiteIds(m_options.idFile, site, &error)) return Fail(kUsage, "the ID file " + error);
    if (!Connect()) return Fail(kLinkFailure, m_linkError.toStdString());
    m_service->Stop();
    int unanswered = 0;
    const bool linkHeld = ReadSite(site, &unanswered);
    Finish();
    if (m_interrupted) return Fail(kInterrupted, "interrupted; nothing was written");
    if (!linkHeld) return Fail(kLinkFailure, m_linkError.toStdString() + "; nothing was written");
    if (!network::SaveNetworkFile(site, outputFile.toStdString(), &error)) return Fail(kUsage, error);
    if (m_options.json) {
        PrintJson({{QStringLiteral("file"), outputFile}, {QStringLiteral("unanswered"), unanswered}});
    } else {
        std::fprintf(m_out, "wrote %s%s\n", outputFile.toLocal8Bit().constData(),
                     unanswered ? (", " + std::to_string(unanswered) + " modules gave no answer").c_str() : "");
    }
    return unanswered ? kLinkFailure : kSuccess;
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
        if (m_options.json) {
            rows.append(
                QJsonObject{{QStringLiteral("path"), Q(d.path)},
                            {QStringLiteral("file"), Q(d.left.text)},
                            {QStringLiteral("network"), d.right.Known() ? QJsonValue(Q(d.right.text)) : QJsonValue()},
                            {QStringLiteral("state"), QString::fromLatin1(network::OriginName(d.right.origin))}});
        } else {
            std::fprintf(m_out, "%s: file %s, %s %s\n", d.path.c_str(), shown(d.left).c_str(),
                         other.isEmpty() ? "network" : "other", shown(d.right).c_str());
        }
    }
    if (m_options.json) {
        PrintJson({{QStringLiteral("differences"), rows}, {QStringLiteral("unanswered"), unanswered}});
    } else {
        std::fprintf(m_out, "%zu difference%s\n", differences.size(), differences.size() == 1 ? "" : "s");
    }
    if (unanswered) return Fail(kLinkFailure, std::to_string(unanswered) + " modules gave no answer");
    return differences.empty() ? kSuccess : kDifferences;
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
    if (dryRun) {
        Finish();
        QJsonArray rows;
        for (const network::WriteItem& item : items) {
            if (m_options.json) {
                rows.append(QJsonObject{{QStringLiteral("module"), Q(item.module)},
                                        {QStringLiteral("line"), Q(Shown(item.setLine))},
                                        {QStringLiteral("problem"), Q(item.problem)}});
            } else if (item.problem.empty()) {
                std::fprintf(m_out, "%s\n", Shown(item.setLine).c_str());
            } else {
                std::fprintf(m_out, "# %s: cannot write: %s\n", item.module.c_str(), item.problem.c_str());
            }
        }
        if (m_options.json) PrintJson({{QStringLiteral("dryRun"), true}, {QStringLiteral("writes"), rows}});
        return items.empty() ? kSuccess : kDifferences;
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

    bool linkFailed = false;
    QJsonArray rows;
    for (const devlink::WriteReport& r : writer.Reports()) {
        linkFailed = linkFailed || r.result == devlink::WriteResult::LinkFailed;
        if (m_options.json) {
            rows.append(QJsonObject{{QStringLiteral("module"), Q(r.item.module)},
                                    {QStringLiteral("line"), Q(Shown(r.item.setLine))},
                                    {QStringLiteral("result"), QString::fromLatin1(devlink::WriteResultName(r.result))},
                                    {QStringLiteral("detail"), Q(r.detail)}});
        } else {
            std::fprintf(m_out, "%s: %s%s\n", r.item.module.c_str(), devlink::WriteResultName(r.result),
                         r.detail.empty() ? "" : (" (" + r.detail + ")").c_str());
        }
    }
    if (m_options.json)
        PrintJson({{QStringLiteral("writes"), rows}, {QStringLiteral("confirmed"), writer.AllConfirmed()}});
    if (m_interrupted) return Fail(kInterrupted, "interrupted");
    if (linkFailed) return Fail(kLinkFailure, "the link failed during the writes");
    return writer.AllConfirmed() ? kSuccess : kDifferences;
}

int Tool::Monitor() {
    m_noteStrays = false;  // every frame is shown as it comes
    if (!Connect()) return Fail(kLinkFailure, m_linkError.toStdString());
    QObject::connect(
        m_channel.get(), &devlink::Channel::FrameReceived, m_channel.get(), [this](const std::string& frame) {
            const devlink::Reply reply = devlink::DecodeReply(frame, false);
            const QString time = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
            if (m_options.json) {
                QJsonObject values;
                const std::vector<std::string> names = network::FieldNames(reply.tag);
                const std::vector<std::string> read = network::ReplyValues(reply);
                for (std::size_t i = 0; i < names.size() && i < read.size(); ++i) values[Q(names[i])] = Q(read[i]);
                PrintJson({{QStringLiteral("time"), time},
                           {QStringLiteral("tag"), Q(reply.tag)},
                           {QStringLiteral("id"), Q(reply.moduleId)},
                           {QStringLiteral("message"), reply.textMessage ? QJsonValue(Q(frame)) : QJsonValue()},
                           {QStringLiteral("values"), values}});
            } else if (reply.textMessage) {
                std::fprintf(m_out, "%s message %s\n", time.toUtf8().constData(), frame.c_str());
            } else if (reply.tagIndex < 0) {
                std::fprintf(m_out, "%s unknown tag \"%s\" (%zu bytes)\n", time.toUtf8().constData(), reply.tag.c_str(),
                             frame.size());
            } else {
                std::string line = reply.tag + " " + reply.moduleId;
                const std::vector<std::string> names = network::FieldNames(reply.tag);
                const std::vector<std::string> read = network::ReplyValues(reply);
                for (std::size_t i = 0; i < names.size() && i < read.size(); ++i)
                    line += "  " + names[i] + "=" + read[i];
                std::fprintf(m_out, "%s %s\n", time.toUtf8().constData(), line.c_str());
            }
            std::fflush(m_out);
        });
    Spin([&] { return !m_linkError.isEmpty(); });
    if (m_channel) m_channel->Close();
    // Ctrl+C is how a monitor ends, and it ends as every interrupted command does.
    if (m_interrupted) return kInterrupted;
    return Fail(kLinkFailure, m_linkError.toStdString());
}

}  // namespace cli
