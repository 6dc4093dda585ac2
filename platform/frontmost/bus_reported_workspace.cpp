#include "platform/frontmost/bus_reported_workspace.h"

#include "platform/frontmost/bus_name_claim.h"
#include "platform/frontmost/gio_application_catalog.h"
#include "platform/qt/services/qt_timers.h"

#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusServiceWatcher>

namespace vontal {

void FrontmostEndpoint::ActiveApplicationChanged(const QString& id) {
    // Direct calls (not from the bus) have no sender to check; there are none in vontal.
    if (!calledFromDBus())
        return;
    // A refused call that wants no reply costs no message either.
    if (!handler_(message().service(), id) && message().isReplyRequired())
        sendErrorReply(QDBusError::AccessDenied,
                       QStringLiteral("Only the desktop may report the application in front"));
}

struct BusReportedWorkspace::Impl {
    Impl(Setup setup, Diagnostics& diagnostics)
        : bus(std::move(setup.bus)), reporter(std::move(setup.reporter)),
          catalog(setup.catalog ? std::move(setup.catalog)
                                : std::make_unique<GioApplicationCatalog>()),
          timers(setup.timers ? std::move(setup.timers) : std::make_unique<QtTimers>()),
          diagnostics(diagnostics), engine(*catalog, *timers),
          claim(std::make_shared<BusNameClaim>(bus, QString::fromLatin1(kBusName), diagnostics)),
          endpoint(
              [this](const QString& sender, const QString& id) { return reported(sender, id); }),
          watcher(reporter, bus, QDBusServiceWatcher::WatchForOwnerChange) {
        // The bus sends an owner change to its watchers before the new owner learns that the
        // name is its own, so the change is known here before the new owner's first call.
        QObject::connect(&watcher, &QDBusServiceWatcher::serviceOwnerChanged, &watcher,
                         [this](const QString&, const QString& oldOwner, const QString& newOwner) {
                             if (oldOwner == owner)
                                 ownerChanged(newOwner);
                         });
    }

    ~Impl() {
        if (exported)
            bus.unregisterObject(QString::fromLatin1(kObjectPath));
        // The window may keep the claim a little longer; the name goes with the workspace.
        claim->release();
    }

    bool registerOnBus(std::string& whyNot) {
        if (!bus.isConnected()) {
            whyNot = "no session bus";
            return false;
        }
        // Once, at the start; afterwards the watcher (in place first) follows every change.
        owner = currentOwner();
        // The object before the name: the reporter calls the moment the name is ours, and a
        // call that finds no object is lost (it asks for no reply).
        if (!bus.registerObject(QString::fromLatin1(kObjectPath), &endpoint,
                                QDBusConnection::ExportScriptableSlots)) {
            whyNot = std::string("cannot export ") + kObjectPath;
            return false;
        }
        exported = true;
        return claim->claim(whyNot);
    }

    QString currentOwner() const {
        const auto reply = bus.interface()->serviceOwner(reporter);
        return reply.isValid() ? reply.value() : QString();
    }

    bool reported(const QString& sender, const QString& id) {
        if (sender.isEmpty() || sender != owner) {
            refused(sender);
            return false;
        }
        // The reporter's first report is where we start: merged with the switch that follows
        // it, that switch would be lost.
        if (engine.awaitingStart()) {
            frontIs(id.toStdString());
            return true;
        }
        // Only the latest report matters; a flood of them is handled once per turn of the event
        // loop, and the last one wins.
        latest = id.toStdString();
        if (!pending.active())
            pending = timers->singleShot(std::chrono::milliseconds(0), [this] {
                pending = Subscription();
                if (!latest)
                    return;
                const std::string id = std::move(*latest);
                latest.reset();
                frontIs(id);
            });
        return true;
    }

    // The reporter names the application in front by its desktop id, "" for none.
    void frontIs(const std::string& id) {
        engine.appIdInFront(id.empty() ? std::nullopt : std::optional<std::string_view>(id));
    }

    // Costs the same for the millionth call as for the first: no bus call, no memory, and at
    // most one log line a second.
    void refused(const QString& sender) {
        if (refusalWindow.active()) {
            ++refusedInWindow;
            othersRefused = othersRefused || sender != refusedSender;
            return;
        }
        diagnostics.line("Ignored a report of the application in front from " +
                         sender.toStdString() + ", which is not " + reporter.toStdString());
        openRefusalWindow(sender);
    }

    void openRefusalWindow(const QString& sender) {
        refusedSender = sender;
        refusedInWindow = 0;
        othersRefused = false;
        refusalWindow = timers->singleShot(std::chrono::seconds(1), [this] {
            refusalWindow = Subscription();
            if (refusedInWindow == 0)
                return;
            diagnostics.line("Ignored " + std::to_string(refusedInWindow) + " more report" +
                             (refusedInWindow == 1 ? "" : "s") +
                             " of the application in front in the last second from " +
                             refusedSender.toStdString() + (othersRefused ? " and others" : "") +
                             ", which " + (othersRefused ? "are" : "is") + " not " +
                             reporter.toStdString());
            openRefusalWindow(refusedSender);
        });
    }

    void ownerChanged(const QString& newOwner) {
        if (newOwner == owner)
            return;
        owner = newOwner;
        pending.cancel();
        latest.reset();
        engine.forget();
        if (onReporterChanged)
            onReporterChanged(owner);
    }

    QDBusConnection bus;
    QString reporter;
    std::unique_ptr<ApplicationCatalog> catalog;
    std::unique_ptr<Timers> timers;
    Diagnostics& diagnostics;
    FrontmostEngine engine;
    std::shared_ptr<BusNameClaim> claim;
    FrontmostEndpoint endpoint;
    QDBusServiceWatcher watcher;
    QString owner;
    std::function<void(const QString&)> onReporterChanged;
    std::optional<std::string> latest;
    Subscription pending;
    Subscription refusalWindow;
    QString refusedSender;
    std::uint64_t refusedInWindow = 0;
    bool othersRefused = false;
    bool exported = false;
};

std::unique_ptr<BusReportedWorkspace>
BusReportedWorkspace::create(Setup setup, Diagnostics& diagnostics, std::string& whyNot) {
    auto impl = std::make_unique<Impl>(std::move(setup), diagnostics);
    if (!impl->registerOnBus(whyNot))
        return nullptr;
    return std::unique_ptr<BusReportedWorkspace>(new BusReportedWorkspace(std::move(impl)));
}

bool BusReportedWorkspace::reporterRuns(const QDBusConnection& bus, const QString& reporter,
                                        const char* who, std::string& whyNot) {
    if (!bus.isConnected()) {
        whyNot = "no session bus";
        return false;
    }
    const auto registered = bus.interface()->isServiceRegistered(reporter);
    if (registered.isValid() && registered.value())
        return true;
    whyNot = std::string(who) + " is not on the session bus";
    return false;
}

BusReportedWorkspace::BusReportedWorkspace(std::unique_ptr<Impl> impl)
    : FrontmostWorkspace(impl->engine), impl_(std::move(impl)) {}

BusReportedWorkspace::~BusReportedWorkspace() = default;

QString BusReportedWorkspace::reporterOwner() const {
    return impl_->owner;
}

const std::shared_ptr<BusNameClaim>& BusReportedWorkspace::nameClaim() const {
    return impl_->claim;
}

void BusReportedWorkspace::onReporterChanged(std::function<void(const QString& owner)> handler) {
    impl_->onReporterChanged = std::move(handler);
}

} // namespace vontal
