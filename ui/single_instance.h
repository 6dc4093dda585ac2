#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace vontal {

class Diagnostics;

// One vontal per user session. The first process listens on a local socket; a later one finds
// it there, asks it to come forward, and stops before it starts a Bluetooth central of its own.
//
// The socket and its lock live only in a folder that belongs to the user and that nobody else
// can enter, and a later start hands over only to a process of the same user. Anything else at
// those paths (a socket served by another user, a lock it cannot take, a file that is not a
// socket) is reported in one line, and this process runs as the only instance: a window without
// the hand-over beats no window at all.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // `address` is the socket's path; see addressFor(). Reports go to `diagnostics` when given.
    explicit SingleInstance(QString address, Diagnostics* diagnostics = nullptr,
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket path for this user and the given identifier: in the session's runtime
    // directory when it is set and private to this user, else in vontal's own private folder in
    // the user's cache directory (never a shared temporary directory). A runtime directory that
    // is set but not private is reported to `diagnostics`.
    static QString addressFor(const QString& identifier, Diagnostics* diagnostics = nullptr);

    // True when this process is now the one instance. False when another instance of this user
    // answered; it has been asked to bring its window forward.
    bool claim();

    const QString& address() const { return address_; }

signals:
    // Another process started and found this one.
    void activationRequested();

private:
    enum class Answer { Handed, Nobody, Foreign };
    Answer askRunningInstance();
    void report(const QString& line) const;

    QString address_;
    Diagnostics* diagnostics_ = nullptr;
    QLocalServer* server_ = nullptr;
};

} // namespace vontal
