#include "qt_peripheral.h"

#include "identifiers.h"
#include "platform/backoff.h"

#include <string>

namespace vontal {

namespace {

Error controllerError(QLowEnergyController::Error error, const QString& text) {
    switch (error) {
    case QLowEnergyController::UnknownRemoteDeviceError:
        return Error{"The device could not be found."};
    case QLowEnergyController::ConnectionError:
        return Error{"The connection to the device could not be made."};
    case QLowEnergyController::RemoteHostClosedError:
        return Error{"The device closed the connection."};
    case QLowEnergyController::AuthorizationError:
        return Error{"The device refused the connection: authorization failed."};
    case QLowEnergyController::InvalidBluetoothAdapterError:
    case QLowEnergyController::MissingPermissionsError:
        return Error{"The Bluetooth adapter cannot be used."};
    default:
        break;
    }
    if (!text.isEmpty())
        return Error{text.toStdString()};
    return Error{"The connection to the device failed."};
}

} // namespace

QtPeripheral::QtPeripheral(const QBluetoothDeviceInfo& info, std::weak_ptr<CentralLink> link)
    : info_(info), identifier_(peripheralIdentifier(info)), link_(std::move(link)) {
    retry_.setSingleShot(true);
    QObject::connect(&retry_, &QTimer::timeout, [this] {
        if (wanted_ && state_ == PeripheralState::Connecting && !controller_)
            startAttempt();
    });
}

QtPeripheral::~QtPeripheral() {
    // Nobody holds this device any more; like CoreBluetooth, let its link go with it.
    wanted_ = false;
    releaseConnection();
}

std::optional<std::string> QtPeripheral::name() const {
    const QString name = info_.name();
    if (name.isEmpty())
        return std::nullopt;
    return name.toStdString();
}

void QtPeripheral::requestConnection() {
    auto link = link_.lock();
    if (!link || !link->poweredOn)
        return;
    wanted_ = true;
    if (state_ == PeripheralState::Connected || state_ == PeripheralState::Connecting) {
        // Asked again while waiting out a pause: try now, and count afresh.
        if (!retry_.isActive())
            return;
        retry_.stop();
    } else {
        state_ = PeripheralState::Connecting;
    }
    failedAttempts_ = 0;
    startAttempt();
}

void QtPeripheral::startAttempt() {
    auto link = link_.lock();
    if (!link || !link->poweredOn) {
        wanted_ = false;
        state_ = PeripheralState::Disconnected;
        return;
    }
    releaseConnection();
    lastError_.reset();
    QLowEnergyController* controller =
        link->adapter.isNull() ? QLowEnergyController::createCentral(info_)
                               : QLowEnergyController::createCentral(info_, link->adapter);
    controller_ = controller;
    QObject::connect(controller, &QLowEnergyController::stateChanged, controller,
                     forThisConnection(&QtPeripheral::onControllerState));
    QObject::connect(controller, &QLowEnergyController::errorOccurred, controller,
                     forThisConnection(&QtPeripheral::onControllerError));
    QObject::connect(controller, &QLowEnergyController::discoveryFinished, controller,
                     forThisConnection(&QtPeripheral::onServiceDiscoveryFinished));
    controller->connectToDevice();
}

void QtPeripheral::onControllerState(QLowEnergyController::ControllerState state) {
    switch (state) {
    case QLowEnergyController::ConnectedState:
    case QLowEnergyController::DiscoveringState:
    case QLowEnergyController::DiscoveredState:
        if (state_ == PeripheralState::Connecting)
            linkUp();
        break;
    case QLowEnergyController::UnconnectedState:
        if (state_ == PeripheralState::Connecting)
            attemptFailed();
        else
            linkDown();
        break;
    default:
        break;
    }
}

void QtPeripheral::onControllerError(QLowEnergyController::Error error) {
    lastError_ = controllerError(error, controller_ ? controller_->errorString() : QString());
    if (state_ == PeripheralState::Connecting) {
        attemptFailed();
        return;
    }
    if (state_ == PeripheralState::Connected && serviceDiscoveryWaiting_)
        finishServiceDiscovery(lastError_);
}

void QtPeripheral::linkUp() {
    wanted_ = false;
    failedAttempts_ = 0;
    state_ = PeripheralState::Connected;
    services_.reset();
    reportToCentral([](CentralDelegate& delegate, Central& central, const PeripheralRef& self) {
        delegate.didConnectPeripheral(central, self);
    });
}

void QtPeripheral::linkDown() {
    const PeripheralState before = state_;
    const std::optional<Error> error = lastError_;
    releaseConnection();
    state_ = PeripheralState::Disconnected;
    if (before == PeripheralState::Disconnected)
        return;
    // A disconnection the device link asked for carries no error; a lost link always does.
    std::optional<Error> reported;
    if (before != PeripheralState::Disconnecting)
        reported = error.value_or(Error{"The connection to the device was lost."});
    reportToCentral(
        [reported](CentralDelegate& delegate, Central& central, const PeripheralRef& self) {
            delegate.didDisconnectPeripheral(central, self, reported);
        });
}

void QtPeripheral::attemptFailed() {
    releaseConnection();
    if (!wanted_) {
        state_ = PeripheralState::Disconnected;
        return;
    }
    // Still Connecting: the request stands, as a connection request without a time limit does,
    // but a device that keeps failing is not asked for again every second.
    ++failedAttempts_;
    if (auto link = link_.lock()) {
        const std::string device =
            name().value_or("Unknown") + " (" + info_.address().toString().toStdString() + ")";
        if (const auto line = keepsFailingLine(failedAttempts_, device, kMaximumRetryDelay))
            link->diagnostics.line(*line);
    }
    retry_.start(backoffPause(failedAttempts_, kRetryDelay, kMaximumRetryDelay));
}

void QtPeripheral::cancelConnection() {
    wanted_ = false;
    retry_.stop();
    switch (state_) {
    case PeripheralState::Connected:
        state_ = PeripheralState::Disconnecting;
        if (controller_)
            controller_->disconnectFromDevice();
        else
            linkDown();
        break;
    case PeripheralState::Connecting:
        releaseConnection();
        state_ = PeripheralState::Disconnected;
        reportToCentral([](CentralDelegate& delegate, Central& central, const PeripheralRef& self) {
            delegate.didDisconnectPeripheral(central, self, std::nullopt);
        });
        break;
    default:
        break;
    }
}

void QtPeripheral::dropLink() {
    wanted_ = false;
    retry_.stop();
    releaseConnection();
    state_ = PeripheralState::Disconnected;
}

void QtPeripheral::releaseConnection() {
    ++connection_;
    services_.reset();
    linkMtu_.reset();
    // Answers meant for the old connection are ignored, so they would never bring this down.
    commandsInFlight_ = 0;
    serviceDiscoveryWaiting_ = false;
    echoes_.clear();
    if (QLowEnergyController* controller = controller_.data()) {
        controller_.clear();
        // Its signals still arrive until it is deleted; the handlers see a newer connection and
        // ignore them.
        if (controller->state() != QLowEnergyController::UnconnectedState)
            controller->disconnectFromDevice();
        // May be inside one of its own signals; its services go with it.
        controller->deleteLater();
    }
}

void QtPeripheral::reportToDelegate(
    std::function<void(PeripheralDelegate&, const PeripheralRef&)> report) {
    auto link = link_.lock();
    if (!link)
        return;
    // The delegate is the one set when the report is delivered, as with a real radio.
    link->queue.post([self = shared_from_this(), report = std::move(report)] {
        if (self->delegate_)
            report(*self->delegate_, self);
    });
}

void QtPeripheral::reportToCentral(
    std::function<void(CentralDelegate&, Central&, const PeripheralRef&)> report) {
    auto link = link_.lock();
    if (!link)
        return;
    link->queue.post([weak = std::weak_ptr<CentralLink>(link), self = shared_from_this(),
                      report = std::move(report)] {
        if (auto link = weak.lock())
            report(link->delegate, link->central, self);
    });
}

} // namespace vontal
