#pragma once

#include <QString>
#include <array>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QHostAddress>
#include <QTimer>

#include <memory>

#include "link/GatewayLink.h"
#include "network/SiteState.h"
#include "res/PageBase.h"
#include "wire/FrameAssembler.h"
#include "wire/ReplyFrame.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace res {
class ComboBox;
class IpAddressCtrl;
class ListCtrl;
}  // namespace res

// The "RF Configuration" page: the device link's controls, the six lists that
// show the network's configuration, and the GET/SET commands. The link itself
// (sockets, reads, decoding, what the gateway said) is the window's one
// GatewayLink; the page's link members are views onto it. Narrow strings hold
// text in the system code page, as it travels on the link.
class RFConfigDlg : public res::PageBase {
    Q_OBJECT

    // Declared first: the views below refer into it.
    std::unique_ptr<devlink::GatewayLink> m_ownLink;  // a page on its own (tests) has its own link

public:
    devlink::GatewayLink& m_link;

    // The link as the technician sees it (caption, flags, sockets).
    using LinkState = devlink::GatewayLink::State;

    // A page with a link of its own, and one on the window's link.
    explicit RFConfigDlg(QWidget* parent = nullptr);
    explicit RFConfigDlg(devlink::GatewayLink& link, QWidget* parent = nullptr);
    ~RFConfigDlg() override;

    devlink::GatewayLink& Link() { return m_link; }

    // Creates the page's controls from its template as a child of parent and
    // initialises them. Called once.
    void Create(QWidget* parent);

    // Copies the port field into m_strPort (save) or back (load).
    void UpdateData(bool save);

    // The device link (connect, listen, accept, close).
    void OnBnClickedConnect();
    void StartListening(unsigned port);
    // After a drop: connects to the page's address again without a word to
    // the user (for the reconnect option); done tells whether a link stands.
    void Redial(const std::function<void(bool)>& done);
    // Sends a command line through the link (devlink::CMD_GET or CMD_SET);
    // the log shows it, as it shows every command the link sends.
    void SendCommand(int nKind, const std::string& strCommand);
    // The wait for a frame's rest is over: what arrived is handled as it is.
    void OnFrameWaitElapsed() { m_link.OnFrameWaitElapsed(); }
    // Copies the stored values of a reply kind (1-6) into the lists.
    void ShowReply(int nKind);
    // Gateway commands: NET KEYs of the MCU, frequency of one gateway radio.
    void OnBnClickedGetNetKey();
    void OnBnClickedSetNetKey();
    void OnBnClickedGetGateway();
    void OnBnClickedSetGateway();

    // Repeater commands for the module of the selected row, and the choice
    // of which stored repeater's IDs the list shows.
    void OnBnClickedGetRepeater();
    void OnBnClickedSetRepeater();
    void OnCbnSelchangeRepeater();
    // Node commands for the node in the attribute row.
    void OnBnClickedGetNode();
    void OnBnClickedSetNode();

    // In-place editing: a double-click on (iItem, iSubItem), -1 below the rows.
    void OnNMDblclkNetKeys(int iItem, int iSubItem);
    void OnNMDblclkGatewayFreq(int iItem, int iSubItem);
    void OnNMDblclkRepeaterModules(int iItem, int iSubItem);
    void OnNMDblclkNodeAttr(int iItem, int iSubItem);
    void OnNMDblclkNodes(int iItem, int iSubItem);
    // Selection: a click on row iItem, -1 below the rows.
    void OnNMClickGatewayModules(int iItem);
    void OnNMClickNodes(int iItem);
    void OnNMClickRepeaterModules(int iItem);
    // A row's check box changed; at most one row of each list stays checked.
    void OnLvnItemchangedGatewayModules(int iItem, bool checked);
    void OnLvnItemchangedRepeaterModules(int iItem, bool checked);
    void OnLvnItemchangedNodes(int iItem, bool checked);

    // "ID 불러오기": reads the ID file into the gateway list and the stored
    // repeater IDs, and starts the query chain when connected.
    void OnBnClickedIdLoad();

    // Service control: stop/restart the device's service, switch its mode.
    void OnBnClickedServiceStop();
    void OnBnClickedServiceChange();
    // Starts the query chain: G2 for "SX1280 A" after 500 ms, then "SX1280 B".
    void StartQueryTimer();
    void OnTimer(int nIDEvent);
    // The configuration commands' guard: false (and a warning) while the
    // device's service runs.
    bool ServiceGuard();

    // Appends narrow text at the end of the log; replies also scroll to it.
    void AppendLog(const std::string& text, bool scrollToEnd);
    // Puts the log's caret at its end, in view (queued by AppendLog).
    void ShowLogTail();
    // Keeps the log box to about this many characters, the oldest lines
    // leaving first (0: no limit, as at start). Set once every entry is kept
    // elsewhere, in the session log file.
    void SetLogLimit(qsizetype characters) { m_logLimit = characters; }
    qsizetype LogLimit() const { return m_logLimit; }

    // Where the page listens for the gateway connecting back: every local
    // address; tests use the loopback address.
    QHostAddress& m_listenAddress = m_link.listenAddress;
    qsizetype m_logLimit = 0;
    bool& m_frameGivenUp = m_link.frameGivenUp;  // while a frame whose rest never came is handled
    bool m_logTrimmed = false;

    // One in-place editor per editable list, with the cell it writes into.
    struct CellEditor {
        QLineEdit* editor = nullptr;  // 1038-1042
        res::ListCtrl* list = nullptr;
        int* row = nullptr;
        int* column = nullptr;
        int firstColumn = 1;  // cells left of it are labels, never edited
        bool upperCase = true;
    };
    std::array<CellEditor, 5> m_cellEditors{};

    // Controls bound by id.
    res::IpAddressCtrl* m_ipAddress = nullptr;       // 1003
    QString m_strPort;                               // text of 1020
    QPushButton* m_btnConnect = nullptr;             // 1022
    QLineEdit* m_editPort = nullptr;                 // 1020
    res::ListCtrl* m_listGatewayModules = nullptr;   // 1011
    res::ListCtrl* m_listNetKeys = nullptr;          // 1012
    res::ListCtrl* m_listGatewayFreq = nullptr;      // 1013
    res::ListCtrl* m_listRepeaterModules = nullptr;  // 1017
    res::ListCtrl* m_listNodeAttr = nullptr;         // 1023
    res::ListCtrl* m_listNodes = nullptr;            // 1016
    res::ComboBox* m_comboRepeater = nullptr;        // 1018
    QPlainTextEdit* m_editLog = nullptr;             // 1028
    QPushButton* m_btnServiceStop = nullptr;         // 1043
    QPushButton* m_btnServiceChange = nullptr;       // 1045

    // Link and service state.
    CDataSocket*& m_pDataSocket = m_link.dataSocket;
    CListenSocket*& m_pListenSocket = m_link.listenSocket;
    bool& m_bLinkActive = m_link.linkActive;
    bool& m_bConnected = m_link.connected;
    bool& m_bServiceStopped = m_link.serviceStopped;
    bool m_bRfConfigService = false;

    // Cells being edited in place, one pair per editable list.
    int m_nNetKeyEditRow = 0, m_nNetKeyEditCol = 0;
    int m_nFreqEditRow = 0, m_nFreqEditCol = 0;
    int m_nRepeaterEditRow = 0, m_nRepeaterEditCol = 0;
    int m_nNodeAttrEditRow = 0, m_nNodeAttrEditCol = 0;
    int m_nNodeEditRow = 0, m_nNodeEditCol = 0;

    // Where the ID file is; paths in the file system's encoding.
    std::string m_szDocumentsPath;
    std::string m_strIdFolder;
    std::string m_idFilePath;
    std::string m_strIdFileName;

    // Stored IDs and the selection.
    std::vector<std::string> m_arrGatewayIds;
    std::array<std::vector<std::string>, 6> m_repeaterIds;
    std::array<std::string, 6>& m_strCommandCodes = m_link.replyTags;
    std::string m_strSelGatewayId;
    std::string m_strSelNodeId;
    std::string m_strSelRepeaterModuleId;
    int m_nSelRepeaterRow = 0;
    std::string m_strReplyModuleId;  // the module of the reply being shown
    bool m_bReplyForClient = false;  // it answers a GET another tab sent

    // What the gateway said lives in the site state; the page's names are views onto it.
    network::SiteState& m_site = m_link.state;
    std::vector<std::string>& m_netKeys = m_site.netKeys;
    std::vector<std::string>& m_nodeIds = m_site.nodeIds;
    std::string& m_strG2Frequency = m_site.g2Frequency;
    std::string& m_strG2Id = m_site.g2Id;
    std::vector<std::string>& m_arrR2Values = m_site.r2Values;
    std::vector<std::string>& m_arrR9Values = m_site.r9Values;
    std::vector<std::string>& m_arrN9Values = m_site.n9Values;
    std::map<std::string, std::string>& m_mapFreqOwner = m_site.frequencyOwner;

    // The gateway address the page offers at start, on the technician's LAN.
    static constexpr quint32 kPresetGatewayAddress = (192u << 24) | (168u << 16) | (1u << 8) | 200u;
    static constexpr char kPresetPort[] = "5555";
    // Reads handled per turn of the event loop before the window gets its turn.
    static constexpr int kReadsPerTurn = devlink::GatewayLink::kReadsPerTurn;
    // The host the link was made to: the only one that may connect back.
    QHostAddress& m_gatewayAddress = m_link.gatewayAddress;
    // Why the last connect or listen failed, as the socket said it.
    QString& m_strLinkError = m_link.linkError;

    devlink::FrameAssembler& m_assembler = m_link.assembler;
    QTimer& m_frameWait = m_link.frameWait;
    QTimer m_logTailTurn;  // the log's caret and view, once per turn
    bool m_bLogScrollPending = false;
    QTimer m_timer1000;  // the first query of the chain
    QTimer m_timer2000;  // the second

    LinkState CurrentLinkState() const { return m_link.CurrentState(); }

signals:
    // What happened on the link, for views and tests to follow without
    // reading the page's members or its log text.
    void CommandSent(int kind, const std::string& command, bool sent);
    void ReplyDecoded(const devlink::Reply& reply);
    // An in-place editor wrote its text into a list's cell.
    void CellEdited(res::ListCtrl* list, int row, int column);
    // Each entry the log box got, as it was appended.
    void LogAppended(const std::string& text);
    // The log box let its oldest lines go for the first time (SetLogLimit).
    void LogTrimmed();
    void LinkStateChanged(devlink::GatewayLink::State state);

protected:
    // Enter commits the focused in-place editor; Enter and Escape never
    // reach the main window.
    bool PreTranslateKey(QWidget* target, QKeyEvent* event) override;

private:
    void OpenCellEditor(CellEditor& cell, int iItem, int iSubItem);
    void CommitCellEditor(CellEditor& cell);
    void KeepOneChecked(res::ListCtrl* list, int iItem);
    RFConfigDlg(std::unique_ptr<devlink::GatewayLink> own, devlink::GatewayLink* shared, QWidget* parent);
    // What the link did, as the page shows and logs it.
    void OnCommandSent(int kind, const std::string& line, bool sent);
    void OnFrameDecoded(const devlink::Received& received);
    void CloseLink() { m_link.Close(); }
    void NotifyLinkState() { m_link.NotifyState(); }
    void OnInitDialog();
    void BindControls();
    void InitLists();
};
