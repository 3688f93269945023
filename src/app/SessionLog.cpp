#include "app/SessionLog.h"

#include <QDateTime>
#include <QDir>
#include <QSaveFile>

bool SessionLog::Open(const QString& folder, std::int64_t now) {
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("."))) {
        m_error = QStringLiteral("cannot make %1").arg(folder);
        return false;
    }
    // Names sort by time: the oldest go first.
    QStringList old = dir.entryList({QStringLiteral("session-*.log")}, QDir::Files, QDir::Name);
    while (old.size() >= kFilesKept) dir.remove(old.takeFirst());
    const QString name = QStringLiteral("session-%1.log")
                             .arg(QDateTime::fromMSecsSinceEpoch(now).toString(QStringLiteral("yyyyMMdd-hhmmss-zzz")));
    m_file.setFileName(dir.filePath(name));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        m_error = QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString());
        return false;
    }
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
        if (m_error.isEmpty())
            m_error = QStringLiteral("cannot write %1: %2").arg(m_file.fileName(), m_file.errorString());
        return false;
    }
    return true;
}

bool SessionLog::SaveAs(const QString& path, QString* error) const {
    QFile in(m_file.fileName());
    QSaveFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) {
        if (error) *error = in.isOpen() ? out.errorString() : in.errorString();
        return false;
    }
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(1 << 20);
        if (out.write(chunk) != chunk.size()) {
            if (error) *error = out.errorString();
            return false;
        }
    }
    if (!out.commit()) {
        if (error) *error = out.errorString();
        return false;
    }
    return true;
}
