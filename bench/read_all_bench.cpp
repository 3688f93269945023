// Reading a whole site through the gateway client: the gateway, six
// repeaters and 180 nodes (219 commands), against the simulated gateway on
// loopback, with no delay and with a delay before each reply.
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "GatewayServer.h"
#include "link/GatewayClient.h"
#include "link/SiteReader.h"

namespace {

network::Site FullSite() {
    network::Site site;
    site.gateway.ids = {"FFFFFF", "A00001", "A00002"};
    for (int k = 0; k < network::kRepeaters; ++k) {
        const std::string n = std::to_string(k + 1);
        site.repeaters[static_cast<std::size_t>(k)].ids = {"R0000" + n,      "R" + n + "0001", "R" + n + "0002",
                                                           "R" + n + "0091", "R" + n + "0092", "R" + n + "0093"};
    }
    return site;
}

// One read of the whole site; its wall time in ms, and the commands and answers it took.
double ReadOnce(quint16 port, int* commands, int* answered) {
    devlink::SocketChannel channel;
    QString error;
    if (!channel.Open(QStringLiteral("127.0.0.1"), port, 3000, &error)) {
        std::fprintf(stderr, "cannot connect: %s\n", qPrintable(error));
        return -1;
    }
    devlink::GatewayClient client(channel);
    network::Site site = FullSite();
    devlink::SiteReader reader(client, site, [] { return QDateTime::currentMSecsSinceEpoch(); });
    QElapsedTimer clock;
    clock.start();
    reader.Start();
    while (reader.Running()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    *answered = reader.Answered();
    *commands = reader.Answered() + reader.Unanswered();
    channel.Close();
    return ms;
}

void Measure(int latencyMs, int runs) {
    gatewaysim::Options o;
    o.port = 0;
    o.verbose = false;
    o.latencyMs = latencyMs;
    o.nodesPerRepeater = 30;
    gatewaysim::GatewayServer sim(o);
    if (!sim.Start()) return;
    std::vector<double> times;
    int commands = 0, answered = 0;
    for (int r = 0; r < runs; ++r) {
        times.push_back(ReadOnce(sim.Port(), &commands, &answered));
        // The simulator takes the next connection once this one's end is seen.
        for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("latency %3d ms: %d commands (%d answered), median %.1f ms of %d runs (min %.1f, max %.1f)", latencyMs,
                commands, answered, median, runs, times.front(), times.back());
    if (latencyMs > 0) {
        const double floor = static_cast<double>(commands) * latencyMs;
        std::printf(", %.3f of commands x latency (%.0f ms)", median / floor, floor);
    }
    std::printf("\n");
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    Measure(0, runs);
    Measure(20, std::max(1, runs / 2));
    return 0;
}
