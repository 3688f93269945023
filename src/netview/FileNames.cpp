#include "netview/FileNames.h"

#include <QDir>
#include <QFileInfo>

namespace netview {

QString SuggestedPath(const QString& folder, const QString& filter, bool save, const QDateTime& now) {
    if (!save) return folder;
    const bool pdf = filter.contains(QStringLiteral("*.pdf"));
    const QString name =
        QStringLiteral("%1-%2.%3")
            .arg(pdf ? QStringLiteral("report") : QStringLiteral("site"), now.toString(QStringLiteral("yyyyMMdd-hhmm")),
                 pdf ? QStringLiteral("pdf") : QStringLiteral("xml"));
    return QDir(folder).filePath(name);
}

QString WithSuffix(const QString& file, const QString& suffix) {
    if (QFileInfo(file).suffix().compare(suffix, Qt::CaseInsensitive) == 0) return file;
    return file + QLatin1Char('.') + suffix;
}

}  // namespace netview
