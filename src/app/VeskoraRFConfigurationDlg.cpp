#include "app/VeskoraRFConfigurationDlg.h"

#include <QKeyEvent>
#include <QMenuBar>
#include <QVBoxLayout>

#include "app/AboutDlg.h"
#include "app/TCPIPConn.h"
#include "res/AppIcon.h"
#include "res/Strings.h"
#include "res/TabCtrl.h"
#include "res/TemplateBuilder.h"

CVeskoraRFConfigurationDlg::CVeskoraRFConfigurationDlg(QWidget* parent) : QDialog(parent), m_hIcon(res::AppIcon()) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setSizeGripEnabled(false);
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

    // The menu bar sits above a client area that holds the template's controls.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_menuBar = new QMenuBar(this);
    layout->setMenuBar(m_menuBar);
    auto* client = new QWidget(this);
    layout->addWidget(client);
    res::BuildDialog(dlg, client);
    m_tabMain = res::Control<res::TabCtrl>(client, 1001);
    resize(res::DialogSize(dlg) + QSize(0, m_menuBar->sizeHint().height()));

    BuildMenu();
    OnInitDialog();
}

void CVeskoraRFConfigurationDlg::BuildMenu() {
    QAction* file = m_menuBar->addAction(QStringLiteral("파일"));
    file->setData(kCmdFile);

    QMenu* connectMenu = m_menuBar->addMenu(QStringLiteral("Connect"));
    QAction* ipAddress = connectMenu->addAction(QStringLiteral("IP Address"));
    ipAddress->setData(kCmdIpAddress);
    connect(ipAddress, &QAction::triggered, this, &CVeskoraRFConfigurationDlg::OnIpAddress);
}

void CVeskoraRFConfigurationDlg::OnInitDialog() {
    // This desktop's window manager owns the window menu, so the about item
    // goes where users look for it: a help menu at the end of the menu bar.
    const QString aboutText = QString::fromUtf8(res::strings::kAboutItem);
    if (!aboutText.isEmpty()) {
        QMenu* help = m_menuBar->addMenu(QStringLiteral("도움말(&H)"));
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
    m_strTabIdSetting = QString::fromUtf8(res::strings::kTabIdSetting);
    m_strTabRfConfig = QString::fromUtf8(res::strings::kTabRfConfig);

    m_tabMain->InsertItem(0, m_strTabRfConfig);
    m_tabMain->InsertItem(1, m_strTabIdSetting);
    m_tabMain->SetCurSel(0);

    const int w = m_tabMain->width();
    const int h = m_tabMain->height();

    m_dlgRfConfig.Create(m_tabMain);
    m_dlgRfConfig.setGeometry(5, 25, w - 10, h - 20);
    m_dlgRfConfig.show();

    m_dlgIdSetting.Create(m_tabMain);
    m_dlgIdSetting.setGeometry(5, 25, w - 10, h - 30);
    m_dlgIdSetting.hide();

    m_pwndShow = &m_dlgRfConfig;
    connect(m_tabMain, &res::TabCtrl::SelChange, this, [this] { OnTcnSelchangeTab(m_tabMain->GetCurSel()); });
}

void CVeskoraRFConfigurationDlg::OnTcnSelchangeTab(int sel) {
    if (m_pwndShow) {
        m_pwndShow->hide();
        m_pwndShow = nullptr;
    }
    QWidget* page = nullptr;
    if (sel == 0) {
        page = &m_dlgRfConfig;
    } else if (sel == 1) {
        page = &m_dlgIdSetting;
    } else {
        return;
    }
    page->show();
    m_pwndShow = page;
}

void CVeskoraRFConfigurationDlg::OnSysCommand(unsigned nID) {
    if ((nID & 0xFFF0u) == kCmdAbout) {
        CAboutDlg about(this);
        about.exec();
    }
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

void CVeskoraRFConfigurationDlg::keyPressEvent(QKeyEvent* event) {
    // A dialog-based window: Enter ends the run like OK, Escape like Cancel.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
