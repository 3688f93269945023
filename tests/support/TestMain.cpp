#include <gmock/gmock.h>

#include <QApplication>
#include <QTemporaryDir>

#include "app/VeskoraRFConfiguration.h"
#include "res/DocumentsFolder.h"
#include "res/Settings.h"

int main(int argc, char** argv) {
    // Tests never need a display and never touch the user's documents or settings.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CVeskoraRFConfigurationApp::InitApplication(app);
    QTemporaryDir documents;
    res::SetDocumentsFolder(documents.path());
    res::SetSettingsFile(documents.filePath(QStringLiteral("settings.ini")));
    testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
