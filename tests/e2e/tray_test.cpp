// vontal's tray icon as a StatusNotifierItem host sees it: a stand-in for the desktop's watcher
// on the test desktop's session bus hears vontal's item register; the item's tooltip follows the
// connected devices and a password alert that waits; activating it opens a window; its menu
// (com.canonical.dbusmenu) lists the devices and "Quit", which ends vontal cleanly.

#include "qt_wait.h"
#include "vontal_desktop.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <algorithm>

namespace vontal::e2e {
namespace {

using namespace std::chrono_literals;

const std::string kDeskAddress = "C0:FF:EE:00:00:01";
const std::string kDeskIdentifier = "00000000-0000-0000-0000-C0FFEE000001";
const std::string kLampAddress = "C0:FF:EE:00:00:02";
const std::string kLampIdentifier = "00000000-0000-0000-0000-C0FFEE000002";
const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

struct MenuEntry {
    int id = 0;
    QString label;
    bool enabled = true;
};

// One item of a dbusmenu layout, (ia{sv}av), and its children, flattened in order.
void readLayout(const QDBusArgument& argument, std::vector<MenuEntry>& entries) {
    MenuEntry entry;
    QVariantMap properties;
    argument.beginStructure();
    argument >> entry.id >> properties;
    entry.label = properties.value(QStringLiteral("label")).toString();
    entry.enabled = properties.value(QStringLiteral("enabled"), true).toBool();
    if (properties.value(QStringLiteral("visible"), true).toBool())
        entries.push_back(entry);
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        readLayout(child.variant().value<QDBusArgument>(), entries);
    }
    argument.endArray();
    argument.endStructure();
}

class Tray : public VontalDesktop {
protected:
    void SetUp() override {
        VontalDesktop::SetUp();
        if (HasFatalFailure())
            return;
        bus_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(
            QString::fromStdString(session_->busAddress()), QStringLiteral("tray-test")));
        ASSERT_TRUE(bus_->isConnected());
        session_->launch(
            {"/usr/bin/python3", "-m", "dbusmock", "--template", VONTAL_STATUS_NOTIFIER_WATCHER});
        ASSERT_TRUE(test::waitUntil(
            [&] { return bus_->interface()->isServiceRegistered(kWatcher).value(); }, 20s))
            << "the watcher stand-in did not come up";
    }

    void TearDown() override {
        bus_.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("tray-test"));
        VontalDesktop::TearDown();
    }

    QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        return bus_->call(message, QDBus::Block, 5000);
    }

    // The bus name under which vontal's item registered, once it has.
    QString waitForItem() {
        QString item;
        test::waitUntil(
            [&] {
                const QDBusMessage reply = call(kWatcher, QStringLiteral("/StatusNotifierWatcher"),
                                                QStringLiteral("org.freedesktop.DBus.Mock"),
                                                QStringLiteral("GetMethodCalls"),
                                                {QStringLiteral("RegisterStatusNotifierItem")});
                if (reply.type() != QDBusMessage::ReplyMessage)
                    return false;
                // a(tav): the time and the arguments of each call.
                const auto calls = reply.arguments().value(0).value<QDBusArgument>();
                calls.beginArray();
                while (!calls.atEnd()) {
                    qulonglong time = 0;
                    QVariantList arguments;
                    calls.beginStructure();
                    calls >> time >> arguments;
                    calls.endStructure();
                    item = arguments.value(0).toString();
                }
                calls.endArray();
                return !item.isEmpty();
            },
            20s);
        return item;
    }

    QVariant itemProperty(const QString& item, const QString& name) {
        const QDBusMessage reply = call(item, QStringLiteral("/StatusNotifierItem"),
                                        QStringLiteral("org.freedesktop.DBus.Properties"),
                                        QStringLiteral("Get"), {kItemInterface, name});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

    // The tooltip's title, (sa(iiay)ss): the text vontal gave its tray icon.
    QString toolTip(const QString& item) {
        const auto tip = itemProperty(item, QStringLiteral("ToolTip")).value<QDBusArgument>();
        QString icon;
        QString title;
        QString text;
        tip.beginStructure();
        tip >> icon;
        tip.beginArray();
        while (!tip.atEnd()) {
            int width = 0;
            int height = 0;
            QByteArray pixels;
            tip.beginStructure();
            tip >> width >> height >> pixels;
            tip.endStructure();
        }
        tip.endArray();
        tip >> title >> text;
        tip.endStructure();
        return title;
    }

    bool waitForToolTip(const QString& item, const std::function<bool(const QString&)>& matches) {
        return test::waitUntil([&] { return matches(toolTip(item)); }, 20s);
    }

    std::vector<MenuEntry> menu(const QString& item) {
        const QString path =
            itemProperty(item, QStringLiteral("Menu")).value<QDBusObjectPath>().path();
        const QDBusMessage reply =
            call(item, path, kMenuInterface, QStringLiteral("GetLayout"), {0, -1, QStringList{}});
        std::vector<MenuEntry> entries;
        if (reply.type() == QDBusMessage::ReplyMessage)
            readLayout(reply.arguments().value(1).value<QDBusArgument>(), entries);
        return entries;
    }

    bool clickMenuEntry(const QString& item, const QString& label) {
        const auto entries = menu(item);
        const auto entry = std::find_if(entries.begin(), entries.end(),
                                        [&](const MenuEntry& e) { return e.label == label; });
        if (entry == entries.end())
            return false;
        const QString path =
            itemProperty(item, QStringLiteral("Menu")).value<QDBusObjectPath>().path();
        const QDBusMessage reply =
            call(item, path, kMenuInterface, QStringLiteral("Event"),
                 {entry->id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
        return reply.type() == QDBusMessage::ReplyMessage;
    }

    // A device whose stored password it refuses, connected by vontal with no window open: the
    // radio is off until vontal's window is closed. Returns vontal's tray item.
    QString refusedPasswordWithNoWindowOpen() {
        mock_->addVontalDevice(kLampAddress, "Lamp", "open sesame 42", "Stehlampe");
        writeSettings({{QString::fromStdString(kLampIdentifier), QStringLiteral("open sesame")}});
        mock_->setPowered(false);
        startVontal();
        const xcb_window_t window = vontalWindow();
        const QString item = waitForItem();
        EXPECT_FALSE(item.isEmpty());
        EXPECT_TRUE(window != 0 && closeThroughWindowManager(window));
        EXPECT_TRUE(test::waitUntil([&] { return !windowExists(window); }, 10s));
        mock_->setPowered(true);
        return item;
    }

    std::unique_ptr<QDBusConnection> bus_;
};

// The device's Connect and Disconnect calls, in order; never empty.
std::vector<std::string> linkOperations(const std::vector<test::MockOperation>& operations,
                                        const std::string& address) {
    std::vector<std::string> links{"(none)"};
    for (const auto& operation : operations)
        if (operation.address == address &&
            (operation.operation == "Connect" || operation.operation == "Disconnect"))
            links.push_back(operation.operation);
    if (links.size() > 1)
        links.erase(links.begin());
    return links;
}

QStringList labels(const std::vector<MenuEntry>& entries) {
    QStringList result;
    for (const auto& entry : entries)
        if (!entry.label.isEmpty())
            result << entry.label;
    return result;
}

TEST_F(Tray, TheItemFollowsTheDevicesOpensAWindowAndQuitsCleanly) {
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});
    startVontal();
    const xcb_window_t window = vontalWindow();
    ASSERT_NE(window, 0u);
    const QString item = waitForItem();
    ASSERT_FALSE(item.isEmpty()) << "vontal's item never registered";

    // The device connects by itself; the tooltip names it by its own name once it is read.
    ASSERT_TRUE(waitForToolTip(item, [](const QString& tip) {
        return tip.contains(QStringLiteral("1 device connected")) &&
               tip.contains(QStringLiteral("Schreibtisch"));
    })) << toolTip(item).toStdString();
    const auto connectedMenu = menu(item);
    EXPECT_EQ(labels(connectedMenu), (QStringList{"Open vontal", "Schreibtisch", "Quit"}));
    const auto device = std::find_if(connectedMenu.begin(), connectedMenu.end(),
                                     [](const MenuEntry& e) { return e.label == "Schreibtisch"; });
    ASSERT_NE(device, connectedMenu.end());
    EXPECT_FALSE(device->enabled) << "a device entry informs; it does nothing";

    // The device goes out of reach: the tooltip says so and the menu no longer lists it.
    mock_->setReachable(kDeskAddress, false);
    mock_->dropLink(kDeskAddress);
    ASSERT_TRUE(waitForToolTip(item, [](const QString& tip) {
        return tip.contains(QStringLiteral("No device connected")) &&
               !tip.contains(QStringLiteral("Schreibtisch"));
    })) << toolTip(item).toStdString();
    EXPECT_EQ(labels(menu(item)), (QStringList{"Open vontal", "Quit"}));

    // With no window open, activating the item opens one.
    ASSERT_TRUE(closeThroughWindowManager(window));
    ASSERT_TRUE(test::waitUntil([&] { return !windowExists(window); }, 10s));
    const QDBusMessage activated = call(item, QStringLiteral("/StatusNotifierItem"), kItemInterface,
                                        QStringLiteral("Activate"), {0, 0});
    EXPECT_EQ(activated.type(), QDBusMessage::ReplyMessage)
        << activated.errorMessage().toStdString();
    EXPECT_NE(newVontalWindow(window), 0u) << "activating the item opened no window";

    // "Quit" in the menu ends vontal with status 0 and keeps the stored password.
    mock_->setReachable(kDeskAddress, true);
    ASSERT_TRUE(waitForToolTip(
        item, [](const QString& tip) { return tip.contains(QStringLiteral("Schreibtisch")); }));
    ASSERT_TRUE(clickMenuEntry(item, QStringLiteral("Quit")));
    ASSERT_TRUE(vontal_->waitForFinished(20000));
    EXPECT_EQ(vontal_->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vontal_->exitCode(), 0);
    // The link lost earlier went from the device's side; the one up at the end, vontal ended.
    const auto operations = mock_->operations();
    EXPECT_EQ(test::only(operations, "Disconnect", kDeskAddress).size(), 1u);
    EXPECT_EQ(linkOperations(operations, kDeskAddress).back(), "Disconnect");
    EXPECT_EQ(readSettings().value(QString::fromStdString(kDeskIdentifier)).toString(),
              QStringLiteral("sesame"));
}

TEST_F(Tray, APasswordAlertWithNoWindowOpenComesToTheFrontAndTheItemSaysADeviceWaits) {
    const QString item = refusedPasswordWithNoWindowOpen();
    const xcb_window_t alert = waitForWindowTitled(kAlertTitle, 0, 30s);
    ASSERT_NE(alert, 0u) << "no password alert came up";
    // It came to the front by itself: the keys typed now go into its field.
    EXPECT_TRUE(session_->waitForActive([&](xcb_window_t active) { return active == alert; },
                                        testing::deadlineIn(10s)));
    EXPECT_TRUE(waitForToolTip(item, [](const QString& tip) {
        return tip.contains(QStringLiteral("A device is waiting for its password"));
    })) << toolTip(item).toStdString();
    EXPECT_TRUE(vontalRunning());

    ASSERT_TRUE(xdotool({"type", "--delay", "25", "open sesame 42"}));
    ASSERT_TRUE(xdotool({"key", "Return"}));
    ASSERT_TRUE(waitForPaired(kLampAddress));
    EXPECT_TRUE(waitForToolTip(item, [](const QString& tip) {
        return tip.contains(QStringLiteral("Stehlampe")) &&
               !tip.contains(QStringLiteral("waiting"));
    })) << toolTip(item).toStdString();
    EXPECT_EQ(readSettings().value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame 42"));
    // The alert's closing left vontal running with no window at all.
    EXPECT_TRUE(vontalRunning());
    EXPECT_EQ(terminateVontal(), 0);
}

TEST_F(Tray, ATerminationSignalWhileTheAlertIsOpenEndsVontalAndKeepsTheStoredPassword) {
    refusedPasswordWithNoWindowOpen();
    ASSERT_NE(waitForWindowTitled(kAlertTitle, 0, 30s), 0u) << "no password alert came up";
    EXPECT_EQ(terminateVontal(), 0);
    // The open alert counts as cancelled; the password it would have replaced stays.
    EXPECT_EQ(readSettings().value(QString::fromStdString(kLampIdentifier)).toString(),
              QStringLiteral("open sesame"));
    // The one link vontal made, it ended (the cancelled alert may have asked for that already).
    const auto links = linkOperations(mock_->operations(), kLampAddress);
    EXPECT_EQ(std::count(links.begin(), links.end(), "Connect"), 1);
    EXPECT_EQ(links.front(), "Connect");
    EXPECT_EQ(links.back(), "Disconnect");
}

} // namespace
} // namespace vontal::e2e
