#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace vontal {

// One vontal per user session. The first process listens on a local socket; a later one finds
// it there, asks it to come forward, and stops before it starts a Bluetooth central of its own.
class SingleInstance final : public QObject {
    Q_OBJECT

public:
    // `address` is the socket's path; see addressFor().
    explicit SingleInstance(QString address, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket path for this user and the given identifier: in the session's runtime
    // directory when there is one, else in the temporary directory under the user's id.
    static QString addressFor(const QString& identifier);

    // True when this process is now the one instance. False when another instance answered;
    // it has been asked to bring its window forward.
    bool claim();

    const QString& address() const { return address_; }

signals:
    // Another process started and found this one.
    void activationRequested();

private:
    bool askRunningInstance() const;

    QString address_;
    QLocalServer* server_ = nullptr;
};

} // namespace vontal
