#pragma once

#include "platform/diagnostics.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <optional>
#include <string>

namespace vontal {

// vontal's well-known name on the session bus, which the desktop's reporter calls. vontal waits
// in the bus's queue for it rather than giving up, so a program that held it first (by mistake or
// to listen in) only delays vontal until it lets go. While another process holds it, one line
// says which, and changed() tells the window. The name is never handed on to a program that asks
// to replace vontal.
class BusNameClaim final : public QObject {
    Q_OBJECT
public:
    // Another process that holds the name; pid 0 and an empty executable until the bus told.
    struct Holder {
        QString uniqueName;
        quint32 pid = 0;
        QString executable;
    };

    BusNameClaim(QDBusConnection bus, QString name, Diagnostics& diagnostics);
    ~BusNameClaim() override;
    BusNameClaim(const BusNameClaim&) = delete;
    BusNameClaim& operator=(const BusNameClaim&) = delete;

    // Asks for the name, or a place in its queue; false with the reason when the bus refused.
    bool claim(std::string& whyNot);
    // Gives the name up, or the place in its queue; also when this claim goes.
    void release();
    bool owned() const { return owned_; }
    // Set while another process holds the name.
    const std::optional<Holder>& holder() const { return holder_; }
    const QString& name() const { return name_; }

Q_SIGNALS:
    // After owned() or holder() changed.
    void changed();
    // The name became ours after waiting for it.
    void acquired();

private:
    void ownerChanged(const QString& newOwner);
    void describe(const QString& owner);
    void described(const QString& owner, quint32 pid);

    QDBusConnection bus_;
    QString name_;
    Diagnostics& diagnostics_;
    bool claimed_ = false;
    bool owned_ = false;
    std::optional<Holder> holder_;
};

} // namespace vontal
