// The command-line tool as a technician runs it: a process against a
// simulated gateway on a free loopback port.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
    EXPECT_EQ(r.out, "AT+SET R9 R10092 868000000 0000 7\n");
    EXPECT_EQ(sim->Received().find("AT+SET", before), std::string::npos) << "a dry run sent a SET";

    r = Veskora({"apply", "plan.xml"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "repeater 1 / SX1276 2: confirmed\n");
    EXPECT_EQ(Veskora({"diff", "plan.xml"}).exitCode, 0);
    ASSERT_EQ(Veskora({"read-all", "-o", "after.xml"}).exitCode, 0);
    EXPECT_EQ(Veskora({"diff", "after.xml"}).exitCode, 0);
    EXPECT_EQ(Veskora({"--json", "get", "sx1276", "R10092"}).out,
              "{\"code\":\"R9\",\"id\":\"R10092\",\"values\":{\"NET key\":\"0000\",\"busy/SF\":\"7\",\"frequency\":"
              "\"868000000\"}}\n");
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
}

TEST_F(Cli, CtrlCEndsTheRunAndStartsTheServiceAgain) {
    gatewaysim::Options slow;
    slow.latencyMs = 200;
    StartGateway(slow);
    bool sent = false;
    const ToolRun r = Veskora({"read-all", "-o", "site.xml"}, [&](QProcess& p, const ToolRun&) {
        if (!sent && sim->Received().find("AT+GET G2") != std::string::npos) {
            ::kill(static_cast<pid_t>(p.processId()), SIGINT);
            sent = true;
        }
    });
    EXPECT_EQ(r.exitCode, 130) << r.err;
    EXPECT_TRUE(Restarted());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("site.xml"))));
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
    EXPECT_EQ(r.out, "frequency: wrote 868000000, read back 2402000000\nR9 R10092: differs after write\n");

    // A reply that comes before any command answers none.
    sim.reset();
    gatewaysim::Options first;
    first.unsolicited = true;
    StartGateway(first);
    r = Veskora({"--service-stopped", "get", "sx1276", "R10092"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("frequency: 2402000000\n", 0), 0u) << r.out;
}
