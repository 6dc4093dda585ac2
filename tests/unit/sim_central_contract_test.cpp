// The central's rules on the simulated stack, under the virtual clock.

#include "platform/sim/sim_bluetooth_stack.h"
#include "platform/sim/vontal_device.h"
#include "tests/support/contract/central_contract.h"
#include "tests/support/sim/virtual_clock.h"

namespace vontal::contract {
namespace {

class SimCentralBackend {
public:
    // The simulated link lets go at once.
    static constexpr PeripheralState kStateRightAfterCancellingALink =
        PeripheralState::Disconnected;

    void addVontalDevice(const ContractDevice& device) {
        const BluetoothUuid identifier = identifierForAddress(device.address);
        stack.addDevice(vontalDevice(identifier, device.name, device.password, device.customName));
        stack.setValue(identifier, PeripheralManager::characteristicUUID, device.dataValue);
    }
    void addOtherDevice(std::uint64_t address, const std::string& name,
                        const BluetoothUuid& service) {
        SimDeviceSpec other;
        other.identifier = identifierForAddress(address);
        other.name = name;
        other.advertisedServices = {service};
        stack.addDevice(other);
    }
    std::unique_ptr<Central> makeCentral(CentralDelegate& delegate) {
        return stack.makeCentral(delegate);
    }

    void hearAgain(std::uint64_t address) {
        stack.setAdvertising(identifierForAddress(address), false);
        stack.setAdvertising(identifierForAddress(address), true);
    }
    void dropLink(std::uint64_t address) { stack.loseLink(identifierForAddress(address)); }
    void notify(std::uint64_t address, const BluetoothUuid& characteristic, Bytes value) {
        stack.notify(identifierForAddress(address), characteristic, std::move(value));
    }

    bool waitUntil(const std::function<bool()>& condition) {
        clock.runUntilIdle();
        return condition();
    }
    bool settle() {
        clock.runUntilIdle();
        return true;
    }
    bool waitForLinkToEnd(std::uint64_t address) {
        clock.runUntilIdle();
        return stack.linkState(identifierForAddress(address)) == PeripheralState::Disconnected;
    }
    std::vector<ContractWrite> writesReceived(std::uint64_t address,
                                              const BluetoothUuid& characteristic) {
        std::vector<ContractWrite> received;
        for (const SimWrite& write : stack.writes(identifierForAddress(address)))
            if (write.characteristic == characteristic)
                received.push_back({write.value, write.type});
        return received;
    }

private:
    VirtualClock clock;
    SimBluetoothStack stack{clock, clock};
};

} // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(SimulatedCentral, CentralContract, SimCentralBackend);

} // namespace vontal::contract
