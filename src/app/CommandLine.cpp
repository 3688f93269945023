#include "app/CommandLine.h"

#include <QCommandLineParser>

namespace app {

QString VersionText() { return QStringLiteral("VeskoraRFConfiguration " VESKORA_VERSION); }

CommandLine ParseCommandLine(const QStringList& arguments) {
    QCommandLineParser parser;
    // "-platform offscreen" is one option, as QApplication reads it.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("Sets up a gateway and its repeaters and nodes over TCP, and keeps their IDs in ids.xml."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    // QApplication takes these itself; they are listed so they are not refused.
    for (const char* name : {"platform", "style", "qwindowgeometry", "qwindowtitle", "qwindowicon", "stylesheet"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    QCommandLineOption reverse(QStringLiteral("reverse"));
    reverse.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(reverse);

    CommandLine result;
    if (!parser.parse(arguments)) {
        result = {false, 2, parser.errorText() + QStringLiteral("\nTry --help.\n"), true};
    } else if (parser.isSet(help) || parser.isSet(QStringLiteral("help-all"))) {
        result = {false, 0, parser.helpText(), false};
    } else if (parser.isSet(version)) {
        result = {false, 0, VersionText() + u'\n', false};
    } else if (!parser.positionalArguments().isEmpty()) {
        result = {false, 2,
                  QStringLiteral("Unexpected argument '%1'.\nTry --help.\n").arg(parser.positionalArguments().first()),
                  true};
    }
    return result;
}

}  // namespace app
