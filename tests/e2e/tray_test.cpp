// vontal's tray icon as a StatusNotifierItem host sees it (a stand-in for the desktop's watcher on
// the test desktop's session bus): the tooltip and menu follow the connected devices and a
// password alert that waits; activating the item opens a window; "Quit" ends vontal cleanly. A host
// that starts after vontal, or starts anew, gets the item too. A bluetoothd that keeps coming and
// going moves the item about once a second, and the log by a handful of lines.
// vontal runs in German here (LANGUAGE=de), so the item speaks German.

#include "tests/support/bluez/qt_wait.h"
#include "vontal_desktop.h"

#include <QDBusArgument>
#include <QFile>
#include <algorithm>
#include <initializer_list>

namespace vontal::e2e {
namespace {

using namespace std::chrono_literals;

// The desktop's tray host, which may start after vontal. The desktop has a keyring, as a desktop
// with a panel usually has, so the tooltip holds no line about where passwords are kept.
class TrayHostLater : public VontalDesktop {
protected:
    void startDesktop() override {
        VontalDesktop::startDesktop();
        startKeyring();
    }
    bool keyringHolds(const std::string& identifier, const QByteArray& secret) {
        return test::waitUntil(
            [&] {
                const auto item = keyring_->itemFor(identifier);
                return item && item->secret == secret;
            },
            20s);
    }
    QVariant host(const QString& method, const QVariantList& arguments = {}) {
        return trayHost(method, arguments);
    }
    QString toolTip() { return host(QStringLiteral("ToolTip")).toString(); }
    QStringList menu() { return host(QStringLiteral("MenuEntries")).toStringList(); }
    bool waitForToolTip(const std::function<bool(const QString&)>& matches) {
        return test::waitUntil([&] { return matches(toolTip()); }, 20s);
    }

    bool waitForItem() {
        return test::waitUntil([&] { return !host(QStringLiteral("Item")).toString().isEmpty(); },
                               20s);
    }
};

class Tray : public TrayHostLater {
protected:
    void startDesktop() override {
        TrayHostLater::startDesktop();
        startTrayHost();
    }

    // vontal running with its item registered, and its window closed.
    void startInTheBackground() {
        startVontal();
        const xcb_window_t window = vontalWindow();
        ASSERT_NE(window, 0u);
        ASSERT_TRUE(waitForItem()) << "vontal's item never registered";
        ASSERT_TRUE(closeThroughWindowManager(window));
        ASSERT_TRUE(test::waitUntil([&] { return !windowExists(window); }, 10s));
    }
};

TEST_F(TrayHostLater, TheItemRegistersWithAHostThatStartsAfterVontalAndAgainWhenItRestarts) {
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});
    // As at login: vontal is up, with its device, before the panel.
    startVontal();
    ASSERT_NE(vontalWindow(), 0u);
    ASSERT_TRUE(waitForPaired(kDeskAddress));

    ASSERT_NO_FATAL_FAILURE(startTrayHost());
    ASSERT_TRUE(waitForItem()) << "vontal's item never registered with the late host";
    // The item is vontal's, whole: it names the device and its menu works.
    EXPECT_TRUE(waitForToolTip([](const QString& tip) {
        return tip == QStringLiteral("vontal\n1 Gerät verbunden:\nSchreibtisch");
    })) << toolTip().toStdString();

    // The panel restarts; the new host knows no item until vontal registers again.
    ASSERT_NO_FATAL_FAILURE(stopTrayHost());
    ASSERT_NO_FATAL_FAILURE(startTrayHost());
    ASSERT_TRUE(waitForItem()) << "vontal's item did not register with the restarted host";
    EXPECT_EQ(menu(), (QStringList{"vontal öffnen", "(Schreibtisch)", "Beenden"}));
    ASSERT_TRUE(host(QStringLiteral("Click"), {QStringLiteral("Beenden")}).toBool());
    ASSERT_TRUE(vontal_->waitForFinished(20000));
    EXPECT_EQ(vontal_->exitCode(), 0);
}

TEST_F(Tray, TheItemFollowsTheDevicesOpensAWindowAndQuitsCleanly) {
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});
    startInTheBackground();

    // The device connects by itself; it is listed by its own name once that is read.
    EXPECT_TRUE(waitForToolTip([](const QString& tip) {
        return tip == QStringLiteral("vontal\n1 Gerät verbunden:\nSchreibtisch");
    })) << toolTip().toStdString();
    EXPECT_EQ(menu(), (QStringList{"vontal öffnen", "(Schreibtisch)", "Beenden"}));

    // The device goes out of reach.
    mock_->setReachable(kDeskAddress, false);
    mock_->dropLink(kDeskAddress);
    // Nothing in range: the tooltip says so as the window's status line does.
    EXPECT_TRUE(waitForToolTip([](const QString& tip) {
        return tip == QStringLiteral("vontal\nKein Gerät verbunden\nSuche nach Geräten. Ihr Gerät "
                                     "erscheint hier, sobald es eingeschaltet und in der Nähe "
                                     "dieses Computers ist.");
    })) << toolTip().toStdString();
    EXPECT_EQ(menu(), (QStringList{"vontal öffnen", "Beenden"}));

    host(QStringLiteral("Activate"));
    EXPECT_NE(vontalWindow(), 0u) << "activating the item opened no window";

    // "Quit" ends vontal with status 0: the link up at that moment is dropped, the password kept.
    mock_->setReachable(kDeskAddress, true);
    ASSERT_TRUE(waitForToolTip([](const QString& tip) { return tip.contains("Schreibtisch"); }));
    const std::size_t disconnects = test::only(mock_->operations(), "Disconnect").size();
    ASSERT_TRUE(host(QStringLiteral("Click"), {QStringLiteral("Beenden")}).toBool());
    ASSERT_TRUE(vontal_->waitForFinished(20000));
    EXPECT_EQ(vontal_->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(vontal_->exitCode(), 0);
    EXPECT_EQ(test::only(mock_->operations(), "Disconnect", kDeskAddress).size(), disconnects + 1);
    EXPECT_TRUE(keyringHolds(kDeskIdentifier, "sesame"));
}

TEST_F(Tray, APasswordAlertWithNoWindowOpenComesToTheFrontAndTheItemSaysADeviceWaits) {
    // A stored password the device refuses; the radio comes on once vontal's window is closed.
    mock_->addVontalDevice(kLampAddress, "Lamp", "open sesame 42", "Stehlampe");
    writeSettings({{QString::fromStdString(kLampIdentifier), QStringLiteral("open sesame")}});
    mock_->setPowered(false);
    startInTheBackground();
    mock_->setPowered(true);

    const xcb_window_t alert = waitForWindowTitled(kAlertTitle, 0, 30s);
    ASSERT_NE(alert, 0u) << "no password alert came up";
    // It came to the front by itself: keys typed now go into its field.
    EXPECT_TRUE(session_->waitForActive([&](xcb_window_t active) { return active == alert; },
                                        testing::deadlineIn(10s)));
    EXPECT_TRUE(waitForToolTip([](const QString& tip) {
        return tip.endsWith(QStringLiteral("\nEin Gerät wartet auf sein Passwort"));
    })) << toolTip().toStdString();

    ASSERT_TRUE(xdotool({"type", "--delay", "25", "open sesame 42"}));
    ASSERT_TRUE(xdotool({"key", "Return"}));
    ASSERT_TRUE(waitForPaired(kLampAddress));
    EXPECT_TRUE(waitForToolTip([](const QString& tip) {
        return tip == QStringLiteral("vontal\n1 Gerät verbunden:\nStehlampe");
    })) << toolTip().toStdString();
    EXPECT_TRUE(keyringHolds(kLampIdentifier, "open sesame 42"));
    // The alert was the last window to close; vontal runs on.
    EXPECT_TRUE(vontalRunning());
}

// A dbusmenu label as a host shows it: "_" marks the next character as the shortcut, "__" is one
// underscore.
QString dbusmenuShows(const QString& label) {
    QString shown;
    for (qsizetype at = 0; at < label.size(); ++at) {
        if (label[at] == QLatin1Char('_') && at + 1 < label.size())
            ++at;
        shown += label[at];
    }
    return shown;
}

TEST_F(Tray, DeviceNamesReachTheHostAsEscapedTextOneBoundedLineEach) {
    // Markup naming an image that is there, a forged line, a right-to-left override, shortcut
    // marks; and a name of four kilobytes.
    const QString image = QString::fromStdString((root_ / "red.png").string());
    // One red pixel.
    static const char kRedPixel[] =
        "\x89\x50\x4e\x47\x0d\x0a\x1a\x0a\x00\x00\x00\x0d\x49\x48\x44\x52\x00\x00\x00\x01\x00\x00"
        "\x00\x01\x08\x02\x00\x00\x00\x90\x77\x53\xde\x00\x00\x00\x0c\x49\x44\x41\x54\x78\x9c\x63"
        "\xf8\xcf\xc0\x00\x00\x03\x01\x01\x00\xc9\xfe\x92\xef\x00\x00\x00\x00\x49\x45\x4e\x44\xae"
        "\x42\x60\x82";
    QFile red(image);
    ASSERT_TRUE(red.open(QIODevice::WriteOnly));
    ASSERT_EQ(red.write(kRedPixel, sizeof kRedPixel - 1), qint64(sizeof kRedPixel - 1));
    red.close();
    const QByteArray hostile = "<i>Ital</i> a_b & c\nPasswort akzeptiert \xe2\x80\xaetxt";
    const QByteArray huge = "<img src=\"" + image.toUtf8() + "\">" + QByteArray(4096, 'W');
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", hostile);
    mock_->addVontalDevice(kLampAddress, "Lamp", "lamp", huge);
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")},
                   {QString::fromStdString(kLampIdentifier), QStringLiteral("lamp")}});
    startInTheBackground();
    ASSERT_TRUE(waitForToolTip([](const QString& tip) {
        return tip.contains(QStringLiteral("2 Geräte verbunden:"));
    })) << toolTip().toStdString();

    // What the window shows of each name.
    const QString desk =
        QString::fromUtf8("<i>Ital</i> a_b & c\u240APasswort akzeptiert \uFFFDtxt");
    const QString lamp = QString::fromUtf8(huge).left(63) + QChar(0x2026);
    const QString tip = toolTip();
    EXPECT_LT(tip.size(), 2000);
    // Escaped for the host, which reads markup; nothing steers the direction.
    EXPECT_FALSE(tip.contains(QLatin1Char('<'))) << tip.toStdString();
    EXPECT_FALSE(tip.contains(QChar(0x202E)));
    QStringList lines = tip.split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 4) << tip.toStdString();
    EXPECT_EQ(lines.mid(0, 2), (QStringList{"vontal", "2 Geräte verbunden:"}));
    QStringList names = lines.mid(2);
    names.sort();
    QStringList escaped{desk.toHtmlEscaped(), lamp.toHtmlEscaped()};
    escaped.sort();
    EXPECT_EQ(names, escaped);

    // The menu names them as they are, shortcut marks and all.
    const QStringList entries = menu();
    ASSERT_EQ(entries.size(), 4) << entries.join(QLatin1Char('|')).toStdString();
    QStringList shown{dbusmenuShows(entries[1]), dbusmenuShows(entries[2])};
    shown.sort();
    QStringList expected{"(" + desk + ")", "(" + lamp + ")"};
    expected.sort();
    EXPECT_EQ(shown, expected) << entries.join(QLatin1Char('|')).toStdString();

    // No more of the lamp's name than an attribute value holds is kept or logged.
    const QString kept = QString::fromUtf8(huge.left(512));
    ASSERT_TRUE(test::waitUntil(
        [&] {
            return readSettings()
                       .value(QStringLiteral("vontal.deviceNames"))
                       .toObject()
                       .value(QString::fromStdString(kLampIdentifier))
                       .toString() == kept;
        },
        10s))
        << "the lamp's name was not saved cut to 512 bytes";
    EXPECT_TRUE(waitForVontalLine("Custom device name from peripheral: " + kept.toStdString()));
    for (const std::string& line : vontalLines())
        EXPECT_LE(QString::fromStdString(line).size(), 1000) << line.substr(0, 120);
}

bool startsWithAny(const std::string& line, std::initializer_list<const char*> prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](const char* prefix) { return line.rfind(prefix, 0) == 0; });
}

TEST_F(Tray, ABluetoothdThatKeepsComingAndGoingGivesAFewLinesACalmItemAndTheDeviceBack) {
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    writeSettings({{QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame")}});
    startInTheBackground();
    const auto connected = [](const QString& tip) {
        return tip == QStringLiteral("vontal\n1 Gerät verbunden:\nSchreibtisch");
    };
    ASSERT_TRUE(waitForToolTip(connected)) << toolTip().toStdString();
    const auto toolTipChanges = [&] {
        return qdbus_cast<QList<double>>(host(QStringLiteral("ToolTipChanges")));
    };
    const auto changesBefore = toolTipChanges().size();
    const std::size_t linesBefore = vontalLines().size();

    // bluetoothd dies and is started again, ten times a second for four seconds.
    mock_->clearOperations();
    mock_->churn(100ms, 40);
    ASSERT_TRUE(test::waitUntil([&] { return !mock_->churning(); }, 20s));

    // Once it stays, the device is unlocked again and the item says so.
    EXPECT_TRUE(waitForRecord([&](const std::vector<test::MockOperation>& operations) {
        return !test::only(operations, "StartNotify", kDeskAddress, kDataUuid).empty();
    })) << "the device was not unlocked again after the churn";
    EXPECT_TRUE(waitForToolTip(connected)) << toolTip().toStdString();

    // The log tells of the churn in a handful of lines, the count among them once it settled.
    const auto churnLines = [&] {
        std::vector<std::string> lines;
        const std::vector<std::string> all = vontalLines();
        for (std::size_t i = linesBefore; i < all.size(); ++i)
            if (startsWithAny(all[i], {"Central state: ", "Bluetooth ", "bluetoothd "}))
                lines.push_back(all[i]);
        return lines;
    };
    const auto counted = [&] {
        const auto lines = churnLines();
        return std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
            return line.rfind("Bluetooth state changed ", 0) == 0;
        });
    };
    EXPECT_TRUE(test::waitUntil(counted, 20s));
    const std::vector<std::string> lines = churnLines();
    std::string shown;
    for (const std::string& line : lines)
        shown += line + "\n";
    EXPECT_TRUE(std::find(lines.begin(), lines.end(), "Central state: 2") != lines.end())
        << "vontal never saw bluetoothd go:\n"
        << shown;
    EXPECT_LE(lines.size(), 7u) << shown;

    // The item changed its tooltip about once a second at most, and shows the settled state.
    const QList<double> changes = toolTipChanges();
    ASSERT_GE(changes.size(), changesBefore);
    double shortestGap = 60;
    for (auto i = std::max<qsizetype>(changesBefore, 1); i < changes.size(); ++i)
        shortestGap = std::min(shortestGap, changes[i] - changes[i - 1]);
    EXPECT_GE(shortestGap, 0.8) << changes.size() - changesBefore << " tooltip changes";
    EXPECT_TRUE(connected(toolTip())) << toolTip().toStdString();
    EXPECT_TRUE(vontalRunning());
}

} // namespace
} // namespace vontal::e2e
