#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>

#include "app/SingleInstance.h"
#include "app/VeskoraRFConfigurationDlg.h"
#include "support/Files.h"
#include "support/PromptRecorder.h"

namespace {

// A name of the test's own, never the user's running window's.
QString TestName() { return QStringLiteral("veskora-test-") + QUuid::createUuid().toString(QUuid::Id128); }

// An environment variable set for the life of the object, as it was afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QString& value) : m_name(name), m_old(qgetenv(name)) {
        qputenv(name, QFile::encodeName(value));
    }
    ~ScopedEnv() { m_old.isNull() ? qunsetenv(m_name) : qputenv(m_name, m_old); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    QByteArray m_old;
};

}  // namespace

TEST(SingleInstance, ALaterStartFindsTheFirstAndAsksItToTheFront) {
    const QString name = TestName();
    app::InstanceGuard first(name);
    EXPECT_FALSE(first.OtherIsRunning());
    ASSERT_TRUE(first.Listen());
    QSignalSpy front(&first, &app::InstanceGuard::FrontRequested);

    const app::InstanceGuard later(name);
    EXPECT_TRUE(later.OtherIsRunning());
    EXPECT_EQ(front.count(), 0);  // being found is not being asked
    ASSERT_TRUE(later.AskOtherToFront());
    EXPECT_TRUE(front.wait(3000));
    EXPECT_EQ(front.count(), 1);

    EXPECT_FALSE(app::InstanceGuard(TestName()).AskOtherToFront());
}

TEST(SingleInstance, TheNameIsASocketInAFolderOnlyTheUserCanEnter) {
    QTemporaryDir own, shared, temp;
    ::chmod(QFile::encodeName(own.path()).constData(), 0700);
    ::chmod(QFile::encodeName(shared.path()).constData(), 0777);
    const ScopedEnv tmp("TMPDIR", temp.path());
    const ScopedEnv runtime("XDG_RUNTIME_DIR", own.path());
    EXPECT_TRUE(app::InstanceName().startsWith(own.path() + QLatin1Char('/'))) << app::InstanceName().toStdString();
    // A runtime folder others can enter is not used: a folder of the user's own is made instead.
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(shared.path()));
    const QString made = temp.filePath(QStringLiteral("VeskoraRFConfiguration-%1").arg(::geteuid()));
    EXPECT_TRUE(app::InstanceName().startsWith(made + QLatin1Char('/'))) << app::InstanceName().toStdString();
    EXPECT_EQ(FileMode(made.toStdString()), 0700);
    // One that others can enter, or a link, is never trusted: no name at all.
    ::chmod(QFile::encodeName(made).constData(), 0755);
    EXPECT_EQ(app::InstanceName(), QString());
    QDir(made).removeRecursively();
    ASSERT_TRUE(QFile::link(own.path(), made));
    EXPECT_EQ(app::InstanceName(), QString());
    EXPECT_FALSE(app::InstanceGuard(QString()).OtherIsRunning());
    EXPECT_FALSE(app::InstanceGuard(QString()).Listen());
}

TEST(SingleInstance, ASocketAnotherUserMadeUnderTheNameIsNotTrusted) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a socket to another user needs root";
    const QString name = TestName();
    QLocalServer other;
    ASSERT_TRUE(other.listen(name));
    const QByteArray socket = QFile::encodeName(other.fullServerName());
    ASSERT_EQ(::chown(socket.constData(), 4242, 4242), 0);
    const app::InstanceGuard later(name);
    EXPECT_FALSE(later.OtherIsRunning());
    EXPECT_FALSE(later.AskOtherToFront());
    // The same socket, this user's again, answers.
    ASSERT_EQ(::chown(socket.constData(), ::geteuid(), ::getegid()), 0);
    EXPECT_TRUE(later.OtherIsRunning());
}

TEST(SingleInstance, TheFirstWindowComesBackFromMinimizedWhenAsked) {
    CVeskoraRFConfigurationDlg main;
    main.Create();
    ASSERT_TRUE(main.isMinimized());
    main.BringToFront();
    EXPECT_FALSE(main.isMinimized());
    EXPECT_TRUE(main.isVisible());
}

TEST(SingleInstance, ASecondStartSaysSoAndWarnsBeforeOpeningAnother) {
    PromptRecorder prompts;
    prompts.answer = res::kIdYes;
    EXPECT_EQ(app::AskAboutSecondStart(), app::SecondStart::BringFirstToFront);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].prompt.buttons, res::PromptButtons::YesNoCancel);
    EXPECT_TRUE(prompts.shown[0].prompt.text.contains(QStringLiteral("ids.xml")));

    prompts.answer = res::kIdNo;
    EXPECT_EQ(app::AskAboutSecondStart(), app::SecondStart::StartAnyway);
    prompts.answer = res::kIdCancel;
    EXPECT_EQ(app::AskAboutSecondStart(), app::SecondStart::Quit);
}
