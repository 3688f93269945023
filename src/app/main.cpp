#include <QApplication>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/VeskoraRFConfiguration.h"
#include "res/Readings.h"

int main(int argc, char* argv[]) {
    // The command line is read before the window system or any file is
    // touched: --help and --version work without a display and make nothing.
    {
        const QCoreApplication probe(argc, argv);
        const app::CommandLine line = app::ParseCommandLine(QCoreApplication::arguments());
        if (!line.run) {
            std::fputs(line.output.toLocal8Bit().constData(), line.toStandardError ? stderr : stdout);
            return line.exitCode;
        }
    }
    QApplication app(argc, argv);
    CVeskoraRFConfigurationApp::InitApplication(app);
    res::ApplyLanguage(res::SavedLanguage());
    CVeskoraRFConfigurationApp theApp;
    theApp.InitInstance();
    return 0;
}
