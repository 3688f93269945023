// Writes the application icon as PNG files of the given sizes into a folder
// ("<size>.png"), for installing into the icon theme.
#include <QDir>
#include <QString>
#include <cstdio>

#include "res/AppIcon.h"

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: veskora-icon FOLDER SIZE...\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(dir.path())) return 1;
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        const QString path = dir.filePath(QStringLiteral("%1.png").arg(size));
        if (size <= 0 || !res::AppIconImage(size).save(path, "PNG")) {
            std::fprintf(stderr, "veskora-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
