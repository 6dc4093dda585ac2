#include "bulk_stack.h"

#include <algorithm>

namespace vontal {

namespace {

class BulkPeripheral final : public Peripheral {
public:
    BulkPeripheral(BluetoothUuid identifier, std::string name)
        : identifier_(identifier), name_(std::move(name)) {}

    BluetoothUuid identifier() const override { return identifier_; }
    std::optional<std::string> name() const override { return name_; }
    PeripheralState state() const override { return PeripheralState::Disconnected; }
    void setDelegate(PeripheralDelegate*) override {}
    void discoverServices(const std::vector<BluetoothUuid>&) override {}
    std::optional<std::vector<ServiceRef>> services() const override { return std::nullopt; }
    void discoverCharacteristics(const std::vector<BluetoothUuid>&, const ServiceRef&) override {}
    void readValue(const CharacteristicRef&) override {}
    void setNotifyValue(bool, const CharacteristicRef&) override {}
    void writeValue(const Bytes&, const CharacteristicRef&, WriteType) override {}
    std::optional<std::size_t> maximumWriteValueLength(WriteType) const override {
        return std::nullopt;
    }

private:
    BluetoothUuid identifier_;
    std::string name_;
};

BluetoothUuid identifierFor(std::uint64_t address) {
    BluetoothUuid::Bytes bytes{};
    for (int i = 0; i < 6; ++i)
        bytes[static_cast<std::size_t>(15 - i)] = static_cast<std::uint8_t>(address >> (8 * i));
    return BluetoothUuid(bytes);
}

} // namespace

class BulkStack::BulkCentral final : public Central {
public:
    BulkCentral(BulkStack& stack, CentralDelegate& delegate) : stack_(stack), delegate_(delegate) {
        stack_.centrals_.push_back(this);
        stack_.queue_.async([this, alive = alive_] {
            if (*alive)
                delegate_.centralManagerDidUpdateState(*this);
        });
    }
    ~BulkCentral() override {
        *alive_ = false;
        std::erase(stack_.centrals_, this);
    }

    CentralState state() const override { return CentralState::PoweredOn; }
    void scanForPeripherals(const std::vector<BluetoothUuid>&) override {}
    void stopScan() override {}
    void connect(const PeripheralRef&) override {}
    void cancelConnection(const PeripheralRef&) override {}

    void report(PeripheralRef peripheral) {
        stack_.queue_.async([this, alive = alive_, peripheral = std::move(peripheral)] {
            if (*alive)
                delegate_.didDiscoverPeripheral(*this, peripheral, {}, -60);
        });
    }

private:
    BulkStack& stack_;
    CentralDelegate& delegate_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

std::unique_ptr<Central> BulkStack::makeCentral(CentralDelegate& delegate) {
    return std::make_unique<BulkCentral>(*this, delegate);
}

void BulkStack::advertise(std::uint64_t address, std::string name) {
    auto peripheral = std::make_shared<BulkPeripheral>(identifierFor(address), std::move(name));
    for (BulkCentral* central : centrals_)
        central->report(peripheral);
}

} // namespace vontal
