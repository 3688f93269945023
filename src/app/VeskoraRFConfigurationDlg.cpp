#include "app/VeskoraRFConfigurationDlg.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QEvent>
#include <QFileDialog>
#include <QHostAddress>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QVBoxLayout>
#include <QWindow>

#include "app/AboutDlg.h"
#include "app/RecentGateways.h"
#include "app/TCPIPConn.h"
#include "app/WindowPlacement.h"
#include "ids/DocumentsFolder.h"
#include "res/AppIcon.h"
#include "res/DialogKeys.h"
#include "res/IpAddressCtrl.h"
#include "res/Readings.h"
#include "res/Settings.h"
#include "res/Strings.h"
#include "res/TabCtrl.h"
#include "res/TemplateBuilder.h"
#include "res/UserPrompts.h"

namespace {

// A row of the tab table for any page that is made by Create(parent).
template <class Page>
CVeskoraRFConfigurationDlg::TabPage Tab(const QString& title, Page& page, int heightCut) {
    return {title, &page, [&page](QWidget* tabCtrl) { page.Create(tabCtrl); }, heightCut};
}

}  // namespace

CVeskoraRFConfigurationDlg::CVeskoraRFConfigurationDlg(QWidget* parent) : QDialog(parent), m_hIcon(res::AppIcon()) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
    m_fitTurn.setSingleShot(true);
    m_fitTurn.setInterval(0);
    connect(&m_fitTurn, &QTimer::timeout, this, &CVeskoraRFConfigurationDlg::KeepFrameOnScreen);

    // The ID Setting page is ten pixels shorter than the RF page.
    m_pages = {
        Tab(QString::fromUtf8(res::strings::kTabRfConfig), m_dlgRfConfig, 20),
        Tab(QString::fromUtf8(res::strings::kTabIdSetting), m_dlgIdSetting, 30),
        Tab(res::Added("Network"), m_pageNetwork, 20),
    };
    m_pageNetwork.SetLink(this);
    connect(&m_pageNetwork, &netview::NetworkPage::SiteChosen, this, &CVeskoraRFConfigurationDlg::OnSiteChosen);
}

CVeskoraRFConfigurationDlg::~CVeskoraRFConfigurationDlg() = default;

int CVeskoraRFConfigurationDlg::DoModal() {
    Create();
    return exec();
}

void CVeskoraRFConfigurationDlg::Create() {
    if (m_created) return;
    m_created = true;

    const res::DialogTemplate& dlg = res::Template(res::kTemplateMain);
    setWindowTitle(QString());
    // The title stays empty; a screen reader still names the window.
    setAccessibleName(QStringLiteral("VeskoraRFConfiguration"));

    // The menu bar sits above a client area that holds the template's controls.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    // The pages keep their size and places; a window smaller than them
    // scrolls the tab area instead (scroll bars appear only then).
    m_scrollTabs = new QScrollArea(this);
    m_scrollTabs->setFrameShape(QFrame::NoFrame);
    m_scrollTabs->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scrollTabs->setAccessibleName(res::Added("Pages"));
    auto* client = new QWidget;
    res::BuildDialog(dlg, client);
    client->resize(res::DialogSize(dlg));
    m_scrollTabs->setWidget(client);
    layout->addWidget(m_scrollTabs, 1);
    m_tabMain = res::Control<res::TabCtrl>(client, 1001);
    m_tabDesigned = m_tabMain->geometry();
    m_scrollTabs->installEventFilter(this);
    // The status bar sits below the pages, beside what is specified.
    m_statusBar = new StatusBar(m_dlgRfConfig, this);
    // It records from the start, shown or not.
    m_framesWindow = new FramesWindow(m_dlgRfConfig, this);
    m_reconnector = new Reconnector(m_dlgRfConfig, this);
    m_cellStates = new CellStates(m_dlgRfConfig, this);
    connect(m_cellStates, &CellStates::EditorStillOpen, this, [this] {
        m_statusBar->showMessage(
            res::Added("The open editor's text is not written until Enter: the SET went out without it."), 10000);
    });
    connect(m_reconnector, &Reconnector::WaitingFor, this, [this](int seconds, int attempt) {
        if (seconds == 0) {
            m_statusBar->clearMessage();
        } else {
            m_statusBar->LogLinkEvent(QStringLiteral("reconnecting in %1 s (attempt %2)").arg(seconds).arg(attempt));
            m_statusBar->showMessage(
                res::Added("Reconnecting in %1 s (attempt %2); Disconnect cancels").arg(seconds).arg(attempt));
        }
    });
    layout->addWidget(m_statusBar);
    BuildMenu();
    // Restored, the window is never larger than the screen's available area.
    const QSize designed =
        res::DialogSize(dlg) + QSize(0, m_menuBar->sizeHint().height() + m_statusBar->sizeHint().height());
    resize(app::FitInto(QRect(QPoint(), designed), AvailableArea()).size());
    RestorePlace();

    OnInitDialog();
    m_statusBar->StartSessionLog(QString::fromStdString(ids::LocateIdFile().idFolder) + QStringLiteral("logs"));
}

QRect CVeskoraRFConfigurationDlg::AvailableArea() const {
    const QScreen* s = screen();
    return s ? s->availableGeometry() : QRect();
}

namespace {
const QString kWindowPlace = QStringLiteral("window/place");
}  // namespace

void CVeskoraRFConfigurationDlg::RestorePlace() {
    const QRect saved = res::OpenSettings()->value(kWindowPlace).toRect();
    if (saved.isValid()) setGeometry(app::FitInto(saved, AvailableArea()));
}

void CVeskoraRFConfigurationDlg::KeepFrameOnScreen() {
    const QWindow* window = windowHandle();
    if (!window || windowState() != Qt::WindowNoState) return;
    // The window system's own margins: the widget's copy of them follows later.
    const QMargins border = window->frameMargins();
    const QRect frame = geometry().marginsAdded(border);
    const QRect fitted = app::FitInto(frame, AvailableArea());
    if (fitted != frame) setGeometry(fitted.marginsRemoved(border));
}

void CVeskoraRFConfigurationDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    // A restored window fits the screen with its frame, once the window
    // system has settled the new state.
    if (event->type() == QEvent::WindowStateChange && windowState() == Qt::WindowNoState) m_fitTurn.start();
}

void CVeskoraRFConfigurationDlg::BuildMenu() {
    QAction* file = m_menuBar->addAction(QCoreApplication::translate("Veskora", "파일"));
    file->setData(kCmdFile);

    QMenu* connectMenu = m_menuBar->addMenu(QStringLiteral("Connect"));
    QAction* ipAddress = connectMenu->addAction(QStringLiteral("IP Address"));
    ipAddress->setData(kCmdIpAddress);
    connect(ipAddress, &QAction::triggered, this, &CVeskoraRFConfigurationDlg::OnIpAddress);

    // This menu is the program's own: it has mnemonics and shortcuts, the specified ones keep their texts.
    QMenu* session = m_menuBar->addMenu(res::Added("&Session"));
    QAction* frames = session->addAction(res::Added("&Decoded frames…"));
    frames->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D));
    connect(frames, &QAction::triggered, this, [this] {
        m_framesWindow->show();
        m_framesWindow->raise();
    });
    QAction* saveLog = session->addAction(res::Added("Save &log as…"));
    saveLog->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    connect(saveLog, &QAction::triggered, this, &CVeskoraRFConfigurationDlg::OnSaveLogAs);
    QAction* reconnect = session->addAction(res::Added("&Reconnect automatically"));
    reconnect->setCheckable(true);  // off until chosen
    connect(reconnect, &QAction::toggled, m_reconnector, &Reconnector::SetEnabled);
    BuildLanguageMenu();
}

void CVeskoraRFConfigurationDlg::OnSaveLogAs() {
    const QString path = m_chooseLogFile(this);
    if (path.isEmpty()) return;
    QString error;
    if (!m_statusBar->Log().SaveAs(path, &error)) {
        res::WindowMessageBox(this, res::Added("The log was not saved:\n%1").arg(error), res::Added("Session"),
                              res::PromptIcon::Warning);
        return;
    }
    m_statusBar->showMessage(res::Added("Log saved as %1").arg(path), 10000);
}

void CVeskoraRFConfigurationDlg::done(int result) {
    // A read, a write's results or planned values kept nowhere else: leaving loses them.
    if (m_created && m_pageNetwork.HasUnsavedWork() &&
        res::WindowMessageBox(this,
                              res::Added("The Network tab holds a read, write results or planned values that are "
                                         "in no saved plan or report.\nQuit anyway?"),
                              res::Added("Quit"), res::PromptIcon::Question, res::PromptButtons::YesNo) == res::kIdNo) {
        return;
    }
    // The program stopped the gateway's service and has not started it again: ask before leaving it so.
    const bool stoppedHere = m_dlgRfConfig.m_bServiceStopped && m_dlgRfConfig.m_pDataSocket &&
                             m_statusBar->Status().CurrentService() == LinkStatus::Service::Stopped;
    if (stoppedHere) {
        const int answer = res::WindowMessageBox(
            this,
            res::Added("This program stopped the gateway's service and has not started it again.\n"
                       "Yes: start the service again and quit. No: quit and leave it stopped. Cancel: stay."),
            res::Added("Quit"), res::PromptIcon::Question, res::PromptButtons::YesNoCancel);
        if (answer == res::kIdCancel) return;
        if (answer == res::kIdYes) {
            m_dlgRfConfig.OnBnClickedServiceStop();  // the page's own toggle sends the restart
            m_dlgRfConfig.m_pDataSocket->flush();
        }
    }
    // The restored size and place, also when the window ends maximized or minimized.
    if (m_created) res::OpenSettings()->setValue(kWindowPlace, normalGeometry());
    QDialog::done(result);
}

void CVeskoraRFConfigurationDlg::BuildLanguageMenu() {
    QMenu* menu = m_menuBar->addMenu(QCoreApplication::translate("Veskora", "언어(&L)"));
    auto* group = new QActionGroup(menu);
    const res::Language saved = res::SavedLanguage();
    const std::pair<QString, res::Language> choices[] = {
        {QCoreApplication::translate("Veskora", "한국어"), res::Language::Korean},
        {QStringLiteral("English"), res::Language::English},
    };
    for (const auto& choice : choices) {
        const res::Language language = choice.second;
        QAction* item = menu->addAction(choice.first);
        item->setCheckable(true);
        item->setChecked(language == saved);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, language] { OnLanguage(language); });
    }
}

void CVeskoraRFConfigurationDlg::OnLanguage(res::Language language) {
    if (language == res::SavedLanguage()) return;
    res::SaveLanguage(language);
    // The windows are made in one language; the other one applies from the next start.
    res::AppMessageBox(QCoreApplication::translate("Veskora", "언어는 프로그램을 다시 시작하면 바뀝니다."),
                       res::PromptIcon::Information);
}

void CVeskoraRFConfigurationDlg::OnInitDialog() {
    // This desktop's window manager owns the window menu, so the about item
    // goes where users look for it: a help menu at the end of the menu bar.
    const QString aboutText = res::Reading(res::strings::kAboutItem);
    if (!aboutText.isEmpty()) {
        QMenu* help = m_menuBar->addMenu(QCoreApplication::translate("Veskora", "도움말(&H)"));
        QAction* about = help->addAction(aboutText);
        about->setData(kCmdAbout);
        connect(about, &QAction::triggered, this, [this] { OnSysCommand(kCmdAbout); });
    }

    setWindowIcon(m_hIcon);

    showMaximized();
    showMinimized();

    SetUpTabs();
}

void CVeskoraRFConfigurationDlg::SetUpTabs() {
    for (std::size_t i = 0; i < m_pages.size(); ++i) m_tabMain->InsertItem(static_cast<int>(i), m_pages[i].title);
    m_tabMain->SetCurSel(0);

    const int w = m_tabMain->width();
    const int h = m_tabMain->height();

    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        const TabPage& tab = m_pages[i];
        tab.create(m_tabMain);
        tab.page->setGeometry(5, 25, w - 10, h - tab.heightCut);
        if (i == 0) {
            tab.page->show();
        } else {
            tab.page->hide();
        }
    }

    m_pwndShow = m_pages.front().page;
    m_recentGateways = new app::RecentGatewayPicker(m_dlgRfConfig);
    m_statusBar->WatchConnect();
    connect(m_tabMain, &res::TabCtrl::SelChange, this, [this] { OnTcnSelchangeTab(m_tabMain->GetCurSel()); });
}

void CVeskoraRFConfigurationDlg::OnTcnSelchangeTab(int sel) {
    if (m_pwndShow) {
        m_pwndShow->hide();
        m_pwndShow = nullptr;
    }
    if (sel < 0 || static_cast<std::size_t>(sel) >= m_pages.size()) return;
    QWidget* page = m_pages[static_cast<std::size_t>(sel)].page;
    page->show();
    m_pwndShow = page;
    LayOutTabs();
}

void CVeskoraRFConfigurationDlg::LayOutTabs() {
    QWidget* client = m_scrollTabs ? m_scrollTabs->widget() : nullptr;
    if (!client || !m_tabMain) return;
    const TabPage* network = nullptr;
    for (const TabPage& tab : m_pages) {
        if (tab.page == &m_pageNetwork) network = &tab;
    }
    if (!network || m_pwndShow != &m_pageNetwork) {
        client->resize(res::DialogSize(res::Template(res::kTemplateMain)));
        m_tabMain->setGeometry(m_tabDesigned);
        return;
    }
    // The same margins and page inset as designed, around the space the window has;
    // below the page's smallest size the tab area scrolls as for the other pages.
    const QPoint margin = m_tabDesigned.topLeft();
    const QSize inset(10, network->heightCut);
    const QSize least = m_pageNetwork.minimumSizeHint() + inset + QSize(2 * margin.x(), 2 * margin.y());
    client->resize(m_scrollTabs->maximumViewportSize().expandedTo(least));
    m_tabMain->setGeometry(QRect(margin, client->size() - QSize(2 * margin.x(), 2 * margin.y())));
    m_pageNetwork.setGeometry(5, 25, m_tabMain->width() - 10, m_tabMain->height() - network->heightCut);
}

bool CVeskoraRFConfigurationDlg::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_scrollTabs && event->type() == QEvent::Resize) LayOutTabs();
    return QDialog::eventFilter(watched, event);
}

void CVeskoraRFConfigurationDlg::SetClock(const network::Clock& clock) {
    m_link.SetClock(clock);
    m_pageNetwork.SetClock(clock);
    if (m_statusBar) m_statusBar->SetClock(clock);
    if (m_framesWindow) m_framesWindow->SetClock(clock);
}

void CVeskoraRFConfigurationDlg::OnSysCommand(unsigned nID) {
    if ((nID & 0xFFF0u) == kCmdAbout) {
        CAboutDlg about(this);
        about.exec();
    }
}

void CVeskoraRFConfigurationDlg::BringToFront() {
    if (isMinimized()) setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void CVeskoraRFConfigurationDlg::OnIpAddress() {
    TCPIPConn dlg(this);
    dlg.exec();
}

QAction* CVeskoraRFConfigurationDlg::MenuCommand(int id) const {
    const auto actions = m_menuBar->findChildren<QAction*>();
    for (QAction* action : actions) {
        if (action->data().toInt() == id) return action;
    }
    return nullptr;
}

void CVeskoraRFConfigurationDlg::OnSiteChosen(const QString& name, const QString& host, quint16 port,
                                              const QString& idFile) {
    // The ID file is the site's for both pages from now on.
    m_dlgRfConfig.m_idFilePath = idFile.toStdString();
    m_pageNetwork.SetIdFile(idFile.toStdString());
    // A link that stands is never moved to another gateway behind the technician's back.
    if (m_dlgRfConfig.m_pDataSocket || m_dlgRfConfig.m_bConnected) {
        if (m_statusBar)
            m_statusBar->showMessage(
                res::Added("Site %1: disconnect first to connect to its gateway %2:%3").arg(name, host).arg(port),
                10000);
        return;
    }
    const QHostAddress address(host);
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    if (!isV4 || !m_dlgRfConfig.m_ipAddress || !m_dlgRfConfig.m_editPort) {
        if (m_statusBar)
            m_statusBar->showMessage(
                res::Added("Site %1: the gateway %2 is not an IPv4 address; type it on the RF page").arg(name, host),
                10000);
        return;
    }
    m_dlgRfConfig.m_ipAddress->SetAddress(v4);
    m_dlgRfConfig.m_editPort->setText(QString::number(port));
}

QString CVeskoraRFConfigurationDlg::Address() const {
    if (!m_dlgRfConfig.m_ipAddress || !m_dlgRfConfig.m_editPort) return {};
    return m_dlgRfConfig.m_ipAddress->Text() + QLatin1Char(':') + m_dlgRfConfig.m_editPort->text();
}

void CVeskoraRFConfigurationDlg::Connect() {
    // Only from no link at all: pressing Connect on a live link would end it.
    if (!m_dlgRfConfig.m_pDataSocket && !m_dlgRfConfig.m_bConnected) m_dlgRfConfig.OnBnClickedConnect();
}

void CVeskoraRFConfigurationDlg::StopService() {
    if (!m_dlgRfConfig.m_bServiceStopped) m_dlgRfConfig.OnBnClickedServiceStop();
}

void CVeskoraRFConfigurationDlg::RestartService() {
    if (m_dlgRfConfig.m_bServiceStopped) m_dlgRfConfig.OnBnClickedServiceStop();
}

void CVeskoraRFConfigurationDlg::keyPressEvent(QKeyEvent* event) {
    // A dialog-based window: Enter ends the run like OK, Escape like Cancel.
    if (!res::AcceptOnEnter(*this, *event)) QDialog::keyPressEvent(event);
}
