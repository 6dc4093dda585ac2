#include "platform/frontmost/bus_reported_workspace.h"

#include "platform/frontmost/frontmost_endpoint.h"
#include "platform/frontmost/gio_application_catalog.h"
#include "platform/frontmost/reported_front.h"
#include "platform/qt/services/qt_timers.h"

#include <QDBusConnectionInterface>
#include <QDBusServiceWatcher>

namespace vontal {

struct BusReportedWorkspace::Impl {
    Impl(Setup setup, Diagnostics& diagnostics)
        : bus(std::move(setup.bus)), reporter(std::move(setup.reporter)),
          catalog(setup.catalog ? std::move(setup.catalog)
                                : std::make_unique<GioApplicationCatalog>()),
          timers(setup.timers ? std::move(setup.timers) : std::make_unique<QtTimers>()),
          diagnostics(diagnostics), front(*catalog, *timers),
          endpoint(
              [this](const QString& sender, const QString& id) { return reported(sender, id); }),
          watcher(reporter, bus, QDBusServiceWatcher::WatchForOwnerChange) {
        QObject::connect(&watcher, &QDBusServiceWatcher::serviceOwnerChanged, &watcher,
                         [this](const QString&, const QString& oldOwner, const QString& newOwner) {
                             // A change we already followed (a new owner that called before
                             // this signal came) is old news.
                             if (oldOwner == owner)
                                 ownerChanged(newOwner);
                         });
    }

    ~Impl() {
        if (exported)
            bus.unregisterObject(QString::fromLatin1(kObjectPath));
        if (named)
            bus.interface()->unregisterService(QString::fromLatin1(kBusName));
    }

    bool registerOnBus(std::string& whyNot) {
        if (!bus.isConnected()) {
            whyNot = "no session bus";
            return false;
        }
        // The watcher is in place first, so an owner change after this question is not missed.
        owner = currentOwner();
        // The object before the name: the reporter calls the moment the name is ours, and a
        // call that finds no object is lost (it asks for no reply).
        if (!bus.registerObject(QString::fromLatin1(kObjectPath), &endpoint,
                                QDBusConnection::ExportScriptableSlots)) {
            whyNot = std::string("cannot export ") + kObjectPath;
            return false;
        }
        exported = true;
        const auto reply = bus.interface()->registerService(
            QString::fromLatin1(kBusName), QDBusConnectionInterface::DontQueueService,
            QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
            whyNot = std::string("the bus name ") + kBusName + " is taken";
            return false;
        }
        named = true;
        return true;
    }

    QString currentOwner() const {
        const auto reply = bus.interface()->serviceOwner(reporter);
        return reply.isValid() ? reply.value() : QString();
    }

    bool reported(const QString& sender, const QString& id) {
        // The owner may have changed before its signal reached us: ask the bus before refusing.
        if (sender.isEmpty() || (sender != owner && sender != currentOwner())) {
            // Once: a program that keeps trying must not fill the log.
            if (!refusalLogged)
                diagnostics.line("Refused a report of the application in front from " +
                                 sender.toStdString() + ", which is not " + reporter.toStdString());
            refusalLogged = true;
            return false;
        }
        if (sender != owner)
            ownerChanged(sender);
        front.report(id.toStdString());
        return true;
    }

    void ownerChanged(const QString& newOwner) {
        if (newOwner == owner)
            return;
        owner = newOwner;
        front.forget();
        if (onReporterChanged)
            onReporterChanged(owner);
    }

    QDBusConnection bus;
    QString reporter;
    std::unique_ptr<ApplicationCatalog> catalog;
    std::unique_ptr<Timers> timers;
    Diagnostics& diagnostics;
    ReportedFront front;
    FrontmostEndpoint endpoint;
    QDBusServiceWatcher watcher;
    QString owner;
    std::function<void(const QString&)> onReporterChanged;
    bool refusalLogged = false;
    bool named = false;
    bool exported = false;
};

std::unique_ptr<BusReportedWorkspace>
BusReportedWorkspace::create(Setup setup, Diagnostics& diagnostics, std::string& whyNot) {
    auto impl = std::make_unique<Impl>(std::move(setup), diagnostics);
    if (!impl->registerOnBus(whyNot))
        return nullptr;
    return std::unique_ptr<BusReportedWorkspace>(new BusReportedWorkspace(std::move(impl)));
}

BusReportedWorkspace::BusReportedWorkspace(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

BusReportedWorkspace::~BusReportedWorkspace() = default;

Subscription
BusReportedWorkspace::observeActivations(std::function<void(const Notification&)> observer) {
    return impl_->front.observe(std::move(observer));
}

std::shared_ptr<RunningApplication> BusReportedWorkspace::frontmostApplication() const {
    return impl_->front.frontmost();
}

std::optional<std::string> BusReportedWorkspace::frontApplication() const {
    return impl_->front.front();
}

QString BusReportedWorkspace::reporterOwner() const {
    return impl_->owner;
}

void BusReportedWorkspace::onReporterChanged(std::function<void(const QString& owner)> handler) {
    impl_->onReporterChanged = std::move(handler);
}

} // namespace vontal
