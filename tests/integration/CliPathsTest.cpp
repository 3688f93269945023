// The command-line tool's quieter paths, and the simulated gateway's
// misbehaviours that the other tests do not lean on.
#include <gtest/gtest.h>

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
        for (std::size_t at = out.find(" G2 "); at != std::string::npos; at = out.find(" G2 ", at + 1)) {
            ids.insert(out.substr(at + 4, 6));
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
