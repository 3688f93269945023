#include "app/SessionLog.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>

#include "res/PrivateFiles.h"

bool SessionLog::Open(const QString& folder, std::int64_t now) {
    // The log holds every reply, NET keys included: the folder and files are the user's.
    if (!res::MakePrivateFolder(folder, &m_folderOpenToOthers)) {
        m_error = QStringLiteral("cannot make %1").arg(folder);
        return false;
    }
    QDir dir(folder);
    // Names sort by time: the oldest go first. Only the program's own files
    // are taken: a user's note named alike or a link stays.
    static const QRegularExpression kOwnName(QStringLiteral("^session-\\d{8}-\\d{6}-\\d{3}\\.log$"));
    QStringList old =
        dir.entryList({QStringLiteral("session-*.log")}, QDir::Files | QDir::NoSymLinks, QDir::Name).filter(kOwnName);
    while (old.size() >= kFilesKept) dir.remove(old.takeFirst());
    const QString name = QStringLiteral("session-%1.log")
                             .arg(QDateTime::fromMSecsSinceEpoch(now).toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")));
    m_path = dir.filePath(name);
    if (!res::CreatePrivateFile(m_file, m_path, &m_error)) return false;
    m_error.clear();
    return true;
}

bool SessionLog::Append(const QString& entry, std::int64_t now) {
    if (!m_file.isOpen()) return false;
    QString line = QDateTime::fromMSecsSinceEpoch(now).toString(QStringLiteral("[yyyy-MM-dd hh:mm:ss.zzz] ")) + entry;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!line.endsWith(QLatin1Char('\n'))) line += QLatin1Char('\n');
    const QByteArray bytes = line.toUtf8();
    if (m_file.write(bytes) != bytes.size() || !m_file.flush()) {
        if (m_error.isEmpty()) m_error = QStringLiteral("cannot write %1: %2").arg(m_path, m_file.errorString());
        return false;
    }
    return true;
}

bool SessionLog::SaveAs(const QString& path, QString* error) const {
    QFile in(m_path);
    if (!in.open(QIODevice::ReadOnly)) {
        if (error) *error = in.errorString();
        return false;
    }
    return res::SavePrivateFile(
        path,
        [&](QIODevice& out) {
            while (!in.atEnd()) {
                const QByteArray chunk = in.read(1 << 20);
                if (out.write(chunk) != chunk.size()) return false;
            }
            return true;
        },
        error);
}
