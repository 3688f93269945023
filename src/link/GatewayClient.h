#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <string>

#include "wire/FrameAssembler.h"
#include "wire/ReplyFrame.h"

// A client of the gateway's protocol (Qt Core and Network, no widgets): one
// command on the wire at a time, each matched with the reply that answers it.
namespace devlink {

// What a client talks through: send a line, hear every frame that arrives.
// The RF page's own link and a socket of the client's own both fit.
class Channel : public QObject {
    Q_OBJECT

public:
    virtual void Send(const std::string& line) = 0;
    virtual bool IsOpen() const = 0;

signals:
    // Each frame as it arrived, decoded once by the channel.
    void ReplyReceived(const devlink::Reply& reply, const std::string& frame);
    void Opened();
    void Closed(const QString& reason);
};

// A channel on a TCP connection of its own, for tools outside the window.
class SocketChannel : public Channel {
    Q_OBJECT

public:
    SocketChannel();
    ~SocketChannel() override;
    // Connects to host:port, waiting at most timeoutMs; the reason on failure.
    bool Open(const QString& host, quint16 port, int timeoutMs, QString* error);
    void Close();
    // Waits until what was sent has left, at most timeoutMs: for a last line
    // before the program ends.
    void Flush(int timeoutMs);
    void Send(const std::string& line) override;
    bool IsOpen() const override { return m_socket.state() == QAbstractSocket::ConnectedState; }

private:
    void OnReadyRead();
    void Deliver(const std::string& frame);

    QTcpSocket m_socket;
    FrameAssembler m_assembler;
    QTimer m_frameWait;  // a frame whose rest never comes is handed on as it is
};

// A command and how its answer is known: the reply's tag and, when the reply
// carries one, its module ID. An empty tag expects no reply.
struct Request {
    std::string line;
    std::string tag;
    std::string id;
    // The answer proves a write (a read-back): it is trusted only when no
    // other answer for the same module comes with it.
    bool confirms = false;
};

// A request of no line with this tag waits as after a service line: for a
// "$" message or kSettleMs, for a line someone else sent.
inline constexpr char kSettleTag[] = "$";

// A GET or SET of code for id: answered by a reply of the same code and ID.
Request ForModule(std::string line, std::string_view code, std::string_view id);
// The same, as the read-back of a write.
Request ReadBackOf(std::string line, std::string_view code, std::string_view id);

struct Outcome {
    bool ok = false;
    Reply reply;    // with ok and a tag expected: the reply that answered
    QString error;  // without ok: why ("no answer within 3000 ms", "link closed: ...")
    // Without ok: answers came, but which one answers this request cannot be
    // told (the gateway sent two that differ, or the link never fell quiet).
    bool ambiguous = false;
};

class GatewayClient : public QObject {
    Q_OBJECT

public:
    // How long the command after a service line ("AT+STOP") waits for the
    // gateway's "$" message, if it sends one.
    static constexpr int kSettleMs = 300;
    // How long the link must stay silent before an answer can only be the
    // one asked for: after it opens (a gateway may speak first), after an
    // answer for the module about to be asked again (it may come twice), and
    // around a read-back's answer.
    static constexpr int kQuietMs = 150;

    using Done = std::function<void(const Outcome&)>;

    explicit GatewayClient(Channel& channel, QObject* parent = nullptr);
    // How long a command waits for its answer (3 s unless set).
    void SetTimeout(int ms) { m_timeoutMs = ms; }
    void SetQuiet(int ms) { m_quietMs = ms; }
    // Queues a request; done is called once, with its answer or its failure.
    void Submit(Request request, Done done);
    // The same, ahead of everything queued: for asking again at once.
    void SubmitNext(Request request, Done done);
    // Forgets the outstanding request and everything queued, without calling
    // their done: for a run that ends early. A late reply is then Unmatched.
    void Cancel();
    std::size_t Pending() const { return m_queue.size() + (m_busy ? 1 : 0); }
    // Modules whose recent answers the client still remembers (bounded under a flood).
    std::size_t TrackedModules() const { return m_modules.size(); }
    static constexpr std::size_t kModulesKept = 1024;

signals:
    // A line going out now, for views that show what is under way.
    void Sending(const QString& line);
    // A frame that answers nothing outstanding: another command's reply, a
    // "$" message, an unknown tag. Never matched by mistake.
    void Unmatched(const devlink::Reply& reply);

private:
    struct Entry {
        Request request;
        Done done;
    };
    // What the client knows of one module's answers (by tag and ID).
    struct Module {
        qint64 lastFrame = -1;  // when a frame for it last came
        qint64 owedSince = -1;  // a request for it timed out then: its answer may still come
    };
    static std::string KeyOf(std::string_view tag, std::string_view id);
    void Next();
    // How long the front request must still wait before it can go out.
    qint64 GateWait(const Request& request);
    void Finish(Outcome outcome);
    void OnReply(Reply reply);
    void OnOpened();
    void OnClosed(const QString& reason);

    Channel& m_channel;
    std::deque<Entry> m_queue;
    Entry m_current;
    bool m_busy = false;
    bool m_settling = false;  // a service line went out; its "$" message may follow
    bool m_holding = false;   // a read-back's answer came; the link must stay quiet
    bool m_unquiet = false;   // the current request went out without the quiet it waited for
    Reply m_held;
    int m_timeoutMs = 3000;
    int m_quietMs = kQuietMs;
    QTimer m_timer;
    QTimer m_gate;  // the front request waits for the link to fall quiet
    QElapsedTimer m_clock;
    qint64 m_gateSince = -1;  // when the front request began to wait
    bool m_settled = false;   // the link was quiet for m_quietMs since it opened
    qint64 m_quietFrom = 0;   // since when it has been quiet, while not settled
    std::map<std::string, Module> m_modules;
};

}  // namespace devlink
