#include "ui_fixture.h"

#include "ui/device_list_view.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace vontal {

namespace {

class ScriptedLoginItem final : public LoginItem {
public:
    ScriptedLoginItem(ScriptedLoginItemService& service, std::string id)
        : service_(service), id_(std::move(id)) {}

    LoginItemStatus status() const override {
        service_.calls.push_back({"status", id_});
        return service_.status;
    }
    std::optional<LoginItemError> registerItem() override {
        service_.calls.push_back({"register", id_});
        if (!service_.registerError)
            service_.status = service_.statusAfterRegister.value_or(LoginItemStatus::Enabled);
        return service_.registerError;
    }
    std::optional<LoginItemError> unregisterItem() override {
        service_.calls.push_back({"unregister", id_});
        if (!service_.unregisterError)
            service_.status = LoginItemStatus::NotRegistered;
        return service_.unregisterError;
    }

private:
    ScriptedLoginItemService& service_;
    std::string id_;
};

} // namespace

std::unique_ptr<LoginItem>
ScriptedLoginItemService::loginItemServiceWithIdentifier(const std::string& id) {
    return std::make_unique<ScriptedLoginItem>(*this, id);
}

std::vector<ScriptedLoginItemService::Call> ScriptedLoginItemService::changes() const {
    std::vector<Call> result;
    for (const Call& call : calls)
        if (call.operation != "status")
            result.push_back(call);
    return result;
}

UiFixture::UiFixture() : manager(std::make_unique<PeripheralManager>(sim.platform())) {
    // The radio's first report: scanning starts.
    sim.clock.runUntilIdle();
}

UiFixture::~UiFixture() {
    // Windows of a failed test must not outlive the manager their rows point into.
    for (QWidget* window : QApplication::topLevelWidgets())
        delete window;
}

void UiFixture::settle() {
    sim.clock.runUntilIdle();
    turnQtLoop();
}

void UiFixture::turnQtLoop() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

BluetoothUuid UiFixture::addDevice(std::uint64_t address, std::optional<std::string> name,
                                   std::optional<std::string> password) {
    const BluetoothUuid identifier = identifierForAddress(address);
    sim.bluetooth.addDevice(vontalDevice(identifier, std::move(name), std::move(password)));
    return identifier;
}

std::vector<SimRequest> UiFixture::requestsOf(SimRequest::Kind kind,
                                              const BluetoothUuid& device) const {
    std::vector<SimRequest> matching;
    for (const SimRequest& request : sim.bluetooth.requestsFor(device))
        if (request.kind == kind)
            matching.push_back(request);
    return matching;
}

QString rowName(const DeviceListView& list, int index) {
    return list.row(index)->nameLabel()->text();
}

QString rowStatus(const DeviceListView& list, int index) {
    const QLabel* status = list.row(index)->statusLabel();
    return status ? status->text() : QString();
}

QString rowButton(const DeviceListView& list, int index) {
    return list.row(index)->button()->text();
}

void clickRowButton(const DeviceListView& list, int index) {
    click(list.row(index)->button());
}

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

} // namespace vontal
