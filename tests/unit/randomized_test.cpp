#include "manager_fixture.h"
#include "platform/sim/sim_gatt.h"

#include <algorithm>
#include <cstdlib>
#include <deque>
#include <iostream>
#include <random>
#include <set>
#include <sstream>

namespace vontal {
namespace {

using std::chrono::milliseconds;
using Kind = SimRequest::Kind;

std::uint64_t fromEnvironment(const char* name, std::uint64_t fallback) {
    if (const char* text = std::getenv(name); text && *text)
        return std::strtoull(text, nullptr, 0);
    return fallback;
}

// A day of random use: devices come and go, the radio toggles, the user connects and
// disconnects, types right and wrong passwords, switches applications. After every step the
// manager's lists and everything it asked of the stack must obey the device link's rules.
class Randomized : public ManagerTest {
protected:
    std::mt19937_64 rng;
    std::map<BluetoothUuid, std::string> passwords; // what each device accepts
    std::vector<BluetoothUuid> all;
    BluetoothUuid stranger; // advertises another service only
    std::size_t checkedUpTo = 0;
    std::deque<std::string> recent;
    std::map<std::string, int> stats;

    std::size_t below(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
    }
    bool chance(double p) { return std::bernoulli_distribution(p)(rng); }
    template <typename T> const T& pick(const std::vector<T>& from) {
        return from[below(from.size())];
    }

    void note(std::string event) {
        ++stats[event.substr(0, event.find(' '))];
        recent.push_back(std::move(event));
        if (recent.size() > 25)
            recent.pop_front();
    }
    std::string history() const {
        std::ostringstream out;
        out << "last events:";
        for (const std::string& event : recent)
            out << "\n  " << event;
        return out.str();
    }

    void addDevices() {
        const auto add = [&](SimDeviceSpec deviceSpec) {
            if (deviceSpec.password)
                passwords[deviceSpec.identifier] = *deviceSpec.password;
            all.push_back(addDevice(deviceSpec));
        };
        add(vontalDevice(deviceId(1), "Alpha", "a-pass", "Alpha custom"));
        add(vontalDevice(deviceId(2), std::nullopt, "b-pass"));
        add(vontalDevice(deviceId(3), "Gamma", std::nullopt));
        SimDeviceSpec twice = vontalDevice(deviceId(4), "Delta", "d-pass");
        twice.services[0].characteristics.push_back({PeripheralManager::characteristicUUID, {}});
        twice.services.push_back(twice.services[0]);
        twice.advertisesWhileConnected = true;
        add(twice);
        SimDeviceSpec slow = vontalDevice(deviceId(5), "Epsilon", "e-pass");
        slow.answerDelay = milliseconds(30);
        slow.connectDelay = milliseconds(200);
        add(slow);
        SimDeviceSpec bare = vontalDevice(deviceId(6), "Zeta", "z-pass");
        bare.services[0].characteristics.erase(bare.services[0].characteristics.begin() + 1);
        add(bare);
        SimDeviceSpec other;
        other.identifier = deviceId(7);
        other.name = "Heart";
        other.advertisedServices = {BluetoothUuid::fromString("180D")};
        stranger = addDevice(other);
    }

    BluetoothUuid deviceNamed(const std::string& message) const {
        const std::string name = message.substr(message.find(" for ") + 5);
        for (const BluetoothUuid& id : all)
            if (sim.bluetooth.device(id)->name.value_or("device") == name)
                return id;
        ADD_FAILURE() << "alert for no known device: " << message;
        return {};
    }

    void answerAlertsAtRandom() {
        sim.alerts.setResponder(
            [this](const AlertRequest& alert) -> std::optional<ScriptedAlertPresenter::Answer> {
                ScriptedAlertPresenter::Answer answer;
                const BluetoothUuid id = deviceNamed(alert.messageText);
                const double roll = std::uniform_real_distribution<double>(0, 1)(rng);
                if (roll < 0.55) {
                    const auto right = passwords.find(id);
                    answer.text = right != passwords.end() ? right->second : "anything";
                } else if (roll < 0.75) {
                    answer.text = "wrong";
                } else {
                    answer.response = kAlertFirstButtonReturn + 1;
                }
                if (chance(0.1)) {
                    const auto open = milliseconds(below(20'000));
                    answer.whileOpen = [this, open] {
                        advance(open);
                    };
                }
                ++stats[answer.response == kAlertFirstButtonReturn ? "alert-ok" : "alert-cancel"];
                return answer;
            });
    }

    bool known(const BluetoothUuid& id) const { return storedPassword(id).has_value(); }

    // Where an activation must write: each listed device (once, even when listed twice) whose
    // link is up, whose device accepted a password on it and whose last write the stack has
    // answered, once per discovered custom service, to its first data characteristic. The
    // devices still busy are put in `busy`: the name waits for them.
    std::vector<std::tuple<BluetoothUuid, int, int>>
    expectedTargets(std::set<BluetoothUuid>& busy) const {
        std::vector<std::tuple<BluetoothUuid, int, int>> targets;
        std::set<BluetoothUuid> seen;
        for (const PeripheralRef& peripheral : manager->connectedPeripherals()) {
            if (peripheral->state() != PeripheralState::Connected ||
                !sim.bluetooth.isUnlocked(peripheral->identifier()) ||
                !seen.insert(peripheral->identifier()).second)
                continue;
            if (!peripheral->canSendWriteWithoutResponse()) {
                busy.insert(peripheral->identifier());
                continue;
            }
            const auto services = peripheral->services();
            if (!services)
                continue;
            for (const ServiceRef& service : *services) {
                if (service->uuid() != PeripheralManager::serviceUUID)
                    continue;
                const auto characteristics = service->characteristics();
                if (!characteristics)
                    continue;
                for (const CharacteristicRef& characteristic : *characteristics) {
                    if (characteristic->uuid() == PeripheralManager::characteristicUUID) {
                        // Where it sits in the device's layout, as the record names it.
                        const auto sim =
                            std::dynamic_pointer_cast<SimCharacteristic>(characteristic);
                        targets.emplace_back(peripheral->identifier(), sim->serviceIndex(),
                                             sim->index());
                        break;
                    }
                }
            }
        }
        return targets;
    }

    void activate() {
        static const std::vector<std::string> names{
            "Editor", "Caf\u00E9", "", "Terminal", std::string(300, 'n'), "\u65E5\u672C"};
        const std::string name = pick(names);
        note("activate " + name.substr(0, 12));
        std::set<BluetoothUuid> busy;
        const auto expected = expectedTargets(busy);
        const std::size_t before = recordSize();
        sim.workspace.activate(name);
        for (const BluetoothUuid& id : busy)
            EXPECT_EQ(manager->waitingName(id), name);
        stats["waited"] += static_cast<int>(busy.size());
        std::vector<std::tuple<BluetoothUuid, int, int>> actual;
        for (const SimRequest& request : requestsSince(before)) {
            EXPECT_EQ(request.kind, Kind::WriteValue) << request;
            EXPECT_EQ(request.writeType, WriteType::WithoutResponse) << request;
            EXPECT_EQ(request.value, bytesOf(name)) << request;
            EXPECT_TRUE(request.delivered()) << request;
            actual.emplace_back(*request.device, request.serviceIndex, request.characteristicIndex);
        }
        ASSERT_EQ(actual, expected) << history();
        stats["written"] += static_cast<int>(actual.size());
    }

    void step() {
        const auto device = pick(all);
        switch (below(16)) {
        case 0:
        case 1:
            note("advance short");
            advance(milliseconds(below(500)));
            break;
        case 2:
            note("advance long");
            advance(milliseconds(1'000 + below(19'000)));
            break;
        case 3:
        case 4:
            activate();
            break;
        case 5:
        case 6:
            if (!manager->discoveredPeripherals().empty()) {
                const PeripheralRef row = pick(manager->discoveredPeripherals());
                note("connect " + manager->displayName(row));
                manager->connect(row);
            }
            break;
        case 7: {
            std::vector<PeripheralRef> down, up;
            for (const PeripheralRef& row : manager->connectedPeripherals())
                (row->state() == PeripheralState::Connected ? up : down).push_back(row);
            if (!down.empty() && chance(0.3)) {
                note("reconnect-row " + down.front()->identifier().toString().substr(34));
                manager->connect(pick(down));
            } else if (!up.empty()) {
                const PeripheralRef row = pick(up);
                note("disconnect " + row->identifier().toString().substr(34));
                manager->disconnect(row);
            }
            break;
        }
        case 8:
            note("lose-link " + device.toString().substr(34));
            sim.bluetooth.loseLink(device);
            break;
        case 9:
        case 10: {
            const bool on = chance(0.6);
            note(std::string("advertising ") + (on ? "on " : "off ") +
                 device.toString().substr(34));
            sim.bluetooth.setAdvertising(device, on);
            break;
        }
        case 11: {
            const bool in = chance(0.7);
            note(std::string("range ") + (in ? "in " : "out ") + device.toString().substr(34));
            sim.bluetooth.setInRange(device, in);
            break;
        }
        case 12: {
            static const std::vector<CentralState> states{
                CentralState::PoweredOn,   CentralState::PoweredOn,  CentralState::PoweredOn,
                CentralState::PoweredOff,  CentralState::PoweredOff, CentralState::Resetting,
                CentralState::Unauthorized};
            const CentralState state = pick(states);
            note("radio " + std::to_string(static_cast<int>(state)));
            sim.bluetooth.setRadioState(state);
            break;
        }
        case 13:
            note("refuse-next " + device.toString().substr(34));
            sim.bluetooth.refusePasswordWrites(device, 1 + static_cast<int>(below(2)));
            break;
        case 14: {
            static const std::vector<Bytes> names{bytesOf("Desk"), bytesOf(""), Bytes{0xFF},
                                                  bytesOf("K\u00FCche")};
            note("name-notify " + device.toString().substr(34));
            sim.bluetooth.notify(device, PeripheralManager::deviceNameUUID, pick(names));
            break;
        }
        case 15:
            if (chance(0.1)) {
                note("restart");
                manager.reset();
                make();
            } else if (chance(0.3)) {
                discoverEveryDataCharacteristic(device);
            } else {
                static const std::vector<SimOperation> operations{
                    SimOperation::DiscoverServices, SimOperation::DiscoverCharacteristics,
                    SimOperation::ReadValue, SimOperation::WriteValue,
                    SimOperation::SetNotifyValue};
                note("fault " + device.toString().substr(34));
                sim.bluetooth.failNext(device, pick(operations), {{"Injected."}, chance(0.5)});
            }
            break;
        }
        run();
    }

    // Another client of the stack discovers the data characteristic in every custom service of
    // the device (the handshake only looks in the first). The manager sees the answers.
    void discoverEveryDataCharacteristic(const BluetoothUuid& id) {
        const PeripheralRef peripheral = handle(id);
        const auto services = peripheral->services();
        if (peripheral->state() != PeripheralState::Connected || !services)
            return;
        note("discover-all " + id.toString().substr(34));
        for (const ServiceRef& service : *services)
            peripheral->discoverCharacteristics({PeripheralManager::characteristicUUID}, service);
        // These requests are the test's own, not the manager's.
        checkedUpTo = recordSize();
    }

    // Everything the manager asked of the stack since the last check.
    void checkRequests() {
        const auto& requests = sim.bluetooth.requests();
        const std::vector<BluetoothUuid> service{PeripheralManager::serviceUUID};
        const std::vector<BluetoothUuid> handshake{PeripheralManager::passwordCharUUID,
                                                   PeripheralManager::characteristicUUID,
                                                   PeripheralManager::deviceNameUUID};
        for (; checkedUpTo < requests.size(); ++checkedUpTo) {
            const SimRequest& r = requests[checkedUpTo];
            ASSERT_TRUE(r.validHandle) << r << "\n" << history();
            ASSERT_NE(r.device, stranger) << r;
            switch (r.kind) {
            case Kind::Scan:
                ASSERT_EQ(r.uuids, service) << r;
                break;
            case Kind::DiscoverServices:
                ASSERT_EQ(r.uuids, service) << r;
                break;
            case Kind::DiscoverCharacteristics:
                ASSERT_EQ(r.uuids, handshake) << r;
                ASSERT_EQ(r.serviceIndex, 0) << "the first custom service only: " << r;
                break;
            case Kind::ReadValue:
            case Kind::SetNotifyValue:
                ASSERT_TRUE(r.characteristic == PeripheralManager::characteristicUUID ||
                            r.characteristic == PeripheralManager::deviceNameUUID)
                    << r;
                if (r.kind == Kind::SetNotifyValue) {
                    ASSERT_TRUE(r.enabled) << r;
                }
                break;
            case Kind::WriteValue:
                if (r.writeType == WriteType::WithResponse) {
                    ASSERT_TRUE(r.characteristic == PeripheralManager::passwordCharUUID ||
                                (r.characteristic == PeripheralManager::characteristicUUID &&
                                 r.value == Bytes{0x00}))
                        << r;
                } else {
                    ASSERT_EQ(r.characteristic, PeripheralManager::characteristicUUID) << r;
                    // Only a keep-alive reaches a device that has not accepted its password.
                    if (r.value != Bytes{0x00}) {
                        ASSERT_TRUE(r.unlocked) << "a name to a locked device: " << r << "\n"
                                                << history();
                    }
                }
                break;
            default:
                break;
            }
        }
    }

    void checkLists() {
        const auto& discoveredList = manager->discoveredPeripherals();
        const auto& connectedList = manager->connectedPeripherals();
        for (std::size_t i = 0; i < discoveredList.size(); ++i) {
            const PeripheralRef& row = discoveredList[i];
            const BluetoothUuid id = row->identifier();
            ASSERT_NE(id, stranger) << history();
            // Known devices are listed only while the user stopped them or they wait out
            // their pause.
            ASSERT_TRUE(!known(id) || manager->isHeldBack(id) || manager->isBackingOff(id))
                << "a known device under Discovered: " << id.toString() << "\n"
                << history();
            ASSERT_EQ(std::count(discoveredList.begin(), discoveredList.end(), row), 1)
                << history();
            ASSERT_EQ(std::find(connectedList.begin(), connectedList.end(), row),
                      connectedList.end())
                << "in both lists\n"
                << history();
        }
        for (const PeripheralRef& row : connectedList)
            ASSERT_NE(row->identifier(), stranger);
        for (const PeripheralRef& row : manager->pendingPeripherals())
            ASSERT_NE(row->identifier(), stranger);
        // A link that is up belongs to a "Connected" row.
        for (const BluetoothUuid& id : all) {
            if (handle(id)->state() != PeripheralState::Connected)
                continue;
            ASSERT_TRUE(
                std::any_of(connectedList.begin(), connectedList.end(),
                            [&](const PeripheralRef& row) { return row->identifier() == id; }))
                << id.toString() << " is connected but not listed\n"
                << history();
        }
        // The stored names follow the map, a moment later.
        if (manager->hasUnsavedDeviceNames())
            return;
        if (const auto stored =
                sim.defaults.dictionaryForKey(PeripheralManager::deviceNamesDefaultsKey)) {
            DefaultsDictionary expected;
            for (const auto& [id, name] : manager->deviceNames())
                expected[id.toString()] = name;
            ASSERT_EQ(*stored, expected) << history();
        } else {
            ASSERT_TRUE(manager->deviceNames().empty());
        }
        ASSERT_TRUE(sim.alerts.unexpected().empty());
    }
};

TEST_F(Randomized, TensOfThousandsOfEventsKeepEveryRule) {
    const std::uint64_t seed = fromEnvironment("VONTAL_RANDOM_SEED", 20261207);
    const std::uint64_t steps = fromEnvironment("VONTAL_RANDOM_STEPS", 30'000);
    std::cout << "randomized device-link run: seed " << seed << ", " << steps
              << " steps (VONTAL_RANDOM_SEED and VONTAL_RANDOM_STEPS override)" << std::endl;
    RecordProperty("seed", std::to_string(seed));
    rng.seed(seed);
    addDevices();
    answerAlertsAtRandom();
    start();

    for (std::uint64_t i = 0; i < steps; ++i) {
        step();
        checkRequests();
        checkLists();
        if (HasFatalFailure() || HasFailure()) {
            ADD_FAILURE() << "at step " << i << " with seed " << seed;
            return;
        }
    }

    std::ostringstream summary;
    for (const auto& [event, n] : stats)
        summary << ' ' << event << '=' << n;
    std::cout << "covered:" << summary.str() << " unlocked-now=" << [&] {
        int n = 0;
        for (const BluetoothUuid& id : all)
            n += sim.bluetooth.isUnlocked(id);
        return n;
    }() << std::endl;
    // The run reached the interesting states, not just idled.
    EXPECT_GT(stats["written"], 1000);
    EXPECT_GT(stats["alert-ok"], 100);
    EXPECT_GT(stats["alert-cancel"], 50);
}

} // namespace
} // namespace vontal
