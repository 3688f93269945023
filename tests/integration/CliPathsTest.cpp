// The command-line tool's quieter paths, and the simulated gateway's
// misbehaviours that the other tests do not lean on.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTcpSocket>
#include <csignal>
#include <set>

#include "support/ToolAgainstGateway.h"
#include "wire/FrameAssembler.h"
#include "wire/ReplyFrame.h"

namespace {

using CliPaths = ToolAgainstGateway;

// A client of the simulated gateway that sends lines and keeps every byte back.
class RawClient {
public:
    explicit RawClient(quint16 port) {
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { received += m_socket.readAll().toStdString(); });
        m_socket.connectToHost(QHostAddress::LocalHost, port);
    }
    bool Connected() { return m_socket.waitForConnected(3000); }
    void Send(const std::string& line) { m_socket.write(line.data(), qint64(line.size())); }
    // The reply frames and messages received, cut as the tool cuts them.
    std::vector<std::string> Frames() const { return devlink::FrameAssembler().Feed(received); }

    std::string received;

private:
    QTcpSocket m_socket;
};

std::string IdOf(const std::string& frame) { return devlink::DecodeReply(frame, false).moduleId; }

}  // namespace

TEST_F(CliPaths, MonitorPrintsEveryFrameOfAFloodSendsNothingAndCtrlCEndsItWith130) {
    gatewaysim::Options flood;
    flood.floodOnConnect = 300;
    StartGateway(flood);
    const auto idsShown = [](const std::string& out) {
        std::set<std::string> ids;
        for (std::size_t at = out.find(" radio "); at != std::string::npos; at = out.find(" radio ", at + 1)) {
            ids.insert(out.substr(at + 7, 6));
        }
        return ids;
    };
    bool interrupted = false;
    const ToolRun r = Veskora({"monitor"}, [&](QProcess& p, const ToolRun& sofar) {
        if (!interrupted && idsShown(sofar.out).size() == 300) {
            ::kill(static_cast<pid_t>(p.processId()), SIGINT);
            interrupted = true;
        }
    });
    EXPECT_TRUE(interrupted) << r.out.substr(0, 400) << r.err;
    EXPECT_EQ(r.exitCode, 130) << r.err;
    const std::set<std::string> ids = idsShown(r.out);
    EXPECT_EQ(ids.size(), 300u);
    EXPECT_TRUE(ids.count("100001") && ids.count("100300"));
    EXPECT_EQ(AllReceived(), "");  // a monitor only listens: the service is left as it is
}

TEST_F(CliPaths, WithTheServiceStoppedAlreadyNeitherStopNorRestartIsSent) {
    StartGateway();
    const ToolRun r = Veskora({"--service-stopped", "get", "netkeys"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("NET KEY AUTO: AUT\n"), std::string::npos) << r.out;
    EXPECT_EQ(AllReceived(), "AT+GET GM FFFFFF\r\n");
}

TEST_F(CliPaths, DiffOfTwoFilesComparesThemWithoutAGateway) {
    StartGateway();
    ASSERT_EQ(Veskora({"read-all", "-o", "site.xml"}).exitCode, 0);
    sim.reset();  // from here on the tool is given a closed port
    std::string plan = ReadFile(Path("site.xml"));
    Replace(plan, "path=\"repeater 1 / SX1276 2 / frequency\" state=\"read\"",
            "path=\"repeater 1 / SX1276 2 / frequency\"");
    Replace(plan, ">2402000000</Value>\r\n<Value path=\"repeater 1 / SX1276 2 / NET key\"",
            ">868000000</Value>\r\n<Value path=\"repeater 1 / SX1276 2 / NET key\"");
    Write("plan.xml", plan);

    ToolRun r = Veskora({"diff", "plan.xml", "site.xml"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out, "repeater 1 / SX1276 2 / frequency: file \"868000000\", other \"2402000000\"\n1 difference\n");
    r = Veskora({"diff", "site.xml", "site.xml"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "0 differences\n");
    EXPECT_EQ(Veskora({"diff", "plan.xml", "missing.xml"}).exitCode, 2);
}

TEST(SimulatedGateway, DollarMessagesFollowEachReply) {
    gatewaysim::Options o;
    o.dollarMessages = true;
    const auto sim = gatewaysim::StartInProcess(o);
    ASSERT_TRUE(sim);
    RawClient client(sim->Port());
    ASSERT_TRUE(client.Connected());
    client.Send("AT+GET G2 A00001\r\nAT+GET G2 A00002\r\n");
    const std::string done = "$DONE";
    // Two messages in: the first and the last "$DONE" differ.
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.received.rfind(done) > client.received.find(done); }, 3000));
    // reply, message, reply, message; each reply whole by its own length byte
    const std::size_t first = client.received.find(done);
    const std::string one = client.received.substr(0, first);
    const std::string two =
        client.received.substr(first + done.size(), client.received.size() - first - 2 * done.size());
    EXPECT_EQ(client.received, one + done + two + done);
    for (const auto& [frame, id] : {std::pair(one, "A00001"), std::pair(two, "A00002")}) {
        ASSERT_GT(frame.size(), devlink::kLengthOffset);
        EXPECT_EQ(std::size_t{static_cast<unsigned char>(frame[devlink::kLengthOffset])}, frame.size());
        EXPECT_EQ(IdOf(frame), id);
    }
}

TEST(SimulatedGateway, DropEveryLeavesEveryNthCommandUnanswered) {
    gatewaysim::Options o;
    o.dropEvery = 2;
    const auto sim = gatewaysim::StartInProcess(o);
    ASSERT_TRUE(sim);
    RawClient client(sim->Port());
    ASSERT_TRUE(client.Connected());
    client.Send("AT+GET G2 A00001\r\nAT+GET G2 A00002\r\nAT+GET G2 A00003\r\nAT+GET G2 A00004\r\nAT+GET G2 A00005\r\n");
    // Replies go out in order: once the fifth is in, the second and fourth had their turn.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto frames = client.Frames();
            return !frames.empty() && IdOf(frames.back()) == "A00005";
        },
        3000));
    std::vector<std::string> ids;
    for (const std::string& frame : client.Frames()) ids.push_back(IdOf(frame));
    EXPECT_EQ(ids, (std::vector<std::string>{"A00001", "A00003", "A00005"}));
}

TEST_F(CliPaths, SilenceIsExplainedProgressNamesTheModuleAndQuietAndVerboseAreHeard) {
    gatewaysim::Options silent;
    silent.silentIds = {"R10092"};
    StartGateway(silent);
    // The note's wait is shortened below the reply timeout, so it comes before the timeout ends the wait.
    environment.insert(QStringLiteral("VESKORA_SILENCE_NOTE_MS"), QStringLiteral("50"));
    const std::string note = "no reply from sx1276 R10092 for 50 ms; is another client connected to the gateway?";
    ToolRun r = Veskora({"get", "sx1276", "R10092"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find(note), std::string::npos) << r.err;
    r = Veskora({"-q", "get", "sx1276", "R10092"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err.find("no reply from"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("no answer within 500 ms"), std::string::npos) << r.err;  // errors still come

    // -v: every line, with its time, both ways.
    r = Veskora({"get", "radio", "A00001", "-v"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const QRegularExpression sent(
        QStringLiteral("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3} sent +AT\\+GET G2 A00001\\n"));
    EXPECT_TRUE(sent.match(QString::fromStdString(r.err)).hasMatch()) << r.err;
    EXPECT_NE(r.err.find(" received radio A00001  frequency="), std::string::npos) << r.err;

    // On a terminal the progress bar names the module under way.
    const QString line = QStringLiteral("'%1' %2 read-all -o site.xml")
                             .arg(QStringLiteral(VESKORA_CLI), GlobalOptions().join(QLatin1Char(' ')));
    r = Run(QStringLiteral("script"), {QStringLiteral("-qec"), line, QStringLiteral("/dev/null")});
    EXPECT_EQ(r.exitCode, 3) << r.out;  // R10092 gave no answer
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\\] \\d+/\\d+ sx1276 R10092 "))
                    .match(QString::fromStdString(r.out))
                    .hasMatch())
        << r.out;

    // The monitor's banner, and a line when nothing came.
    sim.reset();
    StartGateway();
    bool stopped = false;
    r = Veskora({"monitor"}, [&](QProcess& p, const ToolRun& sofar) {
        if (!stopped && sofar.err.find("nothing received for 50 ms") != std::string::npos) {
            ::kill(static_cast<pid_t>(p.processId()), SIGINT);
            stopped = true;
        }
    });
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_EQ(r.err.rfind("veskora: monitoring the gateway at 127.0.0.1:", 0), 0u) << r.err;
}

TEST_F(CliPaths, BashCompletesCommandsValueNamesOptionsAndFilesAsTheToolTakesThem) {
    Write("plan.xml", "");
    const auto complete = [&](const std::string& line) {
        const QString script =
            QStringLiteral("source '" VESKORA_SOURCE_DIR
                           "/dist/completion/veskora.bash'; read -ra COMP_WORDS <<<\"$1\"; "
                           "[[ $1 == *' ' ]] && COMP_WORDS+=(''); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _veskora; "
                           "((${#COMPREPLY[@]} == 0)) || printf '%s\\n' \"${COMPREPLY[@]}\"");
        const ToolRun r =
            Run(QStringLiteral("bash"), {QStringLiteral("--norc"), QStringLiteral("--noprofile"), QStringLiteral("-c"),
                                         script, QStringLiteral("bash"), QString::fromStdString(line)});
        EXPECT_EQ(r.exitCode, 0) << line << r.err;
        return r.out;
    };
    const std::pair<std::string, std::string> cases[] = {
        {"veskora re", "read-all\n"},
        {"veskora get sx", "sx1280\nsx1276\n"},
        {"veskora --ga", "--gateway\n"},
        {"veskora --timeout 900 se", "set\n"},
        {"veskora set sx1276 R10092 --b", "--busy-sf\n"},
        {"veskora set node N1 --frequency 1 --su", "--sub-net-key\n--super-id\n"},
        {"veskora set sx1276 R10092 --frequency ", ""},
        {"veskora read-all --k", "--keep-partial\n"},
        {"veskora apply --d", "--dry-run\n"},
        {"veskora apply pl", "plan.xml\n"},
        {"veskora --ids id", "ids.xml\n"},
    };
    for (const auto& [line, expected] : cases) EXPECT_EQ(complete(line), expected) << line;

    // What it offers, the tool takes: every command, and every value option of every kind.
    for (const QString& command : QString::fromStdString(complete("veskora ")).split(u'\n', Qt::SkipEmptyParts)) {
        const ToolRun r = Run(QStringLiteral(VESKORA_CLI), {command, QStringLiteral("--help")});
        EXPECT_EQ(r.exitCode, 0) << command.toStdString() << r.err;
    }
    for (const QString& kind : QString::fromStdString(complete("veskora set ")).split(u'\n', Qt::SkipEmptyParts)) {
        QStringList args{QStringLiteral("set"), kind, QStringLiteral("X1")};
        for (const QString& option : QString::fromStdString(complete("veskora set " + kind.toStdString() + " X1 --"))
                                         .split(u'\n', Qt::SkipEmptyParts)) {
            if (option != QStringLiteral("--help")) args << option << QStringLiteral("1");
        }
        args << QStringLiteral("--help");
        const ToolRun r = Run(QStringLiteral(VESKORA_CLI), args);
        EXPECT_EQ(r.exitCode, 0) << kind.toStdString() << r.err;
    }
}
