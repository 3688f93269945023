#include "app/SingleInstance.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QLocalSocket>

#include "res/UserPrompts.h"

namespace app {
namespace {

const QByteArray kFront = QByteArrayLiteral("front\n");
// A local socket answers at once or not at all; a hung window must not hang this start.
constexpr int kWaitMs = 1000;

}  // namespace

QString InstanceName() { return QStringLiteral("VeskoraRFConfiguration-%1").arg(::getuid()); }

InstanceGuard::InstanceGuard(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {
    // Only this user may ask this user's window anything.
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &InstanceGuard::OnNewConnection);
}

InstanceGuard::~InstanceGuard() = default;

bool InstanceGuard::OtherIsRunning() const {
    QLocalSocket probe;
    probe.connectToServer(m_name);
    return probe.waitForConnected(kWaitMs);
}

bool InstanceGuard::AskOtherToFront() const {
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kWaitMs)) return false;
    socket.write(kFront);
    return socket.waitForBytesWritten(kWaitMs);
}

bool InstanceGuard::Listen() {
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
