#include "app/SingleInstance.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLocalSocket>

#include "res/UserPrompts.h"

namespace app {
namespace {

const QByteArray kFront = QByteArrayLiteral("front\n");
// A local socket answers at once or not at all; a hung window must not hang this start.
constexpr int kWaitMs = 1000;

}  // namespace

namespace {

// A folder no other user can enter: this user's own, not a link, mode 0700.
bool IsPrivateFolder(const QString& folder) {
    struct stat st {};
    return !folder.isEmpty() && ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 0077) == 0;
}

// Where Qt puts the socket of a name: a path as it is, a bare name in the temporary folder.
QString SocketPath(const QString& name) {
    return name.startsWith(QLatin1Char('/')) ? name : QDir::tempPath() + QLatin1Char('/') + name;
}

// Only a socket this user made can be this user's window: another user may
// have taken a name first.
bool IsOwnSocket(const QString& name) {
    struct stat st {};
    return ::lstat(QFile::encodeName(SocketPath(name)).constData(), &st) == 0 && S_ISSOCK(st.st_mode) &&
           st.st_uid == ::geteuid();
}

}  // namespace

QString InstanceName() {
    // The runtime folder is private to the user; without one, a folder of
    // the user's own beside the temporary files, checked after making it.
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!IsPrivateFolder(folder)) {
        folder = QDir::tempPath() + QStringLiteral("/VeskoraRFConfiguration-%1").arg(::geteuid());
        ::mkdir(QFile::encodeName(folder).constData(), 0700);
        if (!IsPrivateFolder(folder)) return {};
    }
    return folder + QStringLiteral("/VeskoraRFConfiguration.instance");
}

InstanceGuard::InstanceGuard(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {
    // Only this user may ask this user's window anything.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceGuard::OnNewConnection);
}

InstanceGuard::~InstanceGuard() = default;

bool InstanceGuard::OtherIsRunning() const {
    if (m_name.isEmpty() || !IsOwnSocket(m_name)) return false;
    QLocalSocket probe;
    probe.connectToServer(m_name);
    return probe.waitForConnected(kWaitMs);
}

bool InstanceGuard::AskOtherToFront() const {
    if (m_name.isEmpty() || !IsOwnSocket(m_name)) return false;
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kWaitMs)) return false;
    socket.write(kFront);
    return socket.waitForBytesWritten(kWaitMs);
}

bool InstanceGuard::Listen() {
    if (m_name.isEmpty()) return false;
    if (m_server.listen(m_name)) return true;
    // Nobody answered, so the name is a leftover of a window that crashed.
    QLocalServer::removeServer(m_name);
    return m_server.listen(m_name);
}

void InstanceGuard::OnNewConnection() {
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (socket->canReadLine() && socket->readLine() == kFront) emit FrontRequested();
        });
    }
}

SecondStart AskAboutSecondStart() {
    const int answer =
        res::AppMessageBox(QCoreApplication::translate("Veskora",
                                                       "VeskoraRFConfiguration 창이 이미 열려 있습니다.\n\n"
                                                       "예: 열려 있는 창을 앞으로 가져옵니다.\n"
                                                       "아니요: 그래도 새 창을 엽니다. 두 창은 같은 ID 파일(ids.xml)에 "
                                                       "씁니다.\n"
                                                       "취소: 아무것도 열지 않습니다."),
                           res::PromptIcon::Question, res::PromptButtons::YesNoCancel);
    switch (answer) {
        case res::kIdYes: return SecondStart::BringFirstToFront;
        case res::kIdNo: return SecondStart::StartAnyway;
        default: return SecondStart::Quit;
    }
}

}  // namespace app
