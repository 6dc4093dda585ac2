#pragma once

#include "platform/diagnostics.h"
#include "platform/frontmost/frontmost_engine.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace vontal {

class BusNameClaim;

// The object vontal exports for the desktop's reporter: it hands each call, with its sender's
// unique name, to `handler`, which returns whether the sender may call. A refused call gets an
// AccessDenied error reply.
class FrontmostEndpoint final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.vontal.vontal.Frontmost")

public:
    using Handler = std::function<bool(const QString& sender, const QString& id)>;
    explicit FrontmostEndpoint(Handler handler) : handler_(std::move(handler)) {}

public Q_SLOTS:
    Q_SCRIPTABLE void ActiveApplicationChanged(const QString& id);

private:
    Handler handler_;
};

// Application activations told to vontal over the session bus by a component of the desktop
// (a KWin script, a GNOME Shell extension). vontal owns its well-known name and serves
//   kObjectPath, interface kInterface, method ActiveApplicationChanged(s id)
// where `id` is the desktop id (without ".desktop") of the application now in front, or "" when
// none is. The call is unicast to us, so no other program learns what is in front through
// vontal. Only the current owner of the reporter's well-known name may call it; anyone else
// gets an org.freedesktop.DBus.Error.AccessDenied error (when it wants a reply) and changes
// nothing, at a cost that does not grow with the number of calls.
//
// The first report after we start, and after the reporter's name gets a new owner, describes
// what is in front then and is not an activation: a reporter sends the current state as soon as
// it starts (or as soon as vontal's name appears). Runs on the Qt event loop of the main thread.
class BusReportedWorkspace final : public FrontmostWorkspace {
public:
    static constexpr const char* kBusName = "org.vontal.vontal";
    static constexpr const char* kObjectPath = "/org/vontal/vontal/Frontmost";
    static constexpr const char* kInterface = "org.vontal.vontal.Frontmost";

    struct Setup {
        QDBusConnection bus = QDBusConnection::sessionBus();
        // The well-known name of the only allowed caller, e.g. "org.kde.KWin".
        QString reporter;
        // The installed applications; GIO's catalog when null.
        std::unique_ptr<ApplicationCatalog> catalog;
        // For the gap between two applications; Qt timers when null.
        std::unique_ptr<Timers> timers;
    };

    // Null when the bus cannot be reached, refuses vontal a place in kBusName's queue, or the
    // object cannot be exported; `whyNot` then says which, and nothing stays registered. Held by
    // another process, kBusName is vontal's the moment it lets go (see nameClaim()).
    static std::unique_ptr<BusReportedWorkspace> create(Setup setup, Diagnostics& diagnostics,
                                                        std::string& whyNot);
    // Whether `reporter` is on the bus; otherwise `whyNot` says that `who` (as the user calls it)
    // is not, or that there is no bus.
    static bool reporterRuns(const QDBusConnection& bus, const QString& reporter, const char* who,
                             std::string& whyNot);
    ~BusReportedWorkspace() override;
    BusReportedWorkspace(const BusReportedWorkspace&) = delete;
    BusReportedWorkspace& operator=(const BusReportedWorkspace&) = delete;

    // The unique bus name that owns the reporter's name now; empty when nobody does.
    QString reporterOwner() const;
    // vontal's claim on kBusName, which the window shows while another process holds the name.
    const std::shared_ptr<BusNameClaim>& nameClaim() const;
    // Called after the reporter's name changed owner (`owner` empty: it is gone), once this
    // workspace has forgotten what the old owner said; a layer on top reloads its script there.
    void onReporterChanged(std::function<void(const QString& owner)> handler);

private:
    struct Impl;
    explicit BusReportedWorkspace(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace vontal
