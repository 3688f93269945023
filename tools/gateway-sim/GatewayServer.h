#pragma once

#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <memory>
#include <set>
#include <string>

#include "GatewayModel.h"

namespace gatewaysim {

// How the simulated gateway misbehaves, as real links do.
struct Options {
    quint16 port = 5555;
    bool splitReplies = false;              // each reply in two writes, 50 ms apart
    bool joinReplies = false;               // two replies in one write (a lone one after 100 ms)
    bool dollarMessages = false;            // a "$" message after each reply
    bool badTags = false;                   // every third reply with a lower-case tag
    int closeAfter = 0;                     // close the link after this many commands (0: never)
    int reconnectDelayMs = -1;              // then connect back to the tool after this delay (-1: never)
    bool stopListeningAfterAccept = false;  // free the port for the tool's own listening
    bool verbose = true;                    // log what goes in and out to stderr
    int floodOnConnect = 0;                 // send this many G2 replies at once after a connection
    int latencyMs = 0;                      // each reply waits this long before it goes out
    int dropEvery = 0;                      // no reply to every Nth command (0: answer all)
    std::set<std::string> silentIds;        // modules that never answer (upper case)
    int nodesPerRepeater = 0;               // node tables not yet set hold this many generated nodes
    bool duplicateReplies = false;          // every reply twice
    int lateMs = 0;                         // each reply this long after its command, beyond a client's wait
    bool ignoreSets = false;                // a SET is answered with its own values but not applied
    bool unsolicited = false;               // replies nobody asked for right after a connection
};

// Plays one gateway on 127.0.0.1: one connection at a time.
class GatewayServer : public QObject {
    Q_OBJECT

public:
    explicit GatewayServer(Options options, QObject* parent = nullptr);
    bool Start();
    quint16 Port() const { return m_port; }
    Model& State() { return m_model; }
    // The misbehaviours, changeable while it runs.
    Options& Settings() { return m_options; }
    // Commands taken on the current connection.
    int CommandsSinceConnect() const { return m_sinceConnect; }
    int RepliesSent() const { return m_replies; }
    // Every byte the tool has sent, as it arrived.
    const std::string& Received() const { return m_received; }

private:
    void Adopt(QTcpSocket* socket);
    void OnReadyRead();
    // One reply as the options shape it: joined, delayed, followed by "$".
    void Reply(std::string reply);
    void Send(const std::string& bytes, int delayMs = 0);
    // Whether the command that came in as the Nth gets no reply.
    bool Unanswered(const std::string& command, int n) const;
    // Writes queued pieces in order, each after its delay.
    void Pump();
    void Log(const char* direction, const std::string& bytes) const;

    Options m_options;
    quint16 m_port = 0;
    QTcpServer m_server;
    std::unique_ptr<QTcpSocket> m_socket;
    std::string m_buffer;
    std::string m_received;
    Model m_model;
    int m_replies = 0;
    int m_commands = 0;
    int m_sinceConnect = 0;
    struct Piece {
        std::string bytes;
        int delayMs;  // waited before this piece goes out
    };
    std::deque<Piece> m_outgoing;
    bool m_waiting = false;
    std::string m_held;  // a reply waiting for the next one, in join mode
};

// A gateway for a test, the tour or a benchmark in this process: started on
// 127.0.0.1 at a free port, silent, and freeing that port once the tool
// connects (the tool listens there for the gateway connecting back). The
// other fields of options, its misbehaviours, are kept. nullptr if it cannot
// listen.
std::unique_ptr<GatewayServer> StartInProcess(Options options = {});

}  // namespace gatewaysim
