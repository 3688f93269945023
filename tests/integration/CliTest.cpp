// The command-line tool as a technician runs it: a process against a
// simulated gateway on a free loopback port.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <csignal>

#include "GatewayServer.h"
#include "support/ToolAgainstGateway.h"

namespace {

class Cli : public ToolAgainstGateway {
protected:
    // Whether the last line the gateway got restarted its service; the
    // gateway may read it a moment after the tool has ended.
    bool Restarted() const {
        return QTest::qWaitFor(
            [&] {
                const std::string& got = sim->Received();
                return got.size() >= 11 && got.compare(got.size() - 11, 11, "AT+SEND R\r\n") == 0;
            },
            2000);
    }
};

}  // namespace

TEST_F(Cli, BackUpEditDiffApplyAndReadBackTheSame) {
    StartGateway();
    ToolRun r = Veskora({"read-all", "-o", "site.xml"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    // The service is stopped first and started again at the end.
    EXPECT_EQ(sim->Received().rfind("AT+STOP\r\n", 0), 0u);
    EXPECT_TRUE(Restarted());

    std::string file = ReadFile(Path("site.xml"));
    Replace(file, "path=\"repeater 1 / SX1276 2 / frequency\" state=\"read\"",
            "path=\"repeater 1 / SX1276 2 / frequency\"");
    Replace(file, ">2402000000</Value>\r\n<Value path=\"repeater 1 / SX1276 2 / NET key\"",
            ">868000000</Value>\r\n<Value path=\"repeater 1 / SX1276 2 / NET key\"");
    Write("plan.xml", file);

    r = Veskora({"diff", "plan.xml"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("repeater 1 / SX1276 2 / frequency: file \"868000000\", network \"2402000000\""),
              std::string::npos)
        << r.out;

    const std::size_t before = sim->Received().size();
    r = Veskora({"apply", "--dry-run", "plan.xml"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "repeater 1 / SX1276 2 / frequency: 2402000000 \u2192 868000000\n"
              "    AT+SET R9 R10092 868000000 0000 7\n");
    EXPECT_EQ(sim->Received().find("AT+SET", before), std::string::npos) << "a dry run sent a SET";

    r = Veskora({"apply", "plan.xml"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "repeater 1 / SX1276 2: confirmed\n");
    EXPECT_EQ(Veskora({"diff", "plan.xml"}).exitCode, 0);
    ASSERT_EQ(Veskora({"read-all", "-o", "after.xml"}).exitCode, 0);
    EXPECT_EQ(Veskora({"diff", "after.xml"}).exitCode, 0);
    EXPECT_EQ(Veskora({"--json", "get", "sx1276", "R10092"}).out,
              "{\"code\":\"R9\",\"exit\":0,\"id\":\"R10092\",\"kind\":\"sx1276\",\"values\":[{\"name\":\"frequency\","
              "\"value\":\"868000000\"},{\"name\":\"NET "
              "key\",\"value\":\"0000\"},{\"name\":\"busy/SF\",\"value\":\"7\"}]}\n");

    // By name: the values not given are read first and go back as read.
    const std::size_t sent = sim->Received().size();
    r = Veskora({"set", "sx1276", "R10092", "--busy-sf", "9"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "sx1276 R10092: confirmed\n");
    EXPECT_NE(sim->Received().find("AT+GET R9 R10092\r\nAT+SET R9 R10092 868000000 0000 9\r\n", sent),
              std::string::npos)
        << sim->Received().substr(sent);
}

TEST_F(Cli, KeysGoIntoFilesOfTheUserAloneAndNeverIntoAnError) {
    const ScopedUmask usual(022);  // veskora inherits it
    StartGateway();
    ASSERT_EQ(Veskora({"read-all", "-o", "site.xml"}).exitCode, 0);
    EXPECT_EQ(FileMode(Path("site.xml")), 0600);
    EXPECT_NE(ReadFile(Path("site.xml")).find(">K101</Value>"), std::string::npos);
    Write("open.xml", "");
    ::chmod(Path("open.xml").c_str(), 0644);
    ASSERT_EQ(Veskora({"read-all", "-o", "open.xml"}).exitCode, 0);
    EXPECT_EQ(FileMode(Path("open.xml")), 0600);
    const ToolRun r = Veskora({"set", "sx1276", "R10092", "868000000", "SE CRET", "7"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err.find("SE CRET"), std::string::npos) << r.err;
}

TEST_F(Cli, EveryFailureEndsWithItsResultAndExitCode) {
    // Usage and bad input: 2, nothing sent.
    EXPECT_EQ(Veskora({"get", "frequency", "A00001"}).exitCode, 2);
    EXPECT_EQ(Veskora({"set", "radio", "A00001", "24x"}).exitCode, 2);
    EXPECT_EQ(Veskora({"diff", "missing.xml"}).exitCode, 2);
    EXPECT_EQ(Veskora({"--gateway", "127.0.0.1:70000", "get", "netkeys"}).exitCode, 2);
    // A closed port: 3.
    ToolRun r = Veskora({"--gateway", "127.0.0.1:1", "get", "netkeys"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("cannot connect to 127.0.0.1:1"), std::string::npos) << r.err;

    StartGateway();
    ASSERT_EQ(Veskora({"read-all", "-o", "site.xml"}).exitCode, 0);
    std::string plan = ReadFile(Path("site.xml"));
    // busy/SF 9 for the first four radio modules (SX1280 A, B, SX1276 1, 2).
    for (int n = 0; n < 4; ++n) {
        Replace(plan, "\">7</Value>\r\n<Value path=\"repeater 1 / S", "\">9</Value>\r\n<Value path=\"repeater 1 / S");
    }
    Write("plan.xml", plan);

    // A module that never answers: that write ends "no answer", the rest are
    // not attempted unless told to go on; exit 1, the service started again.
    sim.reset();
    gatewaysim::Options silent;
    silent.silentIds = {"R10091"};
    StartGateway(silent);
    r = Veskora({"apply", "plan.xml"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out,
              "repeater 1 / SX1280 A: confirmed\nrepeater 1 / SX1280 B: confirmed\n"
              "repeater 1 / SX1276 1: no answer (read-back: no answer within 500 ms)\n"
              "repeater 1 / SX1276 2: not attempted\n");
    EXPECT_TRUE(Restarted());
    r = Veskora({"apply", "--keep-going", "plan.xml"});
    EXPECT_NE(r.out.find("repeater 1 / SX1276 2: confirmed"), std::string::npos) << r.out;

    // The link dropped in the middle: the item on the wire fails with the reason, the rest are not attempted; 3.
    sim.reset();
    gatewaysim::Options drops;
    drops.closeAfter = 16;  // the stop, 13 reads, then the first write and its read-back, then the second SET
    StartGateway(drops);
    r = Veskora({"apply", "plan.xml"});
    EXPECT_EQ(r.exitCode, 3) << r.out << r.err;
    EXPECT_EQ(r.out,
              "repeater 1 / SX1280 A: confirmed\n"
              "repeater 1 / SX1280 B: link failed (read-back: link closed: the gateway closed the link)\n"
              "repeater 1 / SX1276 1: not attempted\nrepeater 1 / SX1276 2: not attempted\n");

    // Replies with the wrong tag answer nothing: without retries read-all marks them and says so.
    sim.reset();
    gatewaysim::Options badTags;
    badTags.badTags = true;
    StartGateway(badTags);
    r = Veskora({"--retries", "0", "read-all", "-o", "bad.xml"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(ReadFile(Path("bad.xml")).find("state=\"no answer\""), std::string::npos);
    r = Veskora({"--json", "--retries", "0", "read-all", "-o", "bad.xml"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.out.find(" modules gave no answer\",\"exit\":3,"), std::string::npos) << r.out;
}

TEST_F(Cli, CtrlCEndsTheRunAndStartsTheServiceAgain) {
    gatewaysim::Options slow;
    slow.latencyMs = 200;
    StartGateway(slow);
    for (const bool keep : {false, true}) {
        bool sent = false;
        const std::size_t before = sim->Received().size();
        const auto interrupt = [&](QProcess& p, const ToolRun&) {
            if (!sent && sim->Received().find("AT+GET G2", before) != std::string::npos) {
                ::kill(static_cast<pid_t>(p.processId()), SIGINT);
                sent = true;
            }
        };
        const ToolRun r = keep ? Veskora({"read-all", "--keep-partial", "-o", "site.xml"}, interrupt)
                               : Veskora({"read-all", "-o", "site.xml"}, interrupt);
        EXPECT_EQ(r.exitCode, 130) << r.err;
        EXPECT_TRUE(Restarted());
        // Kept only when asked, and then marked, with the NET KEYs read before the interrupt.
        EXPECT_EQ(QFile::exists(QString::fromStdString(Path("site.xml"))), keep);
        if (!keep) continue;
        const std::string file = ReadFile(Path("site.xml"));
        EXPECT_EQ(file.rfind("<VeskoraNetwork format=\"1\" partial=\"interrupted\">", 0), 0u) << file.substr(0, 80);
        EXPECT_NE(file.find("path=\"gateway / NET KEY AUTO\" state=\"read\""), std::string::npos);
        EXPECT_EQ(file.find("repeater 1 / SX1276 2 / frequency"), std::string::npos);
    }
}

TEST_F(Cli, ALinkFailureKeepsWhatWasReadOnlyWhenAskedAndTheMarkedFileReadsAsAPlan) {
    gatewaysim::Options drops;
    drops.closeAfter = 4;  // the stop, the NET KEYs and both gateway radios
    StartGateway(drops);
    ToolRun r = Veskora({"read-all", "-o", "site.xml"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("nothing was written"), std::string::npos) << r.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("site.xml"))));

    sim.reset();
    StartGateway(drops);
    r = Veskora({"--json", "read-all", "--keep-partial", "-o", "site.xml"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.out.find("\"partial\":true"), std::string::npos) << r.out;
    const std::string file = ReadFile(Path("site.xml"));
    EXPECT_NE(file.find("partial=\"link failed\""), std::string::npos) << file.substr(0, 80);
    EXPECT_NE(file.find("path=\"gateway / SX1280 B / frequency\" state=\"read\""), std::string::npos);
    // Read like any other file: against itself, no difference.
    r = Veskora({"diff", "site.xml", "site.xml"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST_F(Cli, NothingReachesTheWireThatNobodyMeantAndNoFalseConfirmation) {
    StartGateway();
    // An argument or a plan value holding a line end is refused before anything is sent: 2.
    ToolRun r = Veskora({"get", "sx1276", "R10092\r\nAT+SET G2 A00001 1"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("the module ID \"R10092\\r\\nAT+SET G2 A00001 1\" holds a line break"), std::string::npos)
        << r.err;
    r = Veskora({"set", "sx1276", "R10092", "868000000", "00\t00", "7"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("holds the control character 0x09"), std::string::npos) << r.err;
    Write("plan.xml",
          "<VeskoraNetwork format=\"1\">\n<Module path=\"repeater 1 / SX1276 2\" id=\"R10092\"/>\n"
          "<Value path=\"repeater 1 / SX1276 2 / NET key\">0000&#13;&#10;AT+SET G2 A00001 1</Value>\n"
          "</VeskoraNetwork>");
    r = Veskora({"apply", "plan.xml"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("plan.xml: line 3: repeater 1 / SX1276 2 / NET key"), std::string::npos) << r.err;
    // A FIFO is no network file: refused at once, not waited on.
    ASSERT_EQ(mkfifo(Path("fifo.xml").c_str(), 0600), 0);
    r = Veskora({"diff", "fifo.xml"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
    EXPECT_EQ(sim->Received(), "");

    // A gateway that echoes a SET twice without applying it: the echo's repeat is no read-back.
    sim.reset();
    gatewaysim::Options echoes;
    echoes.duplicateReplies = echoes.ignoreSets = true;
    StartGateway(echoes);
    r = Veskora({"set", "sx1276", "R10092", "868000000", "0000", "7"});
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_EQ(r.out, "frequency: wrote 868000000, read back 2402000000\nsx1276 R10092: differs after write\n");

    // A reply that comes before any command answers none.
    sim.reset();
    gatewaysim::Options first;
    first.unsolicited = true;
    StartGateway(first);
    r = Veskora({"--service-stopped", "get", "sx1276", "R10092"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("frequency: 2402000000\n", 0), 0u) << r.out;
}

TEST_F(Cli, WithJsonEveryOutcomeIsOneDocumentWithItsExitCodeAndTheDocumentedKeys) {
    StartGateway();
    struct Case {
        std::vector<std::string> words;
        int exit;
        std::vector<const char*> keys;
    };
    const Case cases[] = {
        {{"reed-all"}, 2, {"error"}},
        {{"get", "netkeys", "--jsn"}, 2, {"error"}},
        {{"set", "sx1276", "R10092", "1"}, 2, {"error"}},
        {{"diff", "missing.xml"}, 2, {"error"}},
        {{"--gateway", "127.0.0.1:1", "get", "netkeys"}, 3, {"error"}},
        {{"get", "sx1276", "R10092"}, 0, {"kind", "code", "id", "values"}},
        {{"set", "sx1276", "R10092", "--frequency", "868000000"}, 0, {"kind", "code", "id", "confirmed", "values"}},
        {{"read-all", "-o", "site.xml"}, 0, {"file", "unanswered", "partial"}},
        {{"diff", "site.xml"}, 0, {"differences", "unanswered"}},
        {{"apply", "--dry-run", "site.xml"}, 0, {"dryRun", "writes"}},
        {{"apply", "site.xml"}, 0, {"dryRun", "writes", "confirmed"}},
        {{"get", "netkeys"}, 0, {"kind", "code", "id", "values"}},
    };
    QJsonObject last;
    for (const Case& c : cases) {
        std::vector<std::string> words{"--json"};
        words.insert(words.end(), c.words.begin(), c.words.end());
        QStringList args = GlobalOptions();
        for (const std::string& w : words) args << QString::fromStdString(w);
        const ToolRun r = Run(QStringLiteral(VESKORA_CLI), args);
        const std::string shown = words[1] + " " + (words.size() > 2 ? words[2] : "");
        EXPECT_EQ(r.exitCode, c.exit) << shown << r.out << r.err;
        ASSERT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << shown << ": " << r.out;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
        ASSERT_TRUE(doc.isObject()) << shown << ": " << error.errorString().toStdString();
        last = doc.object();
        EXPECT_EQ(last.value(QStringLiteral("exit")).toInt(-1), c.exit) << shown;
        EXPECT_EQ(last.contains(QStringLiteral("error")), c.exit >= 2) << shown << r.out;
        for (const char* key : c.keys) EXPECT_TRUE(last.contains(QString::fromLatin1(key))) << shown << " " << key;
    }
    // The NET KEYs as a list in the device's order, not sorted as text.
    const QJsonArray keys = last.value(QStringLiteral("values")).toArray();
    ASSERT_EQ(keys.size(), 21);
    EXPECT_EQ(keys[0].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("NET KEY AUTO"));
    EXPECT_EQ(keys[2].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("NET KEY 1"));
    EXPECT_EQ(keys[20].toObject().value(QStringLiteral("name")).toString(), QStringLiteral("NET KEY 19"));
    EXPECT_EQ(last.value(QStringLiteral("kind")).toString(), QStringLiteral("netkeys"));

    // The monitor: a document per frame, and Ctrl+C's own at the end.
    sim.reset();
    gatewaysim::Options flood;
    flood.floodOnConnect = 3;
    StartGateway(flood);
    bool interrupted = false;
    const ToolRun r = Veskora({"--json", "monitor"}, [&](QProcess& p, const ToolRun& sofar) {
        if (!interrupted && std::count(sofar.out.begin(), sofar.out.end(), '\n') == 3) {
            ::kill(static_cast<pid_t>(p.processId()), SIGINT);
            interrupted = true;
        }
    });
    EXPECT_EQ(r.exitCode, 130);
    const QList<QByteArray> lines = QByteArray::fromStdString(r.out).trimmed().split('\n');
    ASSERT_EQ(lines.size(), 4) << r.out;
    for (const QByteArray& line : lines.mid(0, 3)) {
        const QJsonObject frame = QJsonDocument::fromJson(line).object();
        EXPECT_EQ(frame.value(QStringLiteral("kind")).toString(), QStringLiteral("radio")) << line.toStdString();
        for (const char* key : {"time", "code", "id", "values"}) EXPECT_TRUE(frame.contains(QLatin1String(key)));
    }
    const QJsonObject end = QJsonDocument::fromJson(lines.back()).object();
    EXPECT_EQ(end.value(QStringLiteral("exit")).toInt(), 130) << lines.back().toStdString();
    EXPECT_TRUE(end.contains(QStringLiteral("error")));
}

TEST_F(Cli, DefaultsComeFromTheEnvironmentAndMistakesAreAnsweredInWords) {
    StartGateway();
    // An option given wins over the environment; without options the environment is the default.
    environment.insert(QStringLiteral("VESKORA_GATEWAY"), QStringLiteral("127.0.0.1:1"));
    EXPECT_EQ(Veskora({"get", "radio", "A00001"}).exitCode, 0);
    environment.insert(QStringLiteral("VESKORA_GATEWAY"), QStringLiteral("127.0.0.1:%1").arg(sim->Port()));
    environment.insert(QStringLiteral("VESKORA_IDS"), QString::fromStdString(Path("ids.xml")));
    ToolRun r = Run(QStringLiteral(VESKORA_CLI),
                    {QStringLiteral("read-all"), QStringLiteral("-o"), QStringLiteral("site.xml")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    environment.insert(QStringLiteral("VESKORA_GATEWAY"), QStringLiteral("127.0.0.1:70000"));
    r = Run(QStringLiteral(VESKORA_CLI), {QStringLiteral("get"), QStringLiteral("netkeys")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("(from VESKORA_GATEWAY)"), std::string::npos) << r.err;
    r = Run(QStringLiteral(VESKORA_CLI), {QStringLiteral("--help")});
    EXPECT_NE(r.out.find("VESKORA_GATEWAY"), std::string::npos);
    EXPECT_NE(r.out.find("VESKORA_IDS"), std::string::npos);

    // Vectors, not initializer lists: a list's array would not outlive the table's initialisation.
    const std::pair<std::vector<std::string>, std::string> mistakes[] = {
        {{"reed-all"}, "unknown command \"reed-all\"; did you mean \"read-all\"?"},
        {{"frobnicate"}, "unknown command \"frobnicate\"\n"},
        {{"get", "sx1267", "R10092"}, "unknown value name \"sx1267\"; did you mean \"sx1276\"?"},
        {{"--gatway", "x", "get"}, "unknown option \"--gatway\"; did you mean \"--gateway\"?"},
        {{"apply", "--dry-rn", "site.xml"}, "unknown option \"--dry-rn\"; did you mean \"--dry-run\"?"},
        {{"set", "sx1276", "R10092", "--busy-fs", "7"}, "unknown option \"--busy-fs\"; did you mean \"--busy-sf\"?"},
        {{"set", "radio", "A00001", "--net-key", "7"}, "unknown value \"--net-key\"; radio takes --frequency"},
        {{"set", "sx1276", "R10092", "1"}, "sx1276 takes frequency, NET key, busy/SF (got 1 value)"},
        {{"set", "netkeys", "K1"}, "netkeys takes NET KEY AUTO, NET KEY 0 … NET KEY 19 (21 values; got 1 value)"},
        {{"set", "sx1276", "R10092", "--frequency", "86x"}, "the frequency \"86x\" is not a number"},
    };
    const std::size_t before = sim->Received().size();
    for (const auto& [words, message] : mistakes) {
        r = Veskora(words);
        EXPECT_EQ(r.exitCode, 2) << message;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find(" R9 "), std::string::npos) << r.err;
    }
    EXPECT_EQ(sim->Received().size(), before) << "a refused run sent something";
}
