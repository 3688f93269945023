// The main window's status bar and session log against the simulated gateway.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include "GatewayServer.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "flow/Keyboard.h"
#include "flow/TechnicianFlow.h"
#include "ids/DocumentsFolder.h"
#include "res/ListCtrl.h"
#include "support/Files.h"
#include "support/WindowWithGateway.h"
#include "wire/CommandText.h"

namespace {

class StatusAndLog : public WindowWithGateway {
protected:
    QString LogFolder() const { return QString::fromStdString(ids::LocateIdFile().idFolder) + QStringLiteral("logs"); }
    QString SessionText() const {
        QFile file(main->m_statusBar->Log().Path());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

}  // namespace

TEST_F(StatusAndLog, TheStatusBarFollowsTheLinkTheServiceAndTheBytes) {
    gatewaysim::Options o;
    o.closeAfter = 2;  // the stop and one GET, then the gateway drops the link and connects back
    o.reconnectDelayMs = 50;
    Start(o);
    StatusBar& bar = *main->m_statusBar;
    EXPECT_EQ(bar.LinkLabel(), QStringLiteral("Not connected"));
    ASSERT_TRUE(flow->Connect());
    EXPECT_EQ(bar.LinkLabel(), QStringLiteral("Connected to 127.0.0.1:%1").arg(sim->Port()));
    EXPECT_EQ(bar.ServiceLabel(), QStringLiteral("Service unknown (new link)"));
    ASSERT_TRUE(flow->StopService());
    EXPECT_EQ(bar.ServiceLabel(), QStringLiteral("Service stopped"));
    main->m_dlgRfConfig.SendCommand(devlink::CMD_GET, devlink::command::Get("G2", "A00001"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.LinkLabel().startsWith(QStringLiteral("Link lost")); }, 3000));
    EXPECT_EQ(bar.LinkLabel(), QStringLiteral("Link lost — waiting for the gateway on port %1").arg(sim->Port()));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return bar.LinkLabel().startsWith(QStringLiteral("Gateway connected back")); }, 3000));
    EXPECT_TRUE(bar.LinkLabel().startsWith(QStringLiteral("Gateway connected back from 127.0.0.1 at ")))
        << bar.LinkLabel().toStdString();
    // The page still shows its stop; the bar does not pretend to know.
    EXPECT_EQ(bar.ServiceLabel(), QStringLiteral("Service unknown (new link)"));
    bar.Refresh();
    EXPECT_TRUE(bar.ActivityLabel().contains(QStringLiteral("sent 27 B"))) << bar.ActivityLabel().toStdString();
    EXPECT_FALSE(bar.ActivityLabel().contains(QStringLiteral("received 0 B")));
}

TEST_F(StatusAndLog, ALostLinkSaysOnlyWhatIsTrueAndLinkEventsGoToTheSessionLogAlone) {
    gatewaysim::Options o;
    o.closeAfter = 1;
    Start(o);
    // The gateway keeps its port: the page cannot listen there for it to connect back.
    sim->Settings().stopListeningAfterAccept = false;
    ASSERT_TRUE(flow->Connect());
    main->m_dlgRfConfig.SendCommand(devlink::CMD_GET, devlink::command::Get("G2", "A00001"));
    StatusBar& bar = *main->m_statusBar;
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar.LinkLabel().startsWith(QStringLiteral("Link lost")); }, 3000));
    EXPECT_EQ(bar.LinkLabel(),
              QStringLiteral("Link lost — not listening on port %1; Connect links again").arg(sim->Port()));
    const QString session = SessionText();
    EXPECT_TRUE(session.contains(QStringLiteral("[Link] Connected to 127.0.0.1:%1").arg(sim->Port())))
        << session.toStdString();
    EXPECT_TRUE(session.contains(QStringLiteral("[Link] Link lost — not listening"))) << session.toStdString();
    EXPECT_FALSE(main->m_dlgRfConfig.m_editLog->toPlainText().contains(QStringLiteral("[Link]")));
}

TEST_F(StatusAndLog, TheSessionLogKeepsEveryEntryAndTheBoxItsNewestText) {
    // Older sessions beyond the newest 50 go.
    QDir().mkpath(LogFolder());
    for (int i = 0; i < 60; ++i) {
        QFile f(LogFolder() + QStringLiteral("/session-20200101-0000%1-000.log").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    Start();
    EXPECT_EQ(QDir(LogFolder()).entryList({QStringLiteral("session-*.log")}, QDir::Files).size(), 50);
    EXPECT_FALSE(QFile::exists(LogFolder() + QStringLiteral("/session-20200101-000010-000.log")));

    RFConfigDlg& page = main->m_dlgRfConfig;
    ASSERT_TRUE(flow->Connect());
    page.SetLogLimit(4000);
    QSignalSpy trimmed(&page, &RFConfigDlg::LogTrimmed);
    for (int i = 0; i < 40; ++i)
        page.SendCommand(devlink::CMD_GET, devlink::command::Get("G2", "A000" + std::to_string(10 + i)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim->State().commands == 40; }, 3000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return SessionText().count(QStringLiteral("[Response]")) == 40; }, 3000));
    EXPECT_EQ(trimmed.count(), 1);
    EXPECT_LE(page.m_editLog->document()->characterCount(), 4000);
    // The newest reply (to A00049, its ID in hex) stays; the first command has left.
    EXPECT_TRUE(page.m_editLog->toPlainText().contains(QStringLiteral("0x41 0x30 0x30 0x30 0x34 0x39")));
    EXPECT_FALSE(page.m_editLog->toPlainText().contains(QStringLiteral("AT+GET G2 A00010")));
    // The file has everything, each entry with its time.
    const QString session = SessionText();
    EXPECT_TRUE(session.contains(QStringLiteral("] [GET][SEND] AT+GET G2 A00010")));
    EXPECT_EQ(main->m_statusBar->currentMessage(),
              QStringLiteral("The log box keeps its newest 4,000 characters; every entry is in ") +
                  main->m_statusBar->Log().Path());

    // Save log as: the whole session.
    QTemporaryDir out;
    const QString saved = out.filePath(QStringLiteral("copy.log"));
    main->m_chooseLogFile = [&](QWidget*) { return saved; };
    main->OnSaveLogAs();
    QFile copy(saved);
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(copy.readAll()), SessionText());
}

TEST_F(StatusAndLog, PruningRemovesOnlyTheProgramsOwnSessionFiles) {
    QDir().mkpath(LogFolder());
    for (int i = 0; i < 60; ++i) {
        QFile f(LogFolder() + QStringLiteral("/session-20200101-0000%1-000.log").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // Named alike, sorted first, and none of the program's.
    const QString note = LogFolder() + QStringLiteral("/session-0-my-notes.log");
    const QString link = LogFolder() + QStringLiteral("/session-20000101-000000-000.log");
    const QString linked = documents.filePath(QStringLiteral("elsewhere.log"));
    QFile(note).open(QIODevice::WriteOnly);
    QFile(linked).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(linked, link));
    Start();
    EXPECT_TRUE(QFile::exists(note));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(QFile::exists(linked));
    const QStringList own = QDir(LogFolder())
                                .entryList({QStringLiteral("session-2*.log")}, QDir::Files | QDir::NoSymLinks)
                                .filter(QRegularExpression(QStringLiteral("^session-\\d{8}-\\d{6}-\\d{3}\\.log$")));
    EXPECT_EQ(own.size(), 50);
    EXPECT_FALSE(QFile::exists(LogFolder() + QStringLiteral("/session-20200101-000010-000.log")));
}

TEST_F(StatusAndLog, SessionLogsAndTheirCopiesAreTheUsersAlone) {
    const ScopedUmask usual(022);
    Start();
    EXPECT_EQ(FileMode(LogFolder().toStdString()), 0700);
    EXPECT_EQ(FileMode(main->m_statusBar->Log().Path().toStdString()), 0600);
    EXPECT_FALSE(main->m_statusBar->currentMessage().contains(QStringLiteral("other users")));
    ASSERT_TRUE(flow->Connect());
    ASSERT_TRUE(flow->StopService());
    // Save log as: a new file, and one that others could read before.
    const QString saved = documents.filePath(QStringLiteral("copy.log"));
    main->m_chooseLogFile = [&](QWidget*) { return saved; };
    main->OnSaveLogAs();
    EXPECT_EQ(FileMode(saved.toStdString()), 0600);
    ::chmod(QFile::encodeName(saved).constData(), 0644);
    main->OnSaveLogAs();
    EXPECT_EQ(FileMode(saved.toStdString()), 0600);
    EXPECT_TRUE(main->m_statusBar->currentMessage().startsWith(QStringLiteral("Log saved as")));
}

TEST_F(StatusAndLog, ALogFolderOthersCanOpenIsLeftAsItIsAndSaid) {
    const ScopedUmask usual(022);
    QDir().mkpath(LogFolder());
    ::chmod(QFile::encodeName(LogFolder()).constData(), 0755);
    Start();
    EXPECT_EQ(FileMode(LogFolder().toStdString()), 0755);
    EXPECT_EQ(FileMode(main->m_statusBar->Log().Path().toStdString()), 0600);
    EXPECT_EQ(main->m_statusBar->currentMessage(),
              QStringLiteral("Session log: other users can open the folder %1 (the log files are yours alone)")
                  .arg(LogFolder()));
}

TEST_F(StatusAndLog, ASessionLogThatCannotBeWrittenIsSaidOnceAndTheLinkGoesOn) {
    // A file where the folder should be: the log cannot start.
    QDir().mkpath(QString::fromStdString(ids::LocateIdFile().idFolder));
    QFile blocker(LogFolder());
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Start();
    EXPECT_TRUE(main->m_statusBar->currentMessage().startsWith(QStringLiteral("Session log: cannot make")));
    ASSERT_TRUE(flow->Connect());
    ASSERT_TRUE(flow->StopService());
}

TEST_F(StatusAndLog, ClosingWhileTheProgramKeepsTheServiceStoppedAsksFirst) {
    Start();
    ASSERT_TRUE(flow->Connect());
    ASSERT_TRUE(flow->StopService());
    prompts.answer = res::kIdCancel;
    main->reject();
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(prompts.Texts().last().startsWith(QStringLiteral("This program stopped the gateway's service")));
    prompts.answer = res::kIdYes;
    main->reject();
    EXPECT_FALSE(main->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return sim->Received().find("AT+SEND R\r\n") != std::string::npos; }, 3000));
}

TEST_F(StatusAndLog, TheDecodedFramesWindowListsCommandsAndRepliesWithTheirBytes) {
    gatewaysim::Options o;
    o.badTags = true;  // every third reply's tag in lower case
    o.splitReplies = true;
    Start(o);
    ASSERT_TRUE(flow->Connect());
    RFConfigDlg& page = main->m_dlgRfConfig;
    for (const char* id : {"A00001", "A00002", "A00003"})
        page.SendCommand(devlink::CMD_GET, devlink::command::Get("G2", id));
    FramesWindow& frames = *main->m_framesWindow;
    ASSERT_TRUE(QTest::qWaitFor([&] { return frames.Rows() == 6; }, 3000));
    EXPECT_EQ(frames.Cell(0, 1), QStringLiteral("→ sent"));
    EXPECT_TRUE(frames.Cell(0, 4).isEmpty());  // a GET carries no values
    EXPECT_EQ(frames.Cell(0, 2), QStringLiteral("G2"));
    EXPECT_EQ(frames.Cell(0, 3), QStringLiteral("A00001"));
    EXPECT_EQ(frames.Cell(3, 1), QStringLiteral("← received"));
    EXPECT_EQ(frames.Cell(3, 4), QStringLiteral("frequency=2402000000"));
    EXPECT_EQ(frames.Cell(5, 5), QStringLiteral("lower-case tag \"g2\""));
    frames.Select(3);
    EXPECT_TRUE(frames.BytesText().startsWith(QStringLiteral("0000  56 45 53 4b")));  // "VESK…" header
    EXPECT_TRUE(frames.BytesText().contains(QStringLiteral("length byte")));
}

TEST_F(StatusAndLog, TheReconnectOptionConnectsAgainAfterADropAndDisconnectCancelsIt) {
    // The gateway keeps listening on 127.0.0.1; the page listens for it on 127.0.0.2.
    gatewaysim::Options o;
    o.port = 0;
    o.verbose = false;
    o.closeAfter = 1;
    gatewaysim::GatewayServer gateway(o);
    ASSERT_TRUE(gateway.Start());
    main = std::make_unique<CVeskoraRFConfigurationDlg>();
    main->Create();
    RFConfigDlg& page = main->m_dlgRfConfig;
    page.m_listenAddress = QHostAddress(QStringLiteral("127.0.0.2"));
    main->showNormal();
    ASSERT_TRUE(ShowActive(*main));
    flow = std::make_unique<flow::TechnicianFlow>(*main, QStringLiteral("127.0.0.1"), gateway.Port());
    ASSERT_TRUE(flow->Connect());
    main->m_reconnector->SetSecondMs(20);
    main->m_reconnector->SetEnabled(true);

    page.SendCommand(devlink::CMD_GET, devlink::command::Get("G2", "A00001"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return main->m_statusBar->currentMessage().startsWith(QStringLiteral("Reconnecting in 1 s (attempt 1)"));
        },
        3000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return main->m_statusBar->LinkLabel().startsWith(QStringLiteral("Connected")); }, 3000));
    page.SendCommand(devlink::CMD_GET, devlink::command::Get("G2", "A00002"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return gateway.State().commands == 2; }, 3000));

    // Dropped again; a press of the page's button during the wait cancels it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return main->m_reconnector->Waiting(); }, 3000));
    main->m_reconnector->SetSecondMs(1000);
    page.OnBnClickedConnect();
    EXPECT_FALSE(main->m_reconnector->Waiting());
    EXPECT_TRUE(main->m_statusBar->currentMessage().isEmpty());
}

TEST_F(StatusAndLog, TypedCellsShowWhetherTheReplyConfirmedThem) {
    Start();
    ASSERT_TRUE(flow->Connect());
    RFConfigDlg& page = main->m_dlgRfConfig;
    page.m_bServiceStopped = true;  // the guard passes; no "AT+STOP" needed for this
    page.m_listGatewayFreq->InsertItem(0, QStringLiteral("A00001"));
    page.m_listGatewayFreq->SetItemText(0, 1, QStringLiteral("2402000000"));
    // Typed in place: edited, not sent.
    page.OnNMDblclkGatewayFreq(0, 1);
    page.m_cellEditors[1].editor->setText(QStringLiteral("2410000000"));
    QTest::keyClick(page.m_cellEditors[1].editor, Qt::Key_Return);
    CellStates::State state{};
    ASSERT_TRUE(main->m_cellStates->StateOf(page.m_listGatewayFreq, 0, 1, &state));
    EXPECT_EQ(state, CellStates::State::Edited);
    // SET: waiting, then the reply confirms it; the text stays as the page shows it.
    page.SendCommand(devlink::CMD_SET, devlink::command::Set("G2", "A00001", {"2410000000"}));
    ASSERT_TRUE(main->m_cellStates->StateOf(page.m_listGatewayFreq, 0, 1, &state));
    EXPECT_EQ(state, CellStates::State::Waiting);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return main->m_cellStates->StateOf(page.m_listGatewayFreq, 0, 1, &state) &&
                   state == CellStates::State::Confirmed;
        },
        3000));
    EXPECT_EQ(page.m_listGatewayFreq->GetItemText(0, 1), QStringLiteral("2410000000"));

    // Typed again, a SET while the editor is still open: the status bar says the typed text is not written.
    page.OnNMDblclkGatewayFreq(0, 1);
    page.SendCommand(devlink::CMD_SET, devlink::command::Set("G2", "A00001", {"2410000000"}));
    EXPECT_TRUE(
        main->m_statusBar->currentMessage().startsWith(QStringLiteral("The open editor's text is not written")));
}

TEST_F(StatusAndLog, AFailedConnectKeepsItsMessageAndTheBarAddsAddressAndReason) {
    Start();
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();  // nobody listens there now: the connect is refused
    flow::TechnicianFlow refused(*main, QStringLiteral("127.0.0.1"), port);
    ASSERT_FALSE(refused.Connect());
    EXPECT_EQ(prompts.Texts().value(0), QStringLiteral("Server Connection Fail!"));
    QCoreApplication::processEvents();
    const QString said = main->m_statusBar->currentMessage();
    EXPECT_TRUE(said.startsWith(QStringLiteral("Could not connect to 127.0.0.1:%1 — ").arg(port)))
        << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("refused"), Qt::CaseInsensitive)) << said.toStdString();
}
