// The simulated gateway: plays one gateway on 127.0.0.1 so that the program
// can be tried and tested without hardware.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

#include "GatewayServer.h"

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

    gatewaysim::GatewayServer server(o);
    if (!server.Start()) {
        std::fprintf(stderr, "gateway-sim: cannot listen on 127.0.0.1:%u\n", o.port);
        return 1;
    }
    std::fprintf(stderr, "gateway-sim: listening on 127.0.0.1:%u\n", server.Port());
    return app.exec();
}
