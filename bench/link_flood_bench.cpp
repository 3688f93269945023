// The RF page under a flood of replies from the simulated gateway: every
// reply must be handled, and the GUI thread must not stall.
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTcpServer>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <string>

#include "GatewayServer.h"
#include "app/VeskoraRFConfiguration.h"
#include "res/IpAddressCtrl.h"
#include "res/ListCtrl.h"
#include "res/UserPrompts.h"
#include "rfconfig/RFConfigDlg.h"

namespace {

struct Silent : res::UserPrompts {
    int Show(QWidget*, const res::Prompt&) override { return res::kIdOk; }
};

long RssKb() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmRSS:") {
            status >> value;
            return value;
        }
    }
    return 0;
}

// A free loopback port for the simulator in another process.
quint16 FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Starts the simulated gateway as its own process, flooding on connect;
// false when it does not say it listens.
bool StartExternal(QProcess& process, quint16 port, int replies) {
    const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/gateway-sim");
    process.setReadChannel(QProcess::StandardError);
    process.start(program, {QStringLiteral("--port"), QString::number(port), QStringLiteral("--stop-listening"),
                            QStringLiteral("--quiet"), QStringLiteral("--flood"), QString::number(replies)});
    QByteArray said;
    while (!said.contains("listening") && process.waitForReadyRead(5000)) said += process.readAllStandardError();
    return said.contains("listening");
}

}  // namespace

// link_flood_bench [replies] [--external]: with --external the simulated
// gateway runs in another process, so it writes as fast as the kernel takes.
int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CVeskoraRFConfigurationApp::InitApplication(app);
    const QStringList args = QCoreApplication::arguments();
    const bool external = args.contains(QStringLiteral("--external"));
    const int replies = argc > 1 && argv[1][0] != '-' ? std::atoi(argv[1]) : 100000;

    Silent silent;
    res::InstallUserPrompts(&silent);
    std::unique_ptr<gatewaysim::GatewayServer> sim;
    QProcess process;
    quint16 port = 0;
    if (external) {
        port = FreePort();
        if (!StartExternal(process, port, replies)) return 1;
    } else {
        gatewaysim::Options o;
        o.floodOnConnect = replies;
        sim = gatewaysim::StartInProcess(o);
        if (!sim) return 1;
        port = sim->Port();
    }

    QWidget host;
    RFConfigDlg page;
    page.Create(&host);
    page.m_listenAddress = QHostAddress::LocalHost;
    page.m_ipAddress->SetAddress(127, 0, 0, 1);
    page.m_editPort->setText(QString::number(port));
    page.m_listGatewayFreq->InsertItem(0, QStringLiteral("ID"));
    host.resize(1700, 900);
    host.show();
    QApplication::processEvents();

    // A 5 ms heartbeat on the GUI thread: the longest gap is the longest stall.
    QElapsedTimer beat;
    qint64 longest = 0;
    QTimer heart;
    heart.setInterval(5);
    QObject::connect(&heart, &QTimer::timeout, [&] { longest = std::max(longest, beat.restart()); });

    const long rssBefore = RssKb();
    QElapsedTimer clock;
    clock.start();
    beat.start();
    heart.start();
    QTest::mouseClick(page.m_btnConnect, Qt::LeftButton);
    int handled = 0;
    QTest::qWaitFor(
        [&] {
            handled = page.m_editLog->document()->blockCount() - 1;
            return handled >= replies;
        },
        600000);
    const double seconds = clock.elapsed() / 1000.0;
    heart.stop();
    const long rssAfter = RssKb();

    const int sent = external ? replies : sim->RepliesSent();
    std::printf("peer %s, replies sent %d, handled %d (lost %d)\n", external ? "in another process" : "in-process",
                sent, handled, sent - handled);
    std::printf("replies per second %.0f\n", handled / seconds);
    std::printf("longest GUI stall %lld ms\n", static_cast<long long>(longest));
    std::printf("memory growth per logged reply %.0f bytes\n", (rssAfter - rssBefore) * 1024.0 / std::max(handled, 1));
    if (external) {
        process.kill();
        process.waitForFinished();
    }
    return handled >= replies ? 0 : 1;
}
