// Opens the program's windows offscreen, one after another, and writes a
// screenshot of each into the folder given as the first argument.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTextStream>
#include <cstdio>

#include "app/AboutDlg.h"
#include "app/TCPIPConn.h"
#include "app/VeskoraRFConfiguration.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "res/TabCtrl.h"

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

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    CVeskoraRFConfigurationApp::InitApplication(app);
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots"));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "tour: cannot create %s\n", qPrintable(dir.path()));
        return 1;
    }

    bool ok = true;
    CVeskoraRFConfigurationDlg main;
    main.Create();
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

    return ok ? 0 : 1;
}
