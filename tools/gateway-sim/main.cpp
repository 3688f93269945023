// The simulated gateway: plays one gateway on 127.0.0.1 so that the program
// can be tried and tested without hardware.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <vector>

#include "GatewayServer.h"

namespace {

// "3,7" as site numbers.
std::set<int> SiteNumbers(const QString& text) {
    std::set<int> out;
    for (const QString& n : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) out.insert(n.trimmed().toInt());
    return out;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A simulated gateway on 127.0.0.1."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port to listen on (5555)."),
                                  QStringLiteral("port"), QStringLiteral("5555"));
    const QCommandLineOption split(QStringLiteral("split"), QStringLiteral("Send each reply in two writes."));
    const QCommandLineOption join(QStringLiteral("join"), QStringLiteral("Put two replies in one write."));
    const QCommandLineOption dollar(QStringLiteral("dollar"), QStringLiteral("Send a $ message after each reply."));
    const QCommandLineOption badTags(QStringLiteral("bad-tags"), QStringLiteral("Lower-case every third reply's tag."));
    const QCommandLineOption closeAfter(QStringLiteral("close-after"),
                                        QStringLiteral("Close the link after N commands."), QStringLiteral("n"));
    const QCommandLineOption reconnect(QStringLiteral("reconnect-ms"),
                                       QStringLiteral("Then connect back after this many milliseconds."),
                                       QStringLiteral("ms"));
    const QCommandLineOption stopListening(QStringLiteral("stop-listening"),
                                           QStringLiteral("Stop listening after the first connection."));
    const QCommandLineOption quiet(QStringLiteral("quiet"), QStringLiteral("Log nothing."));
    const QCommandLineOption flood(QStringLiteral("flood"),
                                   QStringLiteral("Send N replies as fast as possible after connecting."),
                                   QStringLiteral("n"));
    const QCommandLineOption latency(QStringLiteral("latency-ms"), QStringLiteral("Delay each reply by this much."),
                                     QStringLiteral("ms"));
    const QCommandLineOption dropEvery(QStringLiteral("drop-every"),
                                       QStringLiteral("Answer no Nth command (every Nth counted from the start)."),
                                       QStringLiteral("n"));
    const QCommandLineOption silentIds(QStringLiteral("silent-ids"),
                                       QStringLiteral("Never answer commands for these module IDs (comma-separated)."),
                                       QStringLiteral("ids"));
    const QCommandLineOption nodes(QStringLiteral("nodes"),
                                   QStringLiteral("Node tables not yet set hold N generated nodes (0-30)."),
                                   QStringLiteral("n"));
    const QCommandLineOption duplicate(QStringLiteral("duplicate"), QStringLiteral("Send every reply twice."));
    const QCommandLineOption late(QStringLiteral("late-ms"),
                                  QStringLiteral("Send each reply this many milliseconds after its command, "
                                                 "however many commands came since (beyond a client's timeout)."),
                                  QStringLiteral("ms"));
    const QCommandLineOption ignoreSets(QStringLiteral("ignore-sets"),
                                        QStringLiteral("Answer a SET with its own values, but do not apply it."));
    const QCommandLineOption unsolicited(
        QStringLiteral("unsolicited"),
        QStringLiteral("Right after a connection, send replies nobody asked for (G2 A00001, R9 R10092)."));
    const QCommandLineOption sites(QStringLiteral("sites"),
                                   QStringLiteral("Play N gateways, each with its own state, on consecutive ports."),
                                   QStringLiteral("n"));
    const QCommandLineOption portBase(QStringLiteral("port-base"),
                                      QStringLiteral("The first site's port (5601); site K listens on base+K-1."),
                                      QStringLiteral("port"), QStringLiteral("5601"));
    const QCommandLineOption silentSites(QStringLiteral("silent-sites"),
                                         QStringLiteral("Sites (counted from 1) that answer no command."),
                                         QStringLiteral("list"));
    const QCommandLineOption downSites(QStringLiteral("down-sites"),
                                       QStringLiteral("Sites whose port is left closed, as an unreachable gateway's."),
                                       QStringLiteral("list"));
    const QCommandLineOption driftedSites(QStringLiteral("drifted-sites"),
                                          QStringLiteral("Sites whose NET KEY 0 is DRIFT instead of the default."),
                                          QStringLiteral("list"));
    parser.addOptions({sites, portBase, silentSites, downSites, driftedSites});
    parser.addOptions({port, split, join, dollar, badTags, closeAfter, reconnect, stopListening, quiet, flood, latency,
                       dropEvery, silentIds, nodes, duplicate, late, ignoreSets, unsolicited});
    parser.process(app);

    gatewaysim::Options o;
    o.port = static_cast<quint16>(parser.value(port).toUInt());
    o.splitReplies = parser.isSet(split);
    o.joinReplies = parser.isSet(join);
    o.dollarMessages = parser.isSet(dollar);
    o.badTags = parser.isSet(badTags);
    o.closeAfter = parser.value(closeAfter).toInt();
    o.reconnectDelayMs = parser.isSet(reconnect) ? parser.value(reconnect).toInt() : -1;
    o.stopListeningAfterAccept = parser.isSet(stopListening);
    o.verbose = !parser.isSet(quiet);
    o.floodOnConnect = parser.value(flood).toInt();
    o.latencyMs = parser.value(latency).toInt();
    o.dropEvery = parser.value(dropEvery).toInt();
    for (const QString& id : parser.value(silentIds).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        o.silentIds.insert(id.trimmed().toUpper().toStdString());
    }
    o.nodesPerRepeater = std::clamp(parser.value(nodes).toInt(), 0, 30);
    o.duplicateReplies = parser.isSet(duplicate);
    o.lateMs = parser.value(late).toInt();
    o.ignoreSets = parser.isSet(ignoreSets);
    o.unsolicited = parser.isSet(unsolicited);

    if (parser.isSet(sites)) {
        // A fleet: the fault options above hold for every site, the lists for the ones named.
        const int count = std::clamp(parser.value(sites).toInt(), 1, 1000);
        const int base = parser.value(portBase).toInt();
        if (base < 1 || base + count - 1 > 65535) {
            std::fprintf(stderr, "gateway-sim: ports %d-%d are out of range\n", base, base + count - 1);
            return 1;
        }
        const std::set<int> silent = SiteNumbers(parser.value(silentSites));
        const std::set<int> down = SiteNumbers(parser.value(downSites));
        const std::set<int> drifted = SiteNumbers(parser.value(driftedSites));
        std::vector<std::unique_ptr<gatewaysim::GatewayServer>> fleet;
        for (int k = 1; k <= count; ++k) {
            if (down.count(k)) continue;
            gatewaysim::Options site = o;
            site.port = static_cast<quint16>(base + k - 1);
            if (silent.count(k)) site.dropEvery = 1;
            fleet.push_back(std::make_unique<gatewaysim::GatewayServer>(site));
            if (drifted.count(k)) fleet.back()->State().netKeys[1] = "DRIFT";
            if (!fleet.back()->Start()) {
                std::fprintf(stderr, "gateway-sim: cannot listen on 127.0.0.1:%u\n", site.port);
                return 1;
            }
        }
        std::fprintf(stderr, "gateway-sim: %zu of %d sites listening on 127.0.0.1:%d-%d\n", fleet.size(), count, base,
                     base + count - 1);
        return app.exec();
    }

    gatewaysim::GatewayServer server(o);
    if (!server.Start()) {
        std::fprintf(stderr, "gateway-sim: cannot listen on 127.0.0.1:%u\n", o.port);
        return 1;
    }
    std::fprintf(stderr, "gateway-sim: listening on 127.0.0.1:%u\n", server.Port());
    return app.exec();
}
