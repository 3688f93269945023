#include <gmock/gmock.h>

#include <QApplication>
#include <QDirIterator>
#include <QTemporaryDir>
#include <memory>

#include "app/VeskoraRFConfiguration.h"
#include "ids/DocumentsFolder.h"
#include "res/Settings.h"

namespace {

// Every test starts with documents and settings of its own, whatever the
// tests before it left; and a file that appears in the home folder fails the
// test that wrote it, since a test writing there would write to the user's.
class OwnFolders : public testing::EmptyTestEventListener {
public:
    explicit OwnFolders(QString home) : m_home(std::move(home)) {}

    void OnTestStart(const testing::TestInfo&) override {
        m_test = std::make_unique<QTemporaryDir>();
        ids::SetDocumentsFolder(m_test->path());
        res::SetSettingsFile(m_test->filePath(QStringLiteral("settings.ini")));
    }

    void OnTestEnd(const testing::TestInfo&) override {
        QStringList stray;
        QDirIterator files(m_home, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
        while (files.hasNext()) stray << files.next();
        EXPECT_TRUE(stray.isEmpty()) << "written into the home folder: "
                                     << stray.join(QStringLiteral(", ")).toStdString();
        // Each stray file is reported once, by the test that wrote it.
        for (const QString& file : stray) QFile::remove(file);
        m_test.reset();
    }

private:
    QString m_home;
    std::unique_ptr<QTemporaryDir> m_test;
};

}  // namespace

int main(int argc, char** argv) {
    // Tests never need a display; the home and XDG folders, which the program
    // and the processes a test starts would write to, are a temporary folder's.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("home"));
    const QString runtime = root.filePath(QStringLiteral("runtime"));
    QDir().mkpath(home);
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/.local/share")).toLocal8Bit());
    qputenv("XDG_STATE_HOME", (home + QStringLiteral("/.local/state")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (home + QStringLiteral("/.cache")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());

    QApplication app(argc, argv);
    CVeskoraRFConfigurationApp::InitApplication(app);
    testing::InitGoogleMock(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new OwnFolders(home));
    return RUN_ALL_TESTS();
}
