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
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "GatewayServer.h"
#include "app/AboutDlg.h"
#include "app/TCPIPConn.h"
#include "app/VeskoraRFConfiguration.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "flow/Keyboard.h"
#include "flow/TechnicianFlow.h"
#include "ids/DocumentsFolder.h"
#include "ids/IdFile.h"
#include "netview/AboutSite.h"
#include "netview/Report.h"
#include "network/NetworkFile.h"
#include "res/FieldsForm.h"
#include "res/Readings.h"
#include "res/Settings.h"
#include "res/TabCtrl.h"
#include "res/UserPrompts.h"
#include "wire/CommandText.h"
#include "xml/XmlTextDoc.h"

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

    // A form is answered with answers, field by field.
    std::vector<res::PromptField> answers;
    int AskFields(QWidget*, const res::Prompt&, std::vector<res::PromptField>& fields,
                  const res::FieldsCheck&) override {
        for (std::size_t i = 0; i < fields.size() && i < answers.size(); ++i) fields[i].text = answers[i].text;
        return res::kIdOk;
    }

private:
    QDir m_dir;
    int m_count = 0;
};

// The report's form as the technician of the tour's site answers it.
std::vector<res::PromptField> AnsweredAbout() {
    network::About about;
    about.site = "Riverside plant";
    about.technician = "J. Park";
    about.notes = "Gateway in the plant room, repeater 4 on the north mast.\nSite contact: M. Han, extension 214.";
    return netview::AboutFields(about);
}

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

// A full site (six repeaters) in the ID file, so that the Network tab reads
// the gateway, 30 modules and 180 nodes.
void WriteFullIdFile() {
    ids::RepeaterRecords records;
    for (int k = 0; k < 6; ++k) {
        const std::string n = std::to_string(k + 1);
        records[static_cast<std::size_t>(k)] = {"R0000" + n,      "R" + n + "0001", "R" + n + "0002",
                                                "R" + n + "0091", "R" + n + "0092", "R" + n + "0093"};
    }
    xml::XmlTextDoc doc;
    ids::BuildIdDocument(doc, "A00001", "A00002", records);
    const ids::IdFileLocation where = ids::LocateIdFile();
    ids::EnsureIdFolder(where.idFolder, where.idFileName);
    doc.SaveTo(where.idFilePath.c_str());
}

// The Network tab over the RF page's link: read all, a plan compared, a
// write under way and done, and the report's first page.
bool WalkTheNetworkTab(CVeskoraRFConfigurationDlg& main, const QDir& dir) {
    gatewaysim::Options options;
    options.nodesPerRepeater = 30;
    const std::unique_ptr<gatewaysim::GatewayServer> gateway = gatewaysim::StartInProcess(options);
    if (!gateway) return false;
    WriteFullIdFile();
    // Frequencies as a commissioned site has them: the gateway radios apart,
    // each repeater on its own channels, the SX1276 radios in the sub-GHz band.
    gatewaysim::Model& model = gateway->State();
    model.gatewayFrequency = {{"A00001", "2402000000"}, {"A00002", "2480000000"}};
    for (int k = 1; k <= 6; ++k) {
        const std::string n = std::to_string(k);
        model.repeaterRadios["R" + n + "0001"].frequency = std::to_string(2410000000LL + k * 8000000LL);
        model.repeaterRadios["R" + n + "0002"].frequency = std::to_string(2414000000LL + k * 8000000LL);
        for (int m = 1; m <= 3; ++m) {
            model.repeaterRadios["R" + n + "009" + std::to_string(m)].frequency =
                std::to_string(917100000LL + k * 1200000LL + m * 300000LL);
        }
    }
    PhotographedPrompts prompts(dir);
    res::UserPrompts* previous = res::InstallUserPrompts(&prompts);
    prompts.step = QStringLiteral("network");
    flow::TechnicianFlow flow(main, QStringLiteral("127.0.0.1"), gateway->Port());
    bool ok = flow.Connect();
    SelectTab(main, 2);
    netview::NetworkPage& page = main.m_pageNetwork;
    QString chosen;
    page.SetFileChooser([&chosen](QWidget*, const QString&, const QString&, bool) { return chosen; });
    const auto waitForEnd = [&page](const std::function<void()>& start) {
        QSignalSpy finished(&page, &netview::NetworkPage::Finished);
        start();
        return finished.count() > 0 || finished.wait(60000);
    };
    ok &= waitForEnd([&] { page.ReadAll(); });
    ok &= Save(main, dir, QStringLiteral("network-1-read-all.png"));
    ok &= Save(*main.m_statusBar, dir, QStringLiteral("status-bar-connected.png"));

    // A plan with three values changed, opened and compared.
    network::Site plan = page.Live();
    plan.repeaters[2].radios[3].frequency = {"922900000", network::Origin::Planned, 0};
    plan.repeaters[4].radios[0].busySf = {"9", network::Origin::Planned, 0};
    // A plan mistake the tab catches: gateway B on gateway A's frequency.
    plan.gateway.radioFrequency[1] = {"2402000000", network::Origin::Planned, 0};
    QTemporaryDir files;
    chosen = files.filePath(QStringLiteral("plan.xml"));
    std::string error;
    ok &= network::SaveNetworkFile(plan, chosen.toStdString(), &error);
    page.OpenPlan();
    page.Compare();
    ok &= Save(main, dir, QStringLiteral("network-2-compare.png"));

    gateway->Settings().latencyMs = 150;
    bool photographed = false;
    // Photographed while the second item is on the wire; the timer ends with this walk, never after it.
    QTimer shot;
    shot.setSingleShot(true);
    QObject::connect(&shot, &QTimer::timeout, &shot,
                     [&] { photographed = Save(main, dir, QStringLiteral("network-3-writing.png")); });
    ok &= waitForEnd([&] {
        page.WriteDifferences();
        shot.start(450);
    });
    ok &= photographed;
    ok &= Save(main, dir, QStringLiteral("network-4-written.png"));

    chosen = files.filePath(QStringLiteral("report.pdf"));
    prompts.answers = AnsweredAbout();
    page.ExportReport();
    ok &= QFile::exists(chosen);
    // The report's first two pages as pictures, painted from the layout the PDF was painted from.
    const netview::ReportPages pages(page.Report());
    std::printf("tour: the report has %d pages\n", pages.Count());
    for (int n = 0; n < 2 && n < pages.Count(); ++n) {
        const QString file = dir.filePath(QStringLiteral("network-5-report-page-%1.png").arg(n + 1));
        ok &= pages.Picture(n, 70).save(file);
        std::printf("%s\n", qPrintable(file));
    }

    // The status bar when the gateway drops the link, and when it connects back.
    gateway->Settings().closeAfter = gateway->CommandsSinceConnect() + 1;
    gateway->Settings().reconnectDelayMs = 300;
    main.m_dlgRfConfig.SendCommand(devlink::CMD_GET, "AT+GET G2 A00001\r\n");
    StatusBar& bar = *main.m_statusBar;
    const auto waitFor = [](const std::function<bool()>& done) {
        for (int i = 0; i < 300 && !done(); ++i) QTest::qWait(10);
        return done();
    };
    // By the link's state: the label reads in the tour's language.
    using LinkState = devlink::GatewayLink::State;
    const auto linkIs = [&](LinkState state) { return main.m_link.CurrentState() == state; };
    ok &= waitFor([&] { return linkIs(LinkState::Dropped) || linkIs(LinkState::DroppedAfterPress); });
    ok &= Save(bar, dir, QStringLiteral("status-bar-link-lost.png"));
    ok &= waitFor([&] { return linkIs(LinkState::AcceptedAfterPress) || linkIs(LinkState::Connected); });
    ok &= Save(bar, dir, QStringLiteral("status-bar-connected-back.png"));

    // The decoded frames of the session, a reply selected.
    FramesWindow& frames = *main.m_framesWindow;
    frames.show();
    frames.Select(std::max(0, frames.Rows() - 1));
    ok &= Save(frames, dir, QStringLiteral("window-decoded-frames.png"));
    frames.hide();

    ok &= flow.Disconnect();
    ok &= Save(bar, dir, QStringLiteral("status-bar-not-connected.png"));
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
    // The Network tab fills the window instead: Cancel and the result line in view.
    SelectTab(main, 2);
    ok &= Save(main, dir, prefix + QStringLiteral("network.png"));
    SelectTab(main, 1);
    main.showNormal();
    ok &= Save(main, dir, prefix + QStringLiteral("restored.png"));
    return ok;
}

// Runs this tour again for each screen size (small ones, and a full HD one for the Network tab), each on a screen of
// its own; the laptop screen once more in English.
bool RunSmallScreens(const QDir& dir) {
    bool ok = true;
    const QStringList runs[] = {{QStringLiteral("1366x768")},
                                {QStringLiteral("1024x600")},
                                {QStringLiteral("1920x1080")},
                                {QStringLiteral("1366x768"), QStringLiteral("--english")}};
    for (const QStringList& run : runs) {
        const int code = QProcess::execute(QCoreApplication::applicationFilePath(),
                                           QStringList{QStringLiteral("--screen")} + run + QStringList{dir.path()});
        if (code != 0) std::fprintf(stderr, "tour: the %s screen run failed (%d)\n", qPrintable(run.join(u' ')), code);
        ok &= code == 0;
    }
    return ok;
}

// The Network tab in Korean mode: the added texts read in Korean.
bool PhotographKorean(const QDir& dir) {
    res::ApplyLanguage(res::Language::Korean);
    CVeskoraRFConfigurationDlg main;
    main.Create();
    main.showNormal();
    SelectTab(main, 2);
    return Save(main, dir, QStringLiteral("korean-network.png"));
}

// The form an export asks who commissions the site with, answered.
bool PhotographReportForm(CVeskoraRFConfigurationDlg& main, const QDir& dir) {
    res::FieldsForm form(&main, netview::AboutPrompt(), AnsweredAbout(), {});
    form.show();
    const bool ok = Save(form, dir, QStringLiteral("network-5-report-form.png"));
    form.hide();
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
    ids::SetDocumentsFolder(documents.path());
    res::SetSettingsFile(documents.filePath(QStringLiteral("settings.ini")));

    // Either language with its reading installed, as the program starts in it.
    res::ApplyLanguage(english ? res::Language::English : res::Language::Korean);
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
    SelectTab(main, 2);
    ok &= Save(main, dir, QStringLiteral("main-network.png"));
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
    ok &= WalkTheNetworkTab(main, dir);
    ok &= PhotographReportForm(main, dir);
    ok &= PhotographEnglish(dir);
    ok &= PhotographKorean(dir);
    ok &= RunSmallScreens(dir);
    return ok ? 0 : 1;
}
