// Device passwords in the desktop's keyring (a real gnome-keyring on the test's session bus): the
// settings file's passwords move in and nothing is lost when the move is cut short; a locked
// keyring leaves vontal running on the file without a wait.

#include "tests/support/bluez/qt_wait.h"
#include "vontal_desktop.h"

namespace vontal::e2e {
namespace {

using namespace std::chrono_literals;

const QString kDeskKey = QString::fromStdString(kDeskIdentifier);
const QString kLampKey = QString::fromStdString(kLampIdentifier);

class Keyring : public VontalDesktop {
protected:
    void SetUp() override {
        VontalDesktop::SetUp();
        if (HasFatalFailure())
            return;
        startKeyring();
        if (HasFatalFailure())
            return;
        mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
        mock_->addVontalDevice(kLampAddress, "Lamp", "lamp light", "Stehlampe");
    }
    bool keyringHolds(const std::string& identifier, const QByteArray& secret) {
        const auto item = keyring_->itemFor(identifier);
        return item && item->secret == secret;
    }
    std::size_t vontalItemCount() {
        const auto items = keyring_->vontalItems();
        return items ? items->size() : 0;
    }
    // Handshakes the device finished: notifications on its data characteristic switched on.
    std::size_t pairings(const std::string& address) {
        return test::only(mock_->operations(), "StartNotify", address, kDataUuid).size();
    }
    std::size_t passwordWritesTo(const std::string& address) {
        return test::only(mock_->operations(), "WriteValue", address, kPasswordUuid).size();
    }
};

TEST_F(Keyring, AMoveCutShortLosesNothingAndTheNextStartFinishesIt) {
    writeSettings({{kDeskKey, QStringLiteral("sesame")},
                   {kLampKey, QStringLiteral("lamp light")},
                   {QStringLiteral("vontal.deviceNames"),
                    QJsonObject{{kDeskKey, QStringLiteral("Schreibtisch")}}}});
    startVontal();
    // Killed as soon as the first password reached the keyring: the other may not have.
    ASSERT_TRUE(test::waitUntil([&] { return vontalItemCount() >= 1; }, 20s))
        << "no password reached the keyring";
    vontal_->kill();
    ASSERT_TRUE(vontal_->waitForFinished(5000));
    const QJsonObject cut = readSettings();
    for (const auto& [identifier, password] :
         {std::pair{kDeskIdentifier, "sesame"}, std::pair{kLampIdentifier, "lamp light"}})
        EXPECT_TRUE(keyringHolds(identifier, password) ||
                    cut.value(QString::fromStdString(identifier)).toString() ==
                        QString::fromUtf8(password))
            << identifier << " is in neither place";

    const std::size_t deskWrites = passwordWritesTo(kDeskAddress);
    const std::size_t lampWrites = passwordWritesTo(kLampAddress);
    const std::size_t deskPairings = pairings(kDeskAddress);
    const std::size_t lampPairings = pairings(kLampAddress);
    startVontal();
    ASSERT_TRUE(test::waitUntil([&] { return pairings(kDeskAddress) > deskPairings; }, 30s));
    ASSERT_TRUE(test::waitUntil([&] { return pairings(kLampAddress) > lampPairings; }, 30s));
    EXPECT_TRUE(windowsTitled(kAlertTitle).empty()) << "a password was asked for";
    // Each unlocked at the first try on this start.
    EXPECT_EQ(passwordWritesTo(kDeskAddress), deskWrites + 1);
    EXPECT_EQ(passwordWritesTo(kLampAddress), lampWrites + 1);
    ASSERT_TRUE(test::waitUntil(
        [&] {
            return keyringHolds(kDeskIdentifier, "sesame") &&
                   keyringHolds(kLampIdentifier, "lamp light");
        },
        20s));
    const auto desk = keyring_->itemFor(kDeskIdentifier);
    ASSERT_TRUE(desk);
    EXPECT_EQ(desk->label, QStringLiteral("vontal: password for Schreibtisch"));
    EXPECT_EQ(desk->attributes.value(QStringLiteral("service")), QStringLiteral("vontal"));
    ASSERT_TRUE(test::waitUntil(
        [&] {
            const QJsonObject now = readSettings();
            return !now.contains(kDeskKey) && !now.contains(kLampKey);
        },
        20s))
        << "a password stayed in the settings file";
    // The names stay in the file.
    EXPECT_EQ(readSettings()
                  .value(QStringLiteral("vontal.deviceNames"))
                  .toObject()
                  .value(kDeskKey)
                  .toString(),
              QStringLiteral("Schreibtisch"));
    for (const std::string& line : vontalLines()) {
        EXPECT_EQ(line.find("sesame"), std::string::npos) << line;
        EXPECT_EQ(line.find("lamp light"), std::string::npos) << line;
        EXPECT_FALSE(line.starts_with("Passwords are kept in the settings file")) << line;
    }
}

TEST_F(Keyring, ALockedKeyringLeavesVontalOnTheFileWithoutAWait) {
    ASSERT_TRUE(keyring_->lockDefaultCollection());
    writeSettings({{kDeskKey, QStringLiteral("sesame")}});
    startVontal();
    ASSERT_NE(vontalWindow(), 0u);
    // Unlocked from the file at once, whatever the keyring's unlock prompt is doing.
    ASSERT_TRUE(waitForPaired(kDeskAddress));
    EXPECT_EQ(passwordWritesTo(kDeskAddress), 1u);
    EXPECT_TRUE(windowsTitled(kAlertTitle).empty());
    EXPECT_TRUE(test::waitUntil(
        [&] {
            for (const std::string& line : vontalLines())
                if (line.starts_with("Passwords are kept in the settings file: "))
                    return true;
            return false;
        },
        20s));
    EXPECT_EQ(readSettings().value(kDeskKey).toString(), QStringLiteral("sesame"));
    EXPECT_TRUE(vontalRunning());
}

} // namespace
} // namespace vontal::e2e
