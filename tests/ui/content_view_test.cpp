// The device lists: what each row shows, what its button calls, and when the view rebuilds.

#include "platform/gnome/shell_extension.h"
#include "platform/vault_backed_defaults.h"
#include "tests/support/sim/memory_password_vault.h"
#include "ui/content_view.h"
#include "ui/device_list_view.h"
#include "ui/password_storage_line.h"
#include "ui/status_line.h"
#include "ui/status_report.h"
#include "ui_fixture.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTranslator>

namespace vontal {
namespace {

using Kind = SimRequest::Kind;

const QString kLinkUp = QString::fromUtf8("\U0001F7E2");
const QString kLinkDown = QString::fromUtf8("\u26AA\uFE0F");

class ContentViewTest : public UiFixture {
protected:
    ContentViewTest() : view(*manager, loginItems, uiDiagnostics) {
        view.show();
        settle();
    }

    const DeviceListView& connected() const { return *view.connectedList(); }
    const DeviceListView& discovered() const { return *view.discoveredList(); }

    // A discovered device the user connected; its link is not up yet.
    BluetoothUuid connecting(std::uint64_t address, const std::string& name) {
        const BluetoothUuid id = addDevice(address, name);
        settle();
        clickRowButton(discovered(), discovered().rowCount() - 1);
        turnQtLoop();
        return id;
    }

    ContentView view;
};

TEST_F(ContentViewTest, EmptyListsKeepTheirHeadersAndShowNoPlaceholder) {
    EXPECT_EQ(connected().rowCount(), 0);
    EXPECT_EQ(discovered().rowCount(), 0);
    EXPECT_TRUE(view.connectedHeader()->isVisible());
    EXPECT_TRUE(view.discoveredHeader()->isVisible());
    EXPECT_EQ(view.connectedHeader()->text(), "Connected");
    EXPECT_EQ(view.discoveredHeader()->text(), "Discovered");
    // No label in the lists saying they are empty, nothing being sent: only the status line,
    // above them, hints.
    EXPECT_FALSE(view.nowSending()->isVisible());
    for (const QLabel* label : view.findChildren<QLabel*>())
        EXPECT_TRUE(label == view.connectedHeader() || label == view.discoveredHeader() ||
                    label == view.nowSending() || view.statusLine()->isAncestorOf(label))
            << label->text().toStdString();
    EXPECT_EQ(view.statusLine()->shownTexts(),
              QStringList{"Looking for devices. Yours shows up here when it is switched on and "
                          "near this computer."});
}

TEST_F(ContentViewTest, HeadersUseTheHeadlineFontAndTheirFixedHeights) {
    EXPECT_TRUE(view.connectedHeader()->font().bold());
    EXPECT_TRUE(view.discoveredHeader()->font().bold());
    EXPECT_EQ(view.connectedHeader()->height(), 24);
    EXPECT_EQ(view.discoveredHeader()->height(), 20);
    EXPECT_EQ(view.connectedHeader()->contentsMargins(), QMargins(6, 6, 6, 0));
    EXPECT_EQ(view.discoveredHeader()->contentsMargins(), QMargins(6, 0, 6, 0));
    // Leading-aligned, as wide as their text.
    EXPECT_EQ(view.connectedHeader()->x(), 0);
    EXPECT_LT(view.connectedHeader()->width(), view.width() / 2);
}

TEST_F(ContentViewTest, DiscoveredRowConnectsAndMovesToConnectedOnTheNextAnnouncedChange) {
    const BluetoothUuid id = addDevice(0xA1, "Desk");
    settle();
    ASSERT_EQ(discovered().rowCount(), 1);
    EXPECT_EQ(rowName(discovered(), 0), QString::fromUtf8("Desk \u00B7 00A1"));
    EXPECT_EQ(rowButton(discovered(), 0), "Connect");
    EXPECT_EQ(discovered().row(0)->statusLabel(), nullptr);

    clickRowButton(discovered(), 0);
    EXPECT_EQ(requestsOf(Kind::Connect, id).size(), 1u);
    // The change was announced, but the view rebuilds only when the loop turns.
    EXPECT_EQ(discovered().rowCount(), 1);
    EXPECT_EQ(connected().rowCount(), 0);

    turnQtLoop();
    EXPECT_EQ(discovered().rowCount(), 0);
    ASSERT_EQ(connected().rowCount(), 1);
    EXPECT_EQ(rowName(connected(), 0), QString::fromUtf8("Desk \u00B7 00A1"));
}

TEST_F(ContentViewTest, ConnectedRowWhoseLinkIsNotUpShowsTheWhiteDotAndConnectsAgain) {
    const BluetoothUuid id = connecting(0xB2, "Keys");
    ASSERT_EQ(connected().rowCount(), 1);
    ASSERT_EQ(manager->connectedPeripherals().front()->state(), PeripheralState::Connecting);
    EXPECT_EQ(rowStatus(connected(), 0), kLinkDown);
    EXPECT_EQ(connected().row(0)->stateLabel()->text(), QString::fromUtf8("Connecting\u2026"));
    EXPECT_EQ(rowButton(connected(), 0), "Connect");

    clickRowButton(connected(), 0);
    EXPECT_EQ(requestsOf(Kind::Connect, id).size(), 2u);
    EXPECT_TRUE(requestsOf(Kind::CancelConnection, id).empty());

    // The manager lists the peripheral twice now; so does the view.
    turnQtLoop();
    ASSERT_EQ(connected().rowCount(), 2);
    EXPECT_EQ(rowName(connected(), 1), rowName(connected(), 0));
    EXPECT_NE(connected().row(0), connected().row(1));
}

TEST_F(ContentViewTest, ConnectedRowWithItsLinkUpShowsTheGreenDotAndDisconnects) {
    sim.alerts.accept("secret");
    const BluetoothUuid id = connecting(0xC3, "Pad");
    settle();
    ASSERT_EQ(connected().rowCount(), 1);
    ASSERT_EQ(sim.bluetooth.linkState(id), PeripheralState::Connected);
    EXPECT_EQ(rowStatus(connected(), 0), kLinkUp);
    EXPECT_EQ(rowButton(connected(), 0), "Disconnect");

    clickRowButton(connected(), 0);
    EXPECT_EQ(requestsOf(Kind::CancelConnection, id).size(), 1u);
    EXPECT_EQ(requestsOf(Kind::Connect, id).size(), 1u);
    settle();
    EXPECT_EQ(connected().rowCount(), 0);
}

TEST_F(ContentViewTest, TheStateAtTapTimeDecidesNotTheLabel) {
    sim.alerts.accept("secret");
    const BluetoothUuid up = connecting(0xD4, "Up");
    // The link comes up, but the Qt loop has not turned: the row still says "Connect".
    sim.clock.runUntilIdle();
    ASSERT_EQ(connected().row(0)->peripheral()->state(), PeripheralState::Connected);
    ASSERT_EQ(rowButton(connected(), 0), "Connect");
    clickRowButton(connected(), 0);
    EXPECT_EQ(requestsOf(Kind::CancelConnection, up).size(), 1u);
    EXPECT_EQ(requestsOf(Kind::Connect, up).size(), 1u);
    settle();

    sim.alerts.accept("secret");
    const BluetoothUuid gone = connecting(0xE5, "Gone");
    settle();
    ASSERT_EQ(rowButton(connected(), 0), "Disconnect");
    // The device leaves range and the link drops; the row stays as it was drawn.
    sim.bluetooth.setInRange(gone, false);
    sim.clock.runUntilIdle();
    ASSERT_EQ(rowButton(connected(), 0), "Disconnect");
    ASSERT_NE(connected().row(0)->peripheral()->state(), PeripheralState::Connected);
    clickRowButton(connected(), 0);
    EXPECT_EQ(requestsOf(Kind::Connect, gone).size(), 2u);
    EXPECT_TRUE(requestsOf(Kind::CancelConnection, gone).empty());
}

TEST_F(ContentViewTest, DiscoveredConnectCallsConnectWhateverThePeripheralState) {
    const BluetoothUuid id = addDevice(0xF6, "Twice");
    settle();
    // Connect the very handle shown in the discovered list behind the view's back: the row
    // keeps showing until the next rebuild, and its button still calls connect.
    const PeripheralRef shown = discovered().row(0)->peripheral();
    sim.alerts.accept("secret");
    manager->central()->connect(shown);
    sim.clock.runUntilIdle();
    ASSERT_EQ(shown->state(), PeripheralState::Connected);
    clickRowButton(discovered(), 0);
    EXPECT_EQ(requestsOf(Kind::Connect, id).size(), 2u);
    EXPECT_TRUE(requestsOf(Kind::CancelConnection, id).empty());
}

TEST_F(ContentViewTest, RowsFollowTheManagersOrderAndKeepTheirWidgets) {
    addDevice(0x01, "One");
    addDevice(0x02, "Two");
    addDevice(0x03, "Three");
    settle();
    ASSERT_EQ(discovered().rowCount(), 3);
    DeviceRow* three = discovered().row(2);
    const QRect before = three->geometry();

    clickRowButton(discovered(), 1);
    turnQtLoop();
    ASSERT_EQ(discovered().rowCount(), 2);
    EXPECT_EQ(rowName(discovered(), 0), QString::fromUtf8("One \u00B7 0001"));
    EXPECT_EQ(rowName(discovered(), 1), QString::fromUtf8("Three \u00B7 0003"));
    // The same widget, moved up into the freed place.
    EXPECT_EQ(discovered().row(1), three);
    EXPECT_EQ(three->geometry().top(), discovered().row(0)->geometry().bottom() + 1);
    EXPECT_LT(three->geometry().top(), before.top());
    ASSERT_EQ(connected().rowCount(), 1);
    EXPECT_EQ(rowName(connected(), 0), QString::fromUtf8("Two \u00B7 0002"));
}

TEST_F(ContentViewTest, DeviceNamesAreShownVerbatimNeverAsMarkupOrFormat) {
    const std::vector<std::string> names{"<b>x</b>", "<img src=\"/nonexistent.png\">",
                                         "%1 &amp; %n", "Connect"};
    std::uint64_t address = 0x10;
    for (const std::string& name : names)
        addDevice(address++, name);
    settle();
    ASSERT_EQ(discovered().rowCount(), 4);
    for (int index = 0; index < 4; ++index) {
        const QLabel* label = discovered().row(index)->nameLabel();
        const QString expected = QString::fromStdString(names[static_cast<std::size_t>(index)]) +
                                 QString::fromUtf8(" \u00B7 00") +
                                 QString::number(0x10 + index, 16).toUpper();
        EXPECT_EQ(label->text(), expected);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        // Laid out as the characters themselves: rich text would take the tags away.
        EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(expected));
    }
}

TEST_F(ContentViewTest, HostileAndLongNamesStayOnOneLineWithinTheRow) {
    const int widthBefore = view.width();
    addDevice(0x21, "\x1b]0;pwned\x07Pad\r\nPassword accepted");
    addDevice(0x22, std::string(248, 'W'));
    settle();
    ASSERT_EQ(discovered().rowCount(), 2);

    const ElidedLabel* hostile = discovered().row(0)->nameLabel();
    EXPECT_EQ(
        hostile->text(),
        QString::fromUtf8("\u241b]0;pwned\u2407Pad\u240d\u240aPassword accepted \u00B7 0021"));

    // The long name is painted cut short with an ellipsis inside its label, the window keeps
    // its width, and the whole name is still there to read in the tooltip.
    const ElidedLabel* longName = discovered().row(1)->nameLabel();
    const QString shown = longName->displayedText();
    EXPECT_TRUE(shown.endsWith(QChar(0x2026))) << shown.toStdString();
    EXPECT_LE(longName->fontMetrics().horizontalAdvance(shown), longName->contentsRect().width());
    EXPECT_LE(longName->geometry().right(), discovered().row(1)->button()->geometry().left());
    EXPECT_EQ(view.width(), widthBefore);
    // So is the tooltip, no longer than a name is shown anywhere.
    EXPECT_EQ(longName->text(), QString(63, u'W') + QChar(0x2026));
    EXPECT_EQ(longName->toolTip(), longName->text());
}

// Marks every text it translates, so the test sees which texts were looked up.
class MarkingTranslator final : public QTranslator {
public:
    QString translate(const char* context, const char* source, const char*, int) const override {
        if (QByteArray(context) != "ContentView")
            return {};
        return QStringLiteral("[") + QString::fromUtf8(source) + QStringLiteral("]");
    }
    bool isEmpty() const override { return false; }
};

TEST_F(ContentViewTest, LabelsAreLookedUpInTheTranslationButDeviceNamesAreNot) {
    MarkingTranslator translator;
    QCoreApplication::installTranslator(&translator);
    addDevice(0x21, "Connected");
    sim.alerts.accept("secret");
    connecting(0x22, "Discovered");
    settle();
    ContentView translated(*manager, loginItems, uiDiagnostics);
    QCoreApplication::removeTranslator(&translator);

    EXPECT_EQ(translated.connectedHeader()->text(), "[Connected]");
    EXPECT_EQ(translated.discoveredHeader()->text(), "[Discovered]");
    ASSERT_EQ(translated.discoveredList()->rowCount(), 1);
    EXPECT_EQ(rowName(*translated.discoveredList(), 0), QString::fromUtf8("Connected \u00B7 0021"));
    EXPECT_EQ(rowButton(*translated.discoveredList(), 0), "[Connect]");
    ASSERT_EQ(translated.connectedList()->rowCount(), 1);
    // Its device-name characteristic holds its name, which is now its whole label.
    EXPECT_EQ(rowName(*translated.connectedList(), 0), "Discovered");
    EXPECT_EQ(rowStatus(*translated.connectedList(), 0), "[" + kLinkUp + "]");
    EXPECT_EQ(rowButton(*translated.connectedList(), 0), "[Disconnect]");
}

TEST_F(ContentViewTest, ManyAnnouncementsInOneTurnGiveOneRebuild) {
    const int before = view.buildCount();
    for (int i = 0; i < 50; ++i)
        manager->objectWillChange().fire();
    EXPECT_EQ(view.buildCount(), before);
    turnQtLoop();
    EXPECT_EQ(view.buildCount(), before + 1);
    turnQtLoop();
    EXPECT_EQ(view.buildCount(), before + 1);

    // Announcements that come with real changes, all in one turn of the device link.
    for (std::uint64_t address = 0x30; address < 0x40; ++address)
        addDevice(address, "Batch");
    sim.clock.runUntilIdle();
    turnQtLoop();
    EXPECT_EQ(view.buildCount(), before + 2);
    EXPECT_EQ(discovered().rowCount(), 16);
}

TEST_F(ContentViewTest, ACustomNameReplacesTheLabelOnTheNextRebuild) {
    const BluetoothUuid id = identifierForAddress(0x44);
    sim.bluetooth.addDevice(vontalDevice(id, "VNT-1", std::nullopt, "Kitchen"));
    settle();
    clickRowButton(discovered(), 0);
    sim.alerts.accept("pw");
    settle();
    ASSERT_EQ(connected().rowCount(), 1);
    EXPECT_EQ(rowName(connected(), 0), "Kitchen");
    EXPECT_EQ(rowStatus(connected(), 0), kLinkUp);
}

// The status line over a session's worth of trouble: Bluetooth from the simulated stack, an
// unobservable desktop, and vontal's GNOME extension as the Shell reports it.
TEST_F(UiFixture, TheStatusLineSaysWhatKeepsVontalFromWorkingAndWhatToDo) {
    // A Shell that is never reached: its reports are handed in as the bus would.
    auto extension = std::make_shared<ShellExtension>(QDBusConnection(QString()), uiDiagnostics);
    const auto shellReports = [&](QVariantMap info) {
        QMetaObject::invokeMethod(extension.get(), "stateChanged", Q_ARG(QString, QString()),
                                  Q_ARG(QVariantMap, info));
        settle();
    };
    StatusReport status(*manager, {&sim.bluetooth, {nullptr, nullptr, "weston"}}, uiDiagnostics);
    ContentView view(*manager, loginItems, uiDiagnostics, &status);
    view.show();
    settle();
    StatusLine& line = *view.statusLine();
    using Topic = StatusReport::Topic;
    const auto switchBluetoothOn = [&] {
        return line.button(Topic::Bluetooth);
    };
    const QString unobserved =
        "Application names are not sent: vontal cannot see which application is in front on "
        "weston. They are sent on X11 sessions, KDE Plasma, GNOME and wlroots compositors such "
        "as sway.";
    const auto shows = [&](const QString& bluetooth) {
        EXPECT_FALSE(line.isHidden());
        return line.shownTexts() == QStringList({bluetooth, unobserved});
    };

    EXPECT_TRUE(shows("Looking for devices. Yours shows up here when it is switched on and near "
                      "this computer."))
        << line.shownTexts().join('|').toStdString();
    EXPECT_EQ(switchBluetoothOn(), nullptr);

    sim.bluetooth.setRadioState(CentralState::Unsupported, BluetoothProblem::NoSystemBus);
    settle();
    EXPECT_TRUE(shows("Bluetooth cannot be used: the D-Bus system bus is not running. Start it, "
                      "then start vontal again."));
    sim.bluetooth.setRadioState(CentralState::Unsupported, BluetoothProblem::BluezMissing);
    settle();
    EXPECT_TRUE(shows("Bluetooth cannot be used: the Bluetooth service (bluetoothd) is not "
                      "running. Start it, and vontal carries on by itself."));
    // While bluetoothd has not answered yet nothing is known, so nothing is said about it.
    sim.bluetooth.setRadioState(CentralState::Unknown, BluetoothProblem::BluezNotAnsweredYet);
    settle();
    EXPECT_EQ(line.shownTexts(), QStringList({unobserved}));
    sim.bluetooth.setRadioState(CentralState::Unsupported, BluetoothProblem::BluezNotAnswering);
    settle();
    EXPECT_TRUE(shows("Bluetooth cannot be used: the Bluetooth service (bluetoothd) does not "
                      "answer. vontal carries on by itself once it does; restarting bluetoothd "
                      "may help."));
    EXPECT_EQ(switchBluetoothOn(), nullptr);
    sim.bluetooth.setRadioState(CentralState::Unsupported);
    settle();
    EXPECT_TRUE(shows("No Bluetooth adapter was found. Plug one in, or unblock it in your "
                      "system's settings."));
    EXPECT_EQ(switchBluetoothOn(), nullptr);

    // Off: the button asks BlueZ; a refusal is said, and the button stays for another try.
    sim.bluetooth.setRadioState(CentralState::PoweredOff);
    sim.bluetooth.refuseSwitchingOn("org.bluez.Error.Blocked");
    settle();
    EXPECT_TRUE(shows("Bluetooth is switched off. Switch it on to find devices."));
    ASSERT_NE(switchBluetoothOn(), nullptr);
    click(switchBluetoothOn());
    EXPECT_TRUE(status.switchingAdapterOn());
    turnQtLoop();
    EXPECT_FALSE(switchBluetoothOn()->isEnabled());
    settle();
    EXPECT_TRUE(shows("Bluetooth is switched off, and BlueZ did not switch it on "
                      "(org.bluez.Error.Blocked). Switch it on in your system's settings."));
    EXPECT_EQ(uiDiagnostics.lines().back(),
              "BlueZ did not switch the Bluetooth adapter on (org.bluez.Error.Blocked)");
    sim.bluetooth.refuseSwitchingOn(std::nullopt);
    click(switchBluetoothOn());
    settle();
    EXPECT_EQ(sim.bluetooth.switchOnRequests(), 2);
    EXPECT_EQ(sim.bluetooth.radioState(), CentralState::PoweredOn);
    EXPECT_TRUE(shows("Looking for devices. Yours shows up here when it is switched on and near "
                      "this computer."));

    // A device found: Bluetooth needs nothing more.
    addDevice(0xB1, "Desk");
    settle();
    EXPECT_EQ(line.shownTexts(), QStringList{unobserved});

    // On GNOME its extension speaks for the desktop, in every state but on.
    StatusReport gnome(*manager, {&sim.bluetooth, {nullptr, extension, std::nullopt}},
                       uiDiagnostics);
    ContentView gnomeView(*manager, loginItems, uiDiagnostics, &gnome);
    gnomeView.show();
    StatusLine& gnomeLine = *gnomeView.statusLine();
    shellReports({{"state", 2}});
    EXPECT_EQ(
        gnomeLine.shownTexts(),
        QStringList{"Application names are not sent until the GNOME extension is switched on."});
    ASSERT_NE(gnomeLine.button(Topic::Extension), nullptr);
    EXPECT_FALSE(gnomeLine.button(Topic::Extension)->isHidden());
    EXPECT_EQ(gnomeLine.button(Topic::Extension)->text(), "Switch On");
    // Held from the click while the Shell has not answered; the state it reports next is the
    // answer.
    click(gnomeLine.button(Topic::Extension));
    EXPECT_FALSE(gnomeLine.button(Topic::Extension)->isEnabled());
    settle();
    EXPECT_FALSE(gnomeLine.button(Topic::Extension)->isEnabled());
    shellReports({{"state", 3}, {"error", "SyntaxError"}});
    EXPECT_EQ(gnomeLine.shownTexts(),
              QStringList{"Application names are not sent: GNOME could not run vontal's "
                          "extension."});
    EXPECT_EQ(gnomeLine.button(Topic::Extension), nullptr);
    shellReports({{"state", 2}});
    ASSERT_NE(gnomeLine.button(Topic::Extension), nullptr);
    EXPECT_TRUE(gnomeLine.button(Topic::Extension)->isEnabled());
    shellReports({{"state", 4}});
    EXPECT_TRUE(gnomeLine.shownTexts().join("").contains("does not support GNOME Shell"));
    shellReports({});
    EXPECT_EQ(gnomeLine.shownTexts(),
              QStringList{"Application names are not sent: vontal's GNOME extension is not "
                          "installed. Installing vontal's package installs it."});
    // The tray says the same as the window.
    EXPECT_EQ(gnome.texts(), gnomeLine.shownTexts());
    shellReports({{"state", 1}});
    EXPECT_TRUE(gnomeLine.isHidden());
    EXPECT_TRUE(gnome.texts().isEmpty());
    EXPECT_EQ(extensionStatusText(ShellExtension::State::NextLogin, "48.1"),
              "Application names are sent after your next login, when GNOME loads the extension.");
    EXPECT_EQ(extensionStatusText(ShellExtension::State::OutOfDate, "52.1"),
              "Application names are not sent: vontal's GNOME extension does not support GNOME "
              "Shell 52 yet.");
}

TEST_F(UiFixture, TheStatusLineSaysWhyPasswordsAreKeptInTheSettingsFileUntilAKeyringTakesThem) {
    MemoryPasswordVault vault(sim.clock);
    vault.setPresent(false);
    VaultBackedDefaults passwords(sim.defaults, vault, sim.clock, uiDiagnostics);
    StatusSources sources{&sim.bluetooth, {}, &passwords};
    StatusReport status(*manager, sources, uiDiagnostics);
    ContentView view(*manager, loginItems, uiDiagnostics, &status);
    view.show();
    addDevice(0xB1, "Desk"); // nothing else to say
    settle();
    StatusLine& line = *view.statusLine();
    EXPECT_EQ(line.shownTexts(),
              QStringList{"Passwords are kept in the settings file: no keyring (Secret Service) "
                          "runs in this session. vontal moves them into one as soon as it "
                          "starts."});
    EXPECT_EQ(status.texts(), line.shownTexts()) << "the tray says the same";

    vault.setPresent(true);
    settle();
    EXPECT_TRUE(line.isHidden());
    EXPECT_TRUE(status.texts().isEmpty());

    vault.failure = VaultProblem{VaultProblem::Kind::Refused, "No space left on device"};
    passwords.setObject("typed", "00000000-0000-0000-0000-0000000000B1");
    settle();
    EXPECT_EQ(line.shownTexts(),
              QStringList{"Passwords are kept in the settings file: the keyring refused them (No "
                          "space left on device)."});
    EXPECT_EQ(passwordStorageLine({VaultProblem::Kind::Locked, {}}),
              "Passwords are kept in the settings file: the keyring is locked. Unlock it, then "
              "start vontal again to move them there.");
    EXPECT_EQ(passwordStorageLine({VaultProblem::Kind::Unanswered, {}}),
              "Passwords are kept in the settings file: the keyring does not answer. vontal moves "
              "them there once it does.");
}

TEST_F(ContentViewTest, RowsSayWhereTheirDeviceStandsAndNowSendingShowsTheNameAsPlainText) {
    sim.workspace.setFrontmost("<b>Edi\nt</b>");
    // The words shown and the words a screen reader says, at each step, and the dot beside them.
    QStringList dots;
    const auto state = [&] {
        turnQtLoop();
        const DeviceRow* row = connected().row(0);
        dots << row->statusLabel()->text();
        EXPECT_EQ(row->accessibleDescription(), row->stateLabel()->text());
        EXPECT_EQ(row->statusLabel()->accessibleDescription(), row->stateLabel()->text());
        EXPECT_TRUE(row->stateLabel()->isVisible());
        EXPECT_FALSE(view.nowSending()->isVisible());
        return row->stateLabel()->text();
    };
    QStringList seen;
    sim.alerts.accept("wrong", [&] { seen << state(); });
    sim.alerts.accept("1234", [&] { seen << state(); });
    const BluetoothUuid id = addDevice(0xD4, "Pad", "1234");
    settle();
    clickRowButton(discovered(), 0);
    seen << state();
    settle();
    ASSERT_EQ(connected().rowCount(), 1);
    ASSERT_TRUE(manager->isUnlocked(id));
    seen << connected().row(0)->stateLabel()->text();
    dots << connected().row(0)->statusLabel()->text();
    EXPECT_EQ(seen, QStringList({QString::fromUtf8("Connecting\u2026"), "Waiting for password",
                                 "Password refused", "Unlocked"}));
    // Neutral, amber, red, green: the link is up in the last three, but only the last device
    // hears names.
    EXPECT_EQ(dots, QStringList({kLinkDown, QString::fromUtf8("\U0001F7E0"),
                                 QString::fromUtf8("\U0001F534"), kLinkUp}));

    ASSERT_TRUE(view.nowSending()->isVisible());
    EXPECT_EQ(view.nowSending()->textFormat(), Qt::PlainText);
    EXPECT_EQ(view.nowSending()->text(), QString::fromUtf8("Now sending: <b>Edi\u240At</b>"));
    sim.workspace.activate("Mail");
    settle();
    EXPECT_EQ(view.nowSending()->text(), "Now sending: Mail");

    // No device hears names any more: the line goes.
    clickRowButton(connected(), 0);
    settle();
    EXPECT_FALSE(view.nowSending()->isVisible());
}

// What QToolTip shows of a tooltip: it renders whatever might be rich text as rich text, images
// from local files included.
struct ToolTipView {
    QString text;
    bool image = false;
};

ToolTipView asQToolTipShows(const QString& tip) {
    if (!Qt::mightBeRichText(tip))
        return {tip, false};
    QTextDocument document;
    document.setHtml(tip);
    ToolTipView view{document.toPlainText(), false};
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            view.image = view.image || fragment.fragment().charFormat().isImageFormat();
    return view;
}

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(widget);
    return interface ? interface->text(QAccessible::Name) : QString();
}

TEST_F(ContentViewTest, OutsideTextsArePlainBoundedAndInTheirOwnDirectionInRowsTooltipsAndNames) {
    // Markup naming an image that is there to be loaded (in a short folder, so the whole name
    // fits a row).
    QTemporaryDir folder(QStringLiteral("/tmp/vXXXXXX"));
    ASSERT_TRUE(folder.isValid());
    const QString image = folder.filePath(QStringLiteral("red.png"));
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(image));
    const std::string markup = "<i>Ital</i><img src=\"" + image.toStdString() + "\">";
    addDevice(0x31, markup);
    addDevice(0x32, "Desk\nPassword accepted \u202Etxt.exe\u200F");
    addDevice(0x33, std::string(60 * 1024, 'W'));
    // A custom name, read from the device, and an application name, each hostile.
    sim.workspace.setFrontmost("<b>Edit</b>\u2066\n" + std::string(300, 'E'));
    const BluetoothUuid custom = identifierForAddress(0x34);
    sim.bluetooth.addDevice(vontalDevice(custom, "VNT", std::nullopt, "\u202E" + markup));
    sim.alerts.accept("pw");
    settle();
    ASSERT_EQ(discovered().rowCount(), 4);
    clickRowButton(discovered(), 3);
    settle();
    ASSERT_EQ(connected().rowCount(), 1);
    ASSERT_TRUE(manager->isUnlocked(custom));

    const QString ellipsis(QChar(0x2026));
    const QString shownMarkup = QString::fromStdString(markup);
    ASSERT_LE(shownMarkup.size() + 7, 64);
    const std::vector<std::pair<const DeviceRow*, QString>> rows{
        {discovered().row(0), shownMarkup + QString::fromUtf8(" \u00B7 0031")},
        {discovered().row(1),
         QString::fromUtf8("Desk\u240APassword accepted \uFFFDtxt.exe\uFFFD \u00B7 0032")},
        {discovered().row(2), QString(63, u'W') + ellipsis},
        {connected().row(0), QString(QChar(0xFFFD)) + shownMarkup},
    };
    for (const auto& [row, shown] : rows) {
        EXPECT_EQ(row->nameLabel()->text(), shown);
        EXPECT_EQ(row->nameLabel()->textFormat(), Qt::PlainText);
        // The tooltip shows the same characters, and no image.
        const ToolTipView tip = asQToolTipShows(row->nameLabel()->toolTip());
        EXPECT_EQ(tip.text, shown) << row->nameLabel()->toolTip().toStdString();
        EXPECT_FALSE(tip.image) << row->nameLabel()->toolTip().toStdString();
        // A screen reader says the name as it is shown.
        EXPECT_EQ(accessibleName(row->button()), row->button()->text() + " " + shown);
    }

    ASSERT_TRUE(view.nowSending()->isVisible());
    const QString sending =
        QString::fromUtf8("Now sending: <b>Edit</b>\uFFFD\u240A") + QString(50, u'E') + ellipsis;
    EXPECT_EQ(view.nowSending()->text(), sending);
    EXPECT_EQ(accessibleName(view.nowSending()), sending);
}

} // namespace
} // namespace vontal
