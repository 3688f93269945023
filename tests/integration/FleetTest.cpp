// Sites by name, their histories and the drift of a fleet: veskora as a
// process against simulated gateways on free loopback ports.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <csignal>
#include <map>

#include "GatewayServer.h"
#include "support/ToolAgainstGateway.h"

namespace {

class Fleet : public ToolAgainstGateway {
protected:
    void SetUp() override {
        ToolAgainstGateway::SetUp();
        // The site list sits beside the ID file; --site names the rest.
        environment.insert(QStringLiteral("VESKORA_IDS"), QString::fromStdString(Path("ids.xml")));
    }
    gatewaysim::GatewayServer& AddGateway(gatewaysim::Options o = {}) {
        o.port = 0;
        o.verbose = false;
        o.nodesPerRepeater = 3;
        fleet.push_back(std::make_unique<gatewaysim::GatewayServer>(o));
        EXPECT_TRUE(fleet.back()->Start());
        return *fleet.back();
    }
    ToolRun Tool(const std::vector<std::string>& words,
                 const std::function<void(QProcess&, const ToolRun&)>& whileRunning = nullptr) {
        QStringList args{QStringLiteral("--timeout"), QStringLiteral("300"), QStringLiteral("--retries"),
                         QStringLiteral("0")};
        for (const std::string& w : words) args << QString::fromStdString(w);
        return Run(QStringLiteral(VESKORA_CLI), args, whileRunning);
    }
    void AddSite(const std::string& name, unsigned port, const std::string& plan = {}) {
        std::vector<std::string> words{"site",  "add",    name, "--gateway", "127.0.0.1:" + std::to_string(port),
                                       "--ids", "ids.xml"};
        if (!plan.empty()) words.insert(words.end(), {"--plan", plan});
        const ToolRun r = Tool(words);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    }
    static bool EndsRestarted(const gatewaysim::GatewayServer& gateway) {
        return QTest::qWaitFor(
            [&] {
                const std::string& got = gateway.Received();
                return got.size() >= 11 && got.compare(got.size() - 11, 11, "AT+SEND R\r\n") == 0;
            },
            2000);
    }

    std::vector<std::unique_ptr<gatewaysim::GatewayServer>> fleet;
};

}  // namespace

TEST_F(Fleet, SitesAreKeptByNameAndEachReadInTheirHistoryComparedByDate) {
    gatewaysim::GatewayServer& gateway = AddGateway();
    ToolRun r = Tool({"site", "add", "north", "--gateway", "127.0.0.1:" + std::to_string(gateway.Port()), "--ids",
                      "ids.xml", "--keep", "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Tool({"site", "add", "north", "--gateway", "127.0.0.1", "--ids", "ids.xml"}).exitCode, 2);
    EXPECT_EQ(Tool({"site", "add", "south", "--ids", "ids.xml"}).err,
              "veskora: site add: --gateway ADDRESS[:PORT] is missing\n(veskora --help lists the commands)\n");
    r = Tool({"--site", "nort", "read-all"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown site \"nort\"; did you mean \"north\"?"), std::string::npos) << r.err;
    EXPECT_EQ(Tool({"--site", "north", "--gateway", "127.0.0.1:1", "read-all"}).exitCode, 2);

    // Three reads, the device changed before the last: the newest two are kept.
    for (int n = 0; n < 3; ++n) {
        if (n == 2) gateway.State().netKeys[1] = "NEW1";
        r = Tool({"--site", "north", "read-all"});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out.rfind("kept ", 0), 0u) << r.out;
    }
    EXPECT_TRUE(EndsRestarted(gateway));
    r = Tool({"history", "north"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QStringList lines = QString::fromStdString(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << r.out;
    const std::string first = lines[0].section(QLatin1Char(' '), 0, 0).toStdString();
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral("  read"))) << r.out;

    r = Tool({"diff", first, "north@latest"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(r.out, "gateway / NET KEY 0: file \"K101\", other \"NEW1\"\n1 difference\n");
    // One entry alone is compared with the site as it is now.
    r = Tool({"diff", "north@latest"});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    r = Tool({"diff", "north@1999-01", "north@latest"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("north: no entry of 1999-01"), std::string::npos) << r.err;

    r = Tool({"--json", "site", "show", "north"});
    EXPECT_NE(r.out.find("\"history\":2,\"ids\":\"" + Path("ids.xml") + "\",\"keep\":2"), std::string::npos) << r.out;
    ASSERT_EQ(Tool({"site", "remove", "north"}).exitCode, 0);
    EXPECT_EQ(Tool({"site", "list"}).out, "");
    EXPECT_EQ(Tool({"history", "north"}).exitCode, 2);
}

TEST_F(Fleet, DriftTellsEachSiteAndEndsWithTheWorstWhateverFails) {
    gatewaysim::GatewayServer& inSync = AddGateway();
    gatewaysim::GatewayServer& drifted = AddGateway();
    gatewaysim::GatewayServer& silent = AddGateway();
    AddSite("a-in-sync", inSync.Port());
    ASSERT_EQ(Tool({"--site", "a-in-sync", "read-all", "-o", "plan.xml"}).exitCode, 0);
    ASSERT_EQ(Tool({"site", "remove", "a-in-sync"}).exitCode, 0);
    AddSite("a-in-sync", inSync.Port(), "plan.xml");
    AddSite("b-drifted", drifted.Port(), "plan.xml");
    AddSite("c-silent", silent.Port(), "plan.xml");
    AddSite("d-down", 1, "plan.xml");
    AddSite("e-no-plan", inSync.Port());
    drifted.State().netKeys[1] = "DRFT";
    drifted.State().repeaterRadios["R10092"].busySf = "9";
    silent.Settings().dropEvery = 1;

    ToolRun r = Tool({"drift", "--jobs", "3"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    std::map<std::string, std::string> lines;
    for (const QString& line : QString::fromStdString(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        lines[line.section(QStringLiteral(": "), 0, 0).toStdString()] =
            line.section(QStringLiteral(": "), 1).toStdString();
    }
    EXPECT_EQ(lines["a-in-sync"], "in sync") << r.out;
    EXPECT_EQ(lines["b-drifted"], "2 differences") << r.out;
    EXPECT_EQ(lines["c-silent"], "9 without answer") << r.out;
    EXPECT_EQ(lines["d-down"].rfind("unreachable (cannot connect to 127.0.0.1:1", 0), 0u) << r.out;
    EXPECT_EQ(lines.count("e-no-plan"), 0u) << r.out;
    EXPECT_NE(r.err.find("1 of 5 sites have no approved plan and are left out"), std::string::npos) << r.err;
    for (const auto* gateway : {&inSync, &drifted, &silent}) EXPECT_TRUE(EndsRestarted(*gateway));
    // Each read is kept; the unreachable site has nothing to keep.
    EXPECT_NE(Tool({"history", "b-drifted"}).out.find("  drift\n"), std::string::npos);
    EXPECT_EQ(Tool({"history", "d-down"}).out, "");

    EXPECT_EQ(Tool({"drift", "--site", "a-in-sync", "--site", "b-drifted"}).exitCode, 1);
    EXPECT_EQ(Tool({"drift", "--site", "a-in-sync"}).exitCode, 0);
    EXPECT_EQ(Tool({"drift", "--site", "e-no-plan"}).exitCode, 2);
    r = Tool({"--json", "drift", "--site", "b-drifted", "--site", "d-down"});
    EXPECT_EQ(r.exitCode, 3);
    const QJsonObject doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(doc[QStringLiteral("exit")].toInt(), 3) << r.out;
    EXPECT_EQ(doc[QStringLiteral("drifted")].toInt(), 1) << r.out;
    EXPECT_EQ(doc[QStringLiteral("unreachable")].toInt(), 1) << r.out;
}

TEST_F(Fleet, CtrlCMidDriftStartsEveryServiceItStoppedAgain) {
    gatewaysim::Options slow;
    slow.latencyMs = 300;
    for (int n = 0; n < 3; ++n) AddSite("s" + std::to_string(n), AddGateway(slow).Port(), "plan.xml");
    Write(
        "plan.xml",
        "<VeskoraNetwork format=\"1\">\r\n<Module path=\"gateway / MCU\" id=\"FFFFFF\"/>\r\n"
        "<Module path=\"gateway / SX1280 A\" id=\"A00001\"/>\r\n<Module path=\"gateway / SX1280 B\" id=\"A00002\"/>\r\n"
        "<Value path=\"gateway / SX1280 A / frequency\">2402000000</Value>\r\n</VeskoraNetwork>\r\n");
    bool sent = false;
    const ToolRun r = Tool({"drift", "--jobs", "2"}, [&](QProcess& p, const ToolRun&) {
        const auto asked = [](const auto& g) { return g->Received().find("AT+GET") != std::string::npos; };
        if (!sent && asked(fleet[0]) && asked(fleet[1])) {
            ::kill(static_cast<pid_t>(p.processId()), SIGINT);
            sent = true;
        }
    });
    EXPECT_EQ(r.exitCode, 130) << r.out << r.err;
    EXPECT_NE(r.err.find("interrupted; the service was started again at 2 sites under way"), std::string::npos)
        << r.err;
    EXPECT_TRUE(EndsRestarted(*fleet[0]));
    EXPECT_TRUE(EndsRestarted(*fleet[1]));
    EXPECT_EQ(fleet[2]->Received(), "") << "a site not yet begun was touched";
    EXPECT_EQ(Tool({"history", "s0"}).out, "") << "an interrupted read was kept";
}
