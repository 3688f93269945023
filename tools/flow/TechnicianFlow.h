#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

class CVeskoraRFConfigurationDlg;

namespace flow {

// What a technician does with the program, start to finish, made of real
// clicks and keys on the main window: enter the IDs and save them, load them
// on the RF page, connect to a gateway, stop its service, and read and set
// NET KEYs, a gateway frequency, a repeater module and a node. Each step
// returns false when what it waited for (a reply, an editor) did not come.
class TechnicianFlow {
public:
    // The IDs the technician enters.
    static constexpr const char* kGatewayA = "a00001";
    static constexpr const char* kGatewayB = "b00002";
    static constexpr const char* kRepeaterSx1280A = "100001";  // the repeater's MCU takes it too
    static constexpr const char* kRepeaterSx1280B = "100002";
    static constexpr const char* kRepeaterSx1276_1 = "100003";
    static constexpr const char* kRepeaterSx1276_3 = "100005";

    TechnicianFlow(CVeskoraRFConfigurationDlg& main, const QString& gatewayAddress, quint16 gatewayPort);
    // The reply counter leaves with the flow: the window may outlive it and keep replying.
    ~TechnicianFlow();
    TechnicianFlow(const TechnicianFlow&) = delete;
    TechnicianFlow& operator=(const TechnicianFlow&) = delete;

    bool EnterIds();
    bool SaveIds();
    bool LoadIdsOnRfPage();
    bool Connect();
    bool StopService();
    // Loads the IDs again while connected: two G2 queries follow, answered.
    bool QueryGatewayRadios();
    // Checks the MCU row, GETs the NET KEYs, changes "# 3" to "abcd", SETs.
    bool GetAndSetNetKeys();
    // SX1280 A: GET, then SET 2480000000.
    bool SetGatewayAFrequency();
    // SX1280 B: SET of A's frequency (refused, naming A), then 2450000000.
    bool SetGatewayBFrequency();
    // Repeater #1's SX1276 1: GET, type its three settings, SET, GET.
    bool SetRepeaterModule();
    // Node 1's ID typed in, Repeater #1's MCU SET with the node table.
    bool SetNodeTable();
    // Node 1: GET, TX Period to 120, SET, GET.
    bool SetNodeAttributes();
    bool RestartService();
    bool Disconnect();

    struct Step {
        const char* name;
        std::function<bool()> run;
    };
    // Every step in order, named for screenshots and reports.
    std::vector<Step> Steps();

    // Replies the RF page has handled so far.
    int Responses() const;

private:
    bool WaitForResponses(int total, int ms = 3000) const;
    bool ClickAndWaitForReply(int buttonId);

    CVeskoraRFConfigurationDlg& m_main;
    QString m_address;
    quint16 m_port;
    int m_replies = 0;
    QMetaObject::Connection m_counting;
};

}  // namespace flow
