#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace app {

// The name under which this user's running window answers a second start: a
// socket in a folder only the user can enter (the runtime folder, or one made
// 0700 in the temporary folder). Empty when no such folder can be had: then
// every start opens its own window.
QString InstanceName();

// One window per user at a time: the first start holds the name and answers
// later starts; a later start finds it and can ask it to come to the front.
class InstanceGuard : public QObject {
    Q_OBJECT

public:
    explicit InstanceGuard(QString name, QObject* parent = nullptr);
    ~InstanceGuard() override;

    // True when a window already answers under the name, on a socket of this
    // user's own (one another user made is never trusted).
    bool OtherIsRunning() const;
    // Asks that window to come to the front; false when it could not be told.
    bool AskOtherToFront() const;
    // Answers under the name from now on (a name left by a crash is taken over).
    bool Listen();

signals:
    // A later start asked this window to come to the front.
    void FrontRequested();

private:
    void OnNewConnection();

    QString m_name;
    QLocalServer m_server;
};

// What a second start does, as the technician chose.
enum class SecondStart { BringFirstToFront, StartAnyway, Quit };

// Says that a window is already open and asks what to do; starting anyway is
// warned about, as both windows write the same ID file.
SecondStart AskAboutSecondStart();

}  // namespace app
