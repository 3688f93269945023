#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QIcon>
#include <QTimer>
#include <functional>
#include <vector>

#include "app/CellStates.h"
#include "app/FramesWindow.h"
#include "app/Reconnector.h"
#include "app/StatusBar.h"
#include "ids/IDSettingDlg.h"
#include "link/GatewayLink.h"
#include "netview/NetworkPage.h"
#include "netview/SiteLink.h"
#include "network/Clock.h"
#include "res/Readings.h"
#include "rfconfig/RFConfigDlg.h"

class QMenuBar;
class QScrollArea;
class QAction;

namespace res {
class TabCtrl;
}
namespace app {
class RecentGatewayPicker;
}

// The main window: a menu bar and one tab control holding the pages. It owns
// the one link to the gateway and hands it to every view; its modal run is
// the program's run.
class CVeskoraRFConfigurationDlg : public QDialog, public netview::SiteLink {
    Q_OBJECT

public:
    // Command ids of the menu and the window menu.
    static constexpr int kCmdFile = 32773;
    static constexpr int kCmdIpAddress = 32771;
    static constexpr unsigned kCmdAbout = 0x0010;

    explicit CVeskoraRFConfigurationDlg(QWidget* parent = nullptr);
    ~CVeskoraRFConfigurationDlg() override;

    // Creates the window's menu, tab control and pages (once) and runs the
    // window modally; returns how it ended (QDialog::Accepted or Rejected).
    int DoModal();
    // Creates the window without running it: what DoModal does first.
    void Create();

    // The window's one clock (after Create): values, lost links, the session
    // log and the decoded frames are stamped by it.
    void SetClock(const network::Clock& clock);

    // A window-menu command: the about item opens the about box.
    void OnSysCommand(unsigned nID);
    // Shows the window restored (if it was minimized) and active, above others.
    void BringToFront();
    // A language chosen in the language menu: remembered for the next start.
    void OnLanguage(res::Language language);
    // "Connect" > "IP Address": the connection dialog, modally.
    void OnIpAddress();
    // The tab control's selection changed to sel (-1: none).
    void OnTcnSelchangeTab(int sel);

    // "Session" > "Save log as…": the whole session's log to a file the user chooses.
    void OnSaveLogAs();
    // Closing while this program keeps the gateway's service stopped asks
    // first; ending the run remembers the window's restored size and place.
    void done(int result) override;
    // Where "Save log as…" asks for its file (tests answer without a dialog).
    std::function<QString(QWidget*)> m_chooseLogFile = [](QWidget* parent) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Save log as"), QString(),
                                            QStringLiteral("Log files (*.log *.txt)"));
    };
    StatusBar* m_statusBar = nullptr;
    FramesWindow* m_framesWindow = nullptr;  // "Session" > "Decoded frames…"
    Reconnector* m_reconnector = nullptr;    // "Session" > "Reconnect automatically"
    CellStates* m_cellStates = nullptr;      // tints of the RF page's typed cells

    // The menu item with the given command id, or nullptr.
    QAction* MenuCommand(int id) const;

    // One tab: its title, its page, how the page is made inside the tab
    // control, and how much shorter than the control the page is (every page
    // sits at (5, 25) and is ten pixels narrower than the control).
    struct TabPage {
        QString title;
        QWidget* page;
        std::function<void(QWidget* tabCtrl)> create;
        int heightCut;
    };

    // The one link: made before the pages that view it, ended after them.
    devlink::GatewayLink m_link;
    IDSettingDlg m_dlgIdSetting;
    RFConfigDlg m_dlgRfConfig{m_link};
    netview::NetworkPage m_pageNetwork;

    // What the Network tab asks of the window: the link, and the RF page's
    // own Connect and service buttons pressed for it (so its log shows them).
    devlink::GatewayLink& Link() override { return m_link; }
    QString Address() const override;
    void Connect() override;
    bool ServiceStopped() const override { return m_dlgRfConfig.m_bServiceStopped; }
    void StopService() override;
    void RestartService() override;
    // A site chosen on the Network tab: its gateway into the RF page's fields
    // (unless a link stands) and its ID file for both pages.
    void OnSiteChosen(const QString& name, const QString& host, quint16 port, const QString& idFile);
    // The tabs in their order; the first one's page shows at start.
    std::vector<TabPage> m_pages;
    QWidget* m_pwndShow = nullptr;
    QIcon m_hIcon;
    res::TabCtrl* m_tabMain = nullptr;
    QMenuBar* m_menuBar = nullptr;
    // Holds the tab control at its designed size; scrolls when the window is smaller.
    QScrollArea* m_scrollTabs = nullptr;
    // The drop-down of the last gateways beside the RF page's address field.
    app::RecentGatewayPicker* m_recentGateways = nullptr;

    // The available area of the screen the window is on (invalid: no screen).
    QRect AvailableArea() const;
    // The restored window with its frame moved and shrunk into the available
    // area (as far as the window system tells the frame).
    void KeepFrameOnScreen();
    // The size and place remembered from the last run, fitted to the screen.
    void RestorePlace();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnInitDialog();
    void BuildMenu();
    void BuildLanguageMenu();
    void SetUpTabs();
    // The specified pages keep their designed size and scroll; the Network
    // tab's page fills whatever the window gives the tab area.
    void LayOutTabs();

    bool m_created = false;
    QRect m_tabDesigned;  // the tab control's place on the designed client area
    // The next turn of the event loop, when a restored window is fitted to the screen.
    QTimer m_fitTurn;
};
