// The window as a screen reader and a keyboard user meet it, through Qt's accessibility
// interface: every button names its device, the dots describe the link, the lists and the toggle
// have names, and Tab reaches every button and the toggle in reading order.

#include "ui/content_view.h"
#include "ui/device_list_view.h"
#include "ui/launch_at_login_block.h"
#include "ui_fixture.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace vontal {
namespace {

QString accessible(QWidget* widget, QAccessible::Text text) {
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(widget);
    return interface ? interface->text(text) : QStringLiteral("(no interface)");
}

class AccessibilityTest : public UiFixture {
protected:
    AccessibilityTest() : view(*manager, loginItems, uiDiagnostics) {
        view.resize(480, 480);
        view.show();
        settle();
    }

    PeripheralRef listed(const std::vector<PeripheralRef>& list, const BluetoothUuid& id) {
        for (const PeripheralRef& peripheral : list)
            if (peripheral->identifier() == id)
                return peripheral;
        return nullptr;
    }

    // The buttons top to bottom, the toggle, and the first button again.
    std::vector<QWidget*> buttonsThenToggle() const {
        std::vector<QWidget*> order;
        for (const DeviceListView* list : {view.connectedList(), view.discoveredList()})
            for (int index = 0; index < list->rowCount(); ++index)
                order.push_back(list->row(index)->button());
        order.push_back(view.launchAtLoginBlock()->toggle());
        order.push_back(order.front());
        return order;
    }

    // Where each press of Tab takes the focus, starting on the toggle.
    std::vector<QWidget*> tabsFromTheToggle() {
        view.launchAtLoginBlock()->toggle()->setFocus(Qt::TabFocusReason);
        EXPECT_EQ(QApplication::focusWidget(), view.launchAtLoginBlock()->toggle());
        std::vector<QWidget*> reached;
        for (std::size_t press = 0; press < buttonsThenToggle().size(); ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached.push_back(QApplication::focusWidget());
        }
        return reached;
    }

    ContentView view;
};

TEST_F(AccessibilityTest, ButtonsNameTheirDeviceAndDotsDescribeTheLink) {
    const BluetoothUuid pad = addDevice(0x0001, "Vontal Pad");
    const BluetoothUuid desk = identifierForAddress(0x0002);
    sim.bluetooth.addDevice(vontalDevice(desk, "VNT-DSP", std::nullopt, "Desk Display"));
    addDevice(0x0003, "Macro Keys");
    settle();
    ASSERT_EQ(view.discoveredList()->rowCount(), 3);
    EXPECT_EQ(accessible(view.discoveredList()->row(0)->button(), QAccessible::Name),
              QString::fromUtf8("Connect Vontal Pad \u00B7 0001"));

    // The desk's link comes up; the pad's connection is asked for and not up yet.
    sim.alerts.accept("0000");
    manager->connect(listed(manager->discoveredPeripherals(), desk));
    settle();
    sim.bluetooth.setConnectDelay(pad, std::chrono::seconds(5));
    manager->connect(listed(manager->discoveredPeripherals(), pad));
    settle();
    const DeviceListView& connected = *view.connectedList();
    ASSERT_EQ(connected.rowCount(), 2);
    ASSERT_EQ(rowName(connected, 0), "Desk Display");

    EXPECT_EQ(accessible(connected.row(0)->button(), QAccessible::Name), "Disconnect Desk Display");
    EXPECT_EQ(accessible(connected.row(0)->statusLabel(), QAccessible::Description), "connected");
    EXPECT_EQ(accessible(connected.row(1)->button(), QAccessible::Name),
              QString::fromUtf8("Connect Vontal Pad \u00B7 0001"));
    EXPECT_EQ(accessible(connected.row(1)->statusLabel(), QAccessible::Description),
              "connecting or disconnected");
    EXPECT_EQ(accessible(view.discoveredList()->row(0)->button(), QAccessible::Name),
              QString::fromUtf8("Connect Macro Keys \u00B7 0003"));

    // The link goes down: the next rebuild says so.
    sim.bluetooth.loseLink(desk);
    settle();
    ASSERT_GE(connected.rowCount(), 1);
    EXPECT_NE(accessible(connected.row(0)->button(), QAccessible::Name), "Disconnect Desk Display");

    EXPECT_EQ(accessible(view.connectedList(), QAccessible::Name), "Connected");
    EXPECT_EQ(accessible(view.discoveredList(), QAccessible::Name), "Discovered");
    EXPECT_EQ(accessible(view.launchAtLoginBlock()->toggle(), QAccessible::Name),
              "Launch on login");
}

TEST_F(AccessibilityTest, TabGoesDownTheConnectedRowsThenTheDiscoveredOnesThenToTheToggle) {
    // Rows are made in an order unlike the lists': the first device found is connected last.
    const BluetoothUuid first = addDevice(0x0A, "First");
    const BluetoothUuid second = addDevice(0x0B, "Second");
    settle();
    addDevice(0x0C, "Third");
    settle();
    sim.alerts.accept("a");
    manager->connect(listed(manager->discoveredPeripherals(), second));
    settle();
    sim.alerts.accept("b");
    manager->connect(listed(manager->discoveredPeripherals(), first));
    settle();
    addDevice(0x0D, "Fourth");
    settle();
    ASSERT_EQ(view.connectedList()->rowCount(), 2);
    ASSERT_EQ(view.discoveredList()->rowCount(), 2);

    QApplication::setActiveWindow(&view);
    EXPECT_EQ(tabsFromTheToggle(), buttonsThenToggle());

    // The lists change again: a discovered device is connected, another one is found.
    sim.alerts.accept("c");
    manager->connect(listed(manager->discoveredPeripherals(), identifierForAddress(0x0C)));
    settle();
    addDevice(0x0E, "Fifth");
    settle();
    ASSERT_EQ(view.connectedList()->rowCount(), 3);
    ASSERT_EQ(view.discoveredList()->rowCount(), 2);
    EXPECT_EQ(tabsFromTheToggle(), buttonsThenToggle());

    // The middle one of the connected devices goes away.
    sim.bluetooth.setInRange(first, false);
    settle();
    ASSERT_EQ(view.connectedList()->rowCount(), 2);
    ASSERT_EQ(view.discoveredList()->rowCount(), 2);
    EXPECT_EQ(tabsFromTheToggle(), buttonsThenToggle());

    // Space on a focused button acts on its row.
    ASSERT_EQ(rowName(*view.discoveredList(), 0), QString::fromUtf8("Fourth \u00B7 000D"));
    view.discoveredList()->row(0)->button()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(view.discoveredList()->row(0)->button(), Qt::Key_Space);
    EXPECT_EQ(requestsOf(SimRequest::Kind::Connect, identifierForAddress(0x0D)).size(), 1u);
}

} // namespace
} // namespace vontal
