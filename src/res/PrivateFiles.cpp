#include "res/PrivateFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "xml/DocFile.h"

namespace res {

bool SavePrivateFile(const QString& path, const std::function<bool(QIODevice&)>& write, QString* error) {
    int why = 0;
    const bool ok = xml::ReplaceFile(
        QFile::encodeName(path).constData(), xml::FileAccess::OwnerOnly,
        [&](std::FILE* stream) {
            QFile device;
            if (!device.open(stream, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) return false;
            errno = 0;
            return write(device) && device.flush() && device.error() == QFileDevice::NoError;
        },
        &why);
    if (!ok && error)
        *error = QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(why)));
    return ok;
}

bool SavePrivateFile(const QString& path, const QByteArray& bytes, QString* error) {
    return SavePrivateFile(
        path, [&](QIODevice& device) { return device.write(bytes) == bytes.size(); }, error);
}

bool CreatePrivateFile(QFile& file, const QString& path, QString* error) {
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    // 0600 also under a umask that would take the owner's own bits away.
    if (fd >= 0 && ::fchmod(fd, 0600) == 0 &&
        file.open(fd, QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text, QFileDevice::AutoCloseHandle)) {
        return true;
    }
    const int why = errno;
    if (fd >= 0 && !file.isOpen()) ::close(fd);
    if (error) *error = QStringLiteral("cannot write %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(why)));
    return false;
}

bool MakePrivateFolder(const QString& folder, bool* readableByOthers) {
    if (readableByOthers) *readableByOthers = false;
    const QString clean = QDir::cleanPath(folder);
    const QByteArray name = QFile::encodeName(clean);
    if (!QDir().mkpath(QFileInfo(clean).absolutePath())) return false;
    if (::mkdir(name.constData(), 0700) == 0) return ::chmod(name.constData(), 0700) == 0;
    struct stat st {};
    if (errno != EEXIST || ::stat(name.constData(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (readableByOthers) *readableByOthers = (st.st_mode & 0077) != 0;
    return true;
}

}  // namespace res
