#include "qt_central.h"

#include "bluez/bluez_daemon.h"
#include "identifiers.h"
#include "qt_peripheral.h"

namespace vontal {

QtCentral::QtCentral(CentralDelegate& delegate, Diagnostics& diagnostics,
                     std::shared_ptr<AvailabilityReport> availability)
    : diagnostics_(diagnostics), link_(std::make_shared<CentralLink>(*this, delegate, diagnostics)),
      availability_(std::move(availability)),
      scanner_([this](const QBluetoothDeviceInfo& info) { found(info); }) {
    checkBluez();
    bluez_ = std::make_unique<BluezClient>(
        BluezClient::Listener{[this] { adapterChanged(); },
                              [this] {
                                  checkBluez();
                                  publishAvailability();
                              },
                              [this](const QBluetoothAddress& address) {
                                  deviceRemoved(address);
                              }});
    link_->bluez = bluez_.get();
    publishAvailability();
    if (!bluez_->waitingForAnswer())
        reportFirstState();
}

void QtCentral::reportFirstState() {
    // The first report always comes, even when it only confirms what was there.
    firstReported_ = true;
    observed_ = observedState();
    link_->poweredOn = observed_ == CentralState::PoweredOn;
    link_->adapter = adapter();
    const CentralState first = observed_;
    link_->queue.post([this, first] {
        reported_ = first;
        link_->delegate.centralManagerDidUpdateState(*this);
    });
}

QtCentral::~QtCentral() {
    link_->queue.close();
    link_->bluez = nullptr;
    bluez_.reset();
    scanner_.reset();
    forEachLivePeripheral([](QtPeripheral& peripheral) { peripheral.dropLink(); });
}

QBluetoothAddress QtCentral::adapter() const {
    const auto adapter = bluez_ ? bluez_->adapter() : std::nullopt;
    return adapter ? adapter->address : QBluetoothAddress();
}

CentralState QtCentral::observedState() const {
    const auto adapter = bluez_ ? bluez_->adapter() : std::nullopt;
    if (!adapter)
        return CentralState::Unsupported;
    return adapter->powered ? CentralState::PoweredOn : CentralState::PoweredOff;
}

void QtCentral::checkBluez() {
    const auto problem = bluezProblem();
    bluezTooOld_ = problem && problem->kind == BluetoothProblem::BluezTooOld;
    if (problem)
        diagnostics_.line(problem->line);
}

BluetoothProblem QtCentral::observedProblem() const {
    if (!bluez_->busConnected())
        return BluetoothProblem::NoSystemBus;
    if (!bluez_->running())
        return BluetoothProblem::BluezMissing;
    if (bluez_->waitingForAnswer())
        return BluetoothProblem::BluezNotAnsweredYet;
    if (bluez_->silent())
        return BluetoothProblem::BluezNotAnswering;
    if (bluezTooOld_)
        return BluetoothProblem::BluezTooOld;
    const auto adapter = bluez_->adapter();
    if (!adapter)
        return BluetoothProblem::NoAdapter;
    if (!adapter->powered)
        return BluetoothProblem::AdapterOff;
    return BluetoothProblem::None;
}

void QtCentral::publishAvailability() {
    if (availability_)
        availability_->set(observedProblem(), adapter());
}

void QtCentral::adapterChanged() {
    // bluetoothd leaving while there was no adapter changes no state, but it changes the reason.
    publishAvailability();
    if (!bluez_->running()) {
        // Whatever the one that left did, a new bluetoothd is judged afresh.
        silenceSaid_ = false;
    } else if (bluez_->silent() && !silenceSaid_) {
        silenceSaid_ = true;
        diagnostics_.line("bluetoothd does not answer (no reply from org.bluez within 2 s); "
                          "vontal asks again every few seconds and uses it once it answers");
    } else if (silenceSaid_ && !bluez_->silent() && !bluez_->waitingForAnswer()) {
        silenceSaid_ = false;
        diagnostics_.line("bluetoothd answers again");
    }
    if (!firstReported_) {
        if (!bluez_->waitingForAnswer())
            reportFirstState();
        return;
    }
    const CentralState now = observedState();
    const QBluetoothAddress adapter = this->adapter();
    if (now == observed_ && adapter == link_->adapter)
        return;
    const bool wasOn = observed_ == CentralState::PoweredOn;
    observed_ = now;
    if (wasOn) {
        // Whatever ended the radio ended its links and scans too.
        scanner_.reset();
        forEachLivePeripheral([](QtPeripheral& peripheral) { peripheral.dropLink(); });
    }
    link_->adapter = adapter;
    link_->poweredOn = now == CentralState::PoweredOn;
    link_->queue.post([this, now] {
        reported_ = now;
        link_->delegate.centralManagerDidUpdateState(*this);
    });
}

void QtCentral::scanForPeripherals(const std::vector<BluetoothUuid>& serviceUuids) {
    // Like CoreBluetooth, scanning is only possible while the radio is on; the device link
    // scans again when it hears that it is.
    if (!link_->poweredOn)
        return;
    scanner_.start(link_->adapter, serviceUuids);
}

void QtCentral::stopScan() {
    scanner_.stop();
}

void QtCentral::connect(const PeripheralRef& peripheral) {
    if (auto qtPeripheral = ours(peripheral))
        qtPeripheral->requestConnection();
}

void QtCentral::cancelConnection(const PeripheralRef& peripheral) {
    if (auto qtPeripheral = ours(peripheral))
        qtPeripheral->cancelConnection();
}

void QtCentral::found(const QBluetoothDeviceInfo& info) {
    const BluetoothUuid identifier = peripheralIdentifier(info);
    std::shared_ptr<QtPeripheral> peripheral = peripherals_[identifier].lock();
    if (peripheral) {
        peripheral->updateInfo(info);
    } else {
        peripheral = std::make_shared<QtPeripheral>(info, link_);
        peripherals_[identifier] = peripheral;
        pruneGoneDevices();
    }
    AdvertisementData advertisement;
    if (!info.name().isEmpty())
        advertisement.localName = info.name().toStdString();
    for (const QBluetoothUuid& uuid : info.serviceUuids())
        advertisement.serviceUuids.push_back(fromQtUuid(uuid));
    const int rssi = info.rssi();
    link_->queue.post([this, peripheral, advertisement, rssi] {
        link_->delegate.didDiscoverPeripheral(*this, peripheral, advertisement, rssi);
    });
}

void QtCentral::deviceRemoved(const QBluetoothAddress& address) {
    const BluetoothUuid identifier = identifierFromAddress(address);
    scanner_.forget(identifier);
    const auto entry = peripherals_.find(identifier);
    if (entry == peripherals_.end())
        return;
    std::shared_ptr<QtPeripheral> peripheral = entry->second.lock();
    if (!peripheral) {
        peripherals_.erase(entry);
        return;
    }
    // The object stays while the device link holds it, so that the device is the same object
    // if it comes back. A device with a link or a request is not lost: the link's own end is
    // reported as a disconnection.
    if (peripheral->state() != PeripheralState::Disconnected)
        return;
    link_->queue.post([this, peripheral] { link_->delegate.didLosePeripheral(*this, peripheral); });
}

void QtCentral::pruneGoneDevices() {
    if (peripherals_.size() < pruneAt_)
        return;
    std::erase_if(peripherals_, [](const auto& entry) { return entry.second.expired(); });
    pruneAt_ = std::max<std::size_t>(64, 2 * peripherals_.size());
}

std::shared_ptr<QtPeripheral> QtCentral::ours(const PeripheralRef& peripheral) const {
    auto qtPeripheral = std::dynamic_pointer_cast<QtPeripheral>(peripheral);
    if (!qtPeripheral)
        return nullptr;
    auto it = peripherals_.find(qtPeripheral->identifier());
    if (it == peripherals_.end() || it->second.lock() != qtPeripheral)
        return nullptr;
    return qtPeripheral;
}

template <typename Action> void QtCentral::forEachLivePeripheral(Action action) {
    for (auto it = peripherals_.begin(); it != peripherals_.end();) {
        if (auto peripheral = it->second.lock()) {
            action(*peripheral);
            ++it;
        } else {
            it = peripherals_.erase(it);
        }
    }
}

} // namespace vontal
