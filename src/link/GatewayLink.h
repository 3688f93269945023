#pragma once

#include <QHostAddress>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "link/GatewayClient.h"
#include "link/Sockets.h"
#include "network/Clock.h"
#include "network/Site.h"
#include "network/SiteState.h"
#include "wire/FrameAssembler.h"
#include "wire/ReplyFrame.h"

namespace devlink {

// A frame as the link cut it and decoded it, once, for every view.
struct Received {
    std::string frame;
    Reply reply;
    bool givenUp = false;    // its rest never came: handled as it was after the wait
    bool forClient = false;  // it answers a GET a client (not the RF page) sent
};

// The window's one link to the gateway: it connects, listens, accepts the
// gateway's connection back, redials, reads, cuts frames and decodes each
// once; it keeps what the gateway said (the reply-by-tag state and the live
// site, each value with the link session it came on) and tells every view
// what happened. Clients send through it as their channel.
class GatewayLink : public Channel, public LinkHandler {
    Q_OBJECT

public:
    // The link as the technician sees it (the RF page's Connect button and its flags).
    enum class State { Idle, Connected, Dropped, DroppedAfterPress, AcceptedAfterPress };
    Q_ENUM(State)
    using Clock = network::Clock;

    // How long a frame whose rest has not arrived is waited for, from its first byte.
    static constexpr int kFrameWaitMs = 300;
    // Reads handled per turn of the event loop before the window gets its turn.
    static constexpr int kReadsPerTurn = 4;
    // Link sessions whose end is remembered (one per drop).
    static constexpr std::size_t kLossesKept = 256;

    explicit GatewayLink(QObject* parent = nullptr);
    ~GatewayLink() override;

    void SetClock(Clock clock) { m_clock = std::move(clock); }

    // Channel: a client's line goes out as a GET or SET command.
    void Send(const std::string& line) override;
    bool IsOpen() const override;

    // Writes a command line as it is when a data connection stands; every
    // view hears it (an empty line was refused by the builders: nothing goes out).
    void SendCommand(int kind, const std::string& line);

    // Listens for the gateway connecting back on port (every address unless
    // listenAddress says otherwise); false and linkError when it cannot.
    bool Listen(unsigned port);
    bool Listening() const { return listenSocket && listenSocket->isListening(); }
    // Connects to host:port again without a word to the user (after a drop);
    // done tells whether a link stands.
    void Redial(const QString& host, quint16 port, const std::function<void(bool)>& done);
    // Ends the data connection and stops listening.
    void Close();

    // The modules' IDs (from the ID file) into the live site; the values of
    // a module whose ID changed are forgotten.
    void TakeIds(const network::Site& ids) {
        network::TakeIds(live, ids);
        emit SiteChanged();
    }

    // The rest of a frame never came: what arrived is handled as it is.
    void OnFrameWaitElapsed();

    State CurrentState() const;
    // Tells the views when the state changed since they last heard.
    void NotifyState();

    // LinkHandler: the sockets' notifications.
    void OnSocketAccept(int errorCode) override;
    void OnSocketReceive(CDataSocket* socket, int errorCode) override;
    void OnSocketClose(CDataSocket* socket, int errorCode) override;

    // The connection and the flags the RF page shows as its own.
    CDataSocket* dataSocket = nullptr;
    CListenSocket* listenSocket = nullptr;
    bool linkActive = false;      // the button says Disconnect
    bool connected = false;       // a link was made and not ended by the user
    bool serviceStopped = false;  // as this program last set it
    QHostAddress listenAddress = QHostAddress::Any;
    QHostAddress gatewayAddress;  // the only host that may connect back
    QString linkError;            // why the last connect or listen failed
    bool frameGivenUp = false;    // while a frame whose rest never came is handled
    std::array<std::string, 6> replyTags = kReplyTags;
    FrameAssembler assembler;
    QTimer frameWait;

    // What the gateway said: the last reply of each tag, and the whole site.
    network::SiteState state;
    network::Site live;

signals:
    void CommandSent(int kind, const std::string& line, bool sent);
    // Every view records a frame here; clients hear it afterwards (Channel's
    // ReplyReceived), so a reply shows before the next command.
    void FrameDecoded(const devlink::Received& received);
    void StateChanged(devlink::GatewayLink::State state);
    // The live site took a reply or a new link began.
    void SiteChanged();
    // Reading the data connection failed.
    void ReadFailed();

private:
    void HandleFrame(std::string frame);
    void DiscardPartialFrame();
    void OnOpened();
    void OnClosed();
    void Write(int kind, const std::string& line, bool forClient);
    // Whether reply answers a GET this link sent (each GET answers once), and whether a client sent it.
    bool AnswersAsked(const Reply& reply, bool* byClient);

    Clock m_clock;
    QTimer m_nextReceiveTurn;  // the rest of a flood, on the event loop's next turn
    State m_notified = State::Idle;
    bool m_open = false;
    // GETs sent and not yet answered, by tag and ID: only their answers are
    // read into the live site (a SET's echo or a reply nobody asked for is not).
    struct Asked {
        int count = 0;
        bool byClient = false;  // the last of them came from a client
    };
    std::map<std::string, Asked> m_asked;
};

}  // namespace devlink
