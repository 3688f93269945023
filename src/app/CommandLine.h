#pragma once

#include <QString>
#include <QStringList>

namespace app {

// What the command line asks for: run the window, or print and leave.
struct CommandLine {
    bool run = true;
    int exitCode = 0;
    // Printed before leaving: on standard output for --help and --version,
    // on standard error for a mistake.
    QString output;
    bool toStandardError = false;
};

// The program's name and version, as --version prints them.
QString VersionText();

// Reads the program's arguments (the first is the program itself). Qt's own
// window options (-platform, -style, ...) are let through for QApplication.
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace app
