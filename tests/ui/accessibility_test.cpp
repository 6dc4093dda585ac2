// The window as a screen reader and a keyboard user meet it, through Qt's accessibility
// interface and key presses: every button names its device, the dots describe the link, the
// lists and the toggle have names, and Tab reaches every button and the toggle in reading order.

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
#include <algorithm>

namespace vontal {
namespace {

QString accessible(QWidget* widget, QAccessible::Text text) {
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(widget);
    return interface ? interface->text(text) : QStringLiteral("(none)");
}

class AccessibilityTest : public UiFixture {
protected:
    AccessibilityTest() : view(*manager, loginItems, uiDiagnostics) {
        view.show();
        view.activateWindow();
        settle();
    }

    void connect(std::uint64_t address) {
        const auto& discovered = manager->discoveredPeripherals();
        const auto found = std::find_if(discovered.begin(), discovered.end(), [&](const auto& p) {
            return p->identifier() == identifierForAddress(address);
        });
        ASSERT_NE(found, discovered.end());
        manager->connect(PeripheralRef(*found));
        settle();
    }

    QString buttonName(const DeviceListView* list, int row) {
        return accessible(list->row(row)->button(), QAccessible::Name);
    }

    // Where each press of Tab takes the focus from the toggle, against the buttons top to
    // bottom, the toggle, and the first button again.
    void expectTabOrder() {
        std::vector<QWidget*> expected;
        for (const DeviceListView* list : {view.connectedList(), view.discoveredList()})
            for (int index = 0; index < list->rowCount(); ++index)
                expected.push_back(list->row(index)->button());
        expected.push_back(view.launchAtLoginBlock()->toggle());
        expected.push_back(expected.front());
        view.launchAtLoginBlock()->toggle()->setFocus(Qt::TabFocusReason);
        std::vector<QWidget*> reached;
        for (std::size_t press = 0; press < expected.size(); ++press) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached.push_back(QApplication::focusWidget());
        }
        EXPECT_EQ(reached, expected);
    }

    ContentView view;
};

TEST_F(AccessibilityTest, NamesDescriptionsAndTabOrderFollowTheLists) {
    EXPECT_EQ(accessible(view.connectedList(), QAccessible::Name), "Connected");
    EXPECT_EQ(accessible(view.discoveredList(), QAccessible::Name), "Discovered");
    EXPECT_EQ(accessible(view.launchAtLoginBlock()->toggle(), QAccessible::Name),
              "Launch on login");

    // Rows are made in an order unlike the lists': the first device found is connected last.
    addDevice(0x01, "Vontal Pad");
    sim.bluetooth.addDevice(
        vontalDevice(identifierForAddress(0x02), "VNT-DSP", std::nullopt, "Desk Display"));
    addDevice(0x03, "Macro Keys");
    settle();
    EXPECT_EQ(buttonName(view.discoveredList(), 0),
              QString::fromUtf8("Connect Vontal Pad \u00B7 0001"));
    sim.alerts.accept("0000");
    connect(0x02);
    sim.bluetooth.setConnectDelay(identifierForAddress(0x01), std::chrono::hours(1));
    connect(0x01);
    addDevice(0x04, "Fourth");
    settle();

    const DeviceListView* connected = view.connectedList();
    ASSERT_EQ(connected->rowCount(), 2);
    ASSERT_EQ(view.discoveredList()->rowCount(), 2);
    EXPECT_EQ(buttonName(connected, 0), "Disconnect Desk Display");
    EXPECT_EQ(accessible(connected->row(0)->statusLabel(), QAccessible::Description), "Unlocked");
    // Asked for, not up yet.
    EXPECT_EQ(buttonName(connected, 1), QString::fromUtf8("Connect Vontal Pad \u00B7 0001"));
    EXPECT_EQ(accessible(connected->row(1)->statusLabel(), QAccessible::Description),
              QString::fromUtf8("Connecting\u2026"));
    EXPECT_EQ(buttonName(view.discoveredList(), 0),
              QString::fromUtf8("Connect Macro Keys \u00B7 0003"));
    expectTabOrder();

    // Space on a focused button acts on its row.
    view.discoveredList()->row(0)->button()->setFocus(Qt::TabFocusReason);
    sim.alerts.accept("4321");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    settle();
    ASSERT_EQ(connected->rowCount(), 3);
    EXPECT_EQ(buttonName(connected, 2), "Disconnect Macro Keys");
    expectTabOrder();

    // The top row goes: its device is out of range; the rows below move up.
    sim.bluetooth.setInRange(identifierForAddress(0x02), false);
    settle();
    ASSERT_EQ(connected->rowCount(), 2);
    expectTabOrder();
}

} // namespace
} // namespace vontal
