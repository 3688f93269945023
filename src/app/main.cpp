#include <QApplication>

#include "app/VeskoraRFConfiguration.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    CVeskoraRFConfigurationApp::InitApplication(app);
    CVeskoraRFConfigurationApp theApp;
    theApp.InitInstance();
    return 0;
}
