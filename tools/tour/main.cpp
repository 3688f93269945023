// Opens the program's windows offscreen, one after another, and writes a
// screenshot of each into the folder given as the first argument; then walks
// a technician's session against a simulated gateway, a screenshot per step
// and one of every message box on the way. Last it shows the window on
// laptop-sized screens: "--screen WxH [--english] dir" runs only that part,
// on an offscreen screen of that size. Between them it shows the windows in
// English.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPixmap>
#include <QProcess>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextStream>
#include <cstdio>

#include "GatewayServer.h"
#include "app/AboutDlg.h"
#include "app/TCPIPConn.h"
#include "app/VeskoraRFConfiguration.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "flow/Keyboard.h"
#include "flow/TechnicianFlow.h"
#include "res/DocumentsFolder.h"
#include "res/Readings.h"
#include "res/Settings.h"
#include "res/TabCtrl.h"
#include "res/UserPrompts.h"

namespace {

bool Save(QWidget& widget, const QDir& dir, const QString& name) {
    QApplication::processEvents();
    const QString path = dir.filePath(name);
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "tour: could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

void SelectTab(CVeskoraRFConfigurationDlg& main, int index) {
    main.m_tabMain->SetCurSel(index);
    main.OnTcnSelchangeTab(index);
}

// Shows each message box for a moment, photographs it and answers OK (or Yes).
class PhotographedPrompts final : public res::UserPrompts {
public:
    explicit PhotographedPrompts(const QDir& dir) : m_dir(dir) {}
    QString step;
    bool ok = true;

    int Show(QWidget* parent, const res::Prompt& prompt) override {
        static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Information, QMessageBox::Warning,
                                                  QMessageBox::Critical, QMessageBox::Question};
        QWidget* const active = QApplication::activeWindow();
        QMessageBox box(icons[static_cast<int>(prompt.icon)], prompt.caption, prompt.text, QMessageBox::Ok, parent);
        box.show();
        ok &= Save(box, m_dir, QStringLiteral("%1-message-%2.png").arg(step).arg(++m_count));
        box.hide();
        // As a desktop does when a box closes: the window under it is active again.
        if (active) ShowActive(*active);
        return prompt.buttons == res::PromptButtons::YesNo || prompt.buttons == res::PromptButtons::YesNoCancel
                   ? res::kIdYes
                   : res::kIdOk;
    }

private:
    QDir m_dir;
    int m_count = 0;
};

// The session of flow::TechnicianFlow on the main window, against a gateway
// simulated in this process on a free loopback port.
bool WalkTheFlow(CVeskoraRFConfigurationDlg& main, const QDir& dir) {
    const std::unique_ptr<gatewaysim::GatewayServer> gateway = gatewaysim::StartInProcess();
    if (!gateway) {
        std::fprintf(stderr, "tour: the simulated gateway did not start\n");
        return false;
    }
    main.m_dlgRfConfig.m_listenAddress = QHostAddress::LocalHost;
    if (!ShowActive(main)) std::fprintf(stderr, "tour: the window did not become active\n");

    PhotographedPrompts prompts(dir);
    res::UserPrompts* previous = res::InstallUserPrompts(&prompts);
    flow::TechnicianFlow flow(main, QStringLiteral("127.0.0.1"), gateway->Port());
    bool ok = true;
    int number = 0;
    for (const auto& step : flow.Steps()) {
        prompts.step =
            QStringLiteral("flow-%1-%2").arg(++number, 2, 10, QLatin1Char('0')).arg(QLatin1String(step.name));
        if (!step.run()) {
            std::fprintf(stderr, "tour: step %s did not complete\n", step.name);
            ok = false;
        }
        ok &= Save(main, dir, prompts.step + QStringLiteral(".png"));
    }
    res::InstallUserPrompts(previous);
    return ok && prompts.ok;
}

// The offscreen platform with one screen of the given size, set before the
// application starts; the file lives in folder.
void UseOffscreenScreen(const QSize& size, const QTemporaryDir& folder) {
    const QString path = folder.filePath(QStringLiteral("screen.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return;
    const auto json = QStringLiteral(R"({"screens": [{"name": "tour", "x": 0, "y": 0, "width": %1, "height": %2}]})");
    QTextStream(&file) << json.arg(size.width()).arg(size.height());
    qputenv("QT_QPA_PLATFORM", QFile::encodeName(QStringLiteral("offscreen:configfile=") + path));
}

// The window as a technician on a small screen sees it: maximized (as it
// restores at start), scrolled to the far corner, on the ID tab, restored.
bool PhotographSmallScreen(CVeskoraRFConfigurationDlg& main, const QDir& dir, const QString& prefix) {
    bool ok = true;
    main.showMaximized();
    SelectTab(main, 0);
    ok &= Save(main, dir, prefix + QStringLiteral("rf-configuration.png"));
    QScrollArea* area = main.m_scrollTabs;
    area->horizontalScrollBar()->setValue(area->horizontalScrollBar()->maximum());
    area->verticalScrollBar()->setValue(area->verticalScrollBar()->maximum());
    ok &= Save(main, dir, prefix + QStringLiteral("rf-configuration-scrolled.png"));
    SelectTab(main, 1);
    ok &= Save(main, dir, prefix + QStringLiteral("id-setting-scrolled.png"));
    area->horizontalScrollBar()->setValue(0);
    area->verticalScrollBar()->setValue(0);
    main.showNormal();
    ok &= Save(main, dir, prefix + QStringLiteral("restored.png"));
    return ok;
}

// Runs this tour again for each small screen, each on a screen of its own;
// the laptop screen once more in English.
bool RunSmallScreens(const QDir& dir) {
    bool ok = true;
    const QStringList runs[] = {{QStringLiteral("1366x768")},
                                {QStringLiteral("1024x600")},
                                {QStringLiteral("1366x768"), QStringLiteral("--english")}};
    for (const QStringList& run : runs) {
        const int code = QProcess::execute(QCoreApplication::applicationFilePath(),
                                           QStringList{QStringLiteral("--screen")} + run + QStringList{dir.path()});
        if (code != 0) std::fprintf(stderr, "tour: the %s screen run failed (%d)\n", qPrintable(run.join(u' ')), code);
        ok &= code == 0;
    }
    return ok;
}

// The windows and a message read in English.
bool PhotographEnglish(const QDir& dir) {
    res::ApplyLanguage(res::Language::English);
    CVeskoraRFConfigurationDlg main;
    main.Create();
    main.showNormal();
    bool ok = true;
    SelectTab(main, 0);
    ok &= Save(main, dir, QStringLiteral("english-rf-configuration.png"));
    SelectTab(main, 1);
    ok &= Save(main, dir, QStringLiteral("english-id-setting.png"));
    SelectTab(main, 0);
    CAboutDlg about(&main);
    about.show();
    ok &= Save(about, dir, QStringLiteral("english-dialog-about.png"));
    about.hide();

    PhotographedPrompts prompts(dir);
    prompts.step = QStringLiteral("english");
    res::UserPrompts* previous = res::InstallUserPrompts(&prompts);
    main.m_dlgRfConfig.OnBnClickedServiceStop();  // not connected: says so
    res::InstallUserPrompts(previous);
    res::ApplyLanguage(res::Language::Korean);
    return ok && prompts.ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    QStringList args;
    for (int i = 1; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    QSize screen(1920, 1080);  // room for the whole window
    const bool smallScreen = args.size() >= 2 && args[0] == QStringLiteral("--screen");
    if (smallScreen) {
        const QStringList wh = args[1].split(u'x');
        screen = QSize(wh.value(0).toInt(), wh.value(1).toInt());
        args = args.mid(2);
    }
    const bool english = args.removeAll(QStringLiteral("--english")) > 0;
    const QTemporaryDir platformFolder;
    UseOffscreenScreen(screen, platformFolder);

    QApplication app(argc, argv);
    CVeskoraRFConfigurationApp::InitApplication(app);
    const QDir dir(args.isEmpty() ? QStringLiteral("screenshots") : args[0]);
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "tour: cannot create %s\n", qPrintable(dir.path()));
        return 1;
    }

    // The ID file and the settings go to a folder of the tour's own, never the user's.
    QTemporaryDir documents;
    res::SetDocumentsFolder(documents.path());
    res::SetSettingsFile(documents.filePath(QStringLiteral("settings.ini")));

    if (english) res::ApplyLanguage(res::Language::English);
    bool ok = true;
    CVeskoraRFConfigurationDlg main;
    main.Create();
    if (smallScreen) {
        const QString prefix = QStringLiteral("screen-%1x%2-%3")
                                   .arg(screen.width())
                                   .arg(screen.height())
                                   .arg(english ? QStringLiteral("english-") : QString());
        return PhotographSmallScreen(main, dir, prefix) ? 0 : 1;
    }
    // The window starts minimized; the tour shows it at its designed size.
    main.showNormal();
    main.resize(main.sizeHint().expandedTo(main.size()));

    SelectTab(main, 0);
    ok &= Save(main, dir, QStringLiteral("main-rf-configuration.png"));
    ok &= Save(main.m_dlgRfConfig, dir, QStringLiteral("page-rf-configuration.png"));
    SelectTab(main, 1);
    ok &= Save(main, dir, QStringLiteral("main-id-setting.png"));
    ok &= Save(main.m_dlgIdSetting, dir, QStringLiteral("page-id-setting.png"));
    SelectTab(main, 0);

    TCPIPConn conn(&main);
    conn.show();
    ok &= Save(conn, dir, QStringLiteral("dialog-tcpip-connection.png"));
    conn.hide();

    CAboutDlg about(&main);
    about.show();
    ok &= Save(about, dir, QStringLiteral("dialog-about.png"));
    about.hide();

    ok &= WalkTheFlow(main, dir);
    ok &= PhotographEnglish(dir);
    ok &= RunSmallScreens(dir);
    return ok ? 0 : 1;
}
