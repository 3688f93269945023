#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "app/CommandLine.h"

namespace {

struct ProgramRun {
    int exitCode = -1;
    QString out;
    QString err;
    QStringList made;  // everything found in the home folder afterwards
};

// Runs the built program with a home folder of its own, so anything it makes
// there shows.
ProgramRun RunProgram(const QStringList& arguments) {
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    QProcess process;
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VESKORA_PROGRAM), arguments);
    ProgramRun run;
    // A program that opened its window instead would never end by itself.
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    run.made = QDir(home.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return run;
}

}  // namespace

TEST(CommandLine, HelpAndVersionPrintAndMakeNothing) {
    for (const QString& option : {QStringLiteral("--help"), QStringLiteral("-h")}) {
        const ProgramRun run = RunProgram({option});
        EXPECT_EQ(run.exitCode, 0) << qPrintable(option);
        EXPECT_TRUE(run.out.contains(QStringLiteral("--version"))) << qPrintable(run.out);
        EXPECT_TRUE(run.made.isEmpty()) << qPrintable(run.made.join(u' '));
    }
    const ProgramRun run = RunProgram({QStringLiteral("--version")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, app::VersionText() + u'\n');
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("VeskoraRFConfiguration ")));
    EXPECT_TRUE(run.made.isEmpty()) << qPrintable(run.made.join(u' '));
}

TEST(CommandLine, UnknownOptionOrArgumentIsNamedAndFails) {
    for (const QString& argument : {QStringLiteral("--frobnicate"), QStringLiteral("stray")}) {
        const ProgramRun run = RunProgram({argument});
        EXPECT_NE(run.exitCode, 0) << qPrintable(argument);
        EXPECT_NE(run.exitCode, -1) << "the program did not end by itself";
        EXPECT_TRUE(run.err.contains(argument.mid(argument.startsWith(u'-') ? 2 : 0))) << qPrintable(run.err);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.made.isEmpty());
    }
}

TEST(CommandLine, QtWindowOptionsAreLeftToTheApplication) {
    const QString program = QStringLiteral("VeskoraRFConfiguration");
    EXPECT_TRUE(app::ParseCommandLine({program}).run);
    EXPECT_TRUE(app::ParseCommandLine({program, QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                       QStringLiteral("-style"), QStringLiteral("Fusion"), QStringLiteral("-reverse")})
                    .run);
    EXPECT_FALSE(app::ParseCommandLine({program, QStringLiteral("-platformx")}).run);
}
