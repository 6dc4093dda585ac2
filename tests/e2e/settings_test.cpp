// A settings file that a newer vontal wrote: besides a device's password it holds entries this
// vontal does not know, of kinds it never writes. The device unlocks with its password all the
// same, and the entries are still there, unchanged, after vontal saved the file. No keyring runs,
// so the password stays in the file.

#include "tests/support/bluez/qt_wait.h"
#include "vontal_desktop.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <algorithm>

namespace vontal::e2e {
namespace {

TEST_F(VontalDesktop, ANewerVontalsEntriesNeitherHideAPasswordNorAreLostWhenVontalSaves) {
    mock_->addVontalDevice(kDeskAddress, "Desk", "sesame", "Schreibtisch");
    const QJsonObject newer{
        {"newer.recentApplications", QJsonArray{"XTerm", 2, QJsonArray{true, QJsonValue::Null}}},
        {"newer.window",
         QJsonObject{
             {"geometry", QJsonObject{{"screen", QJsonObject{{"scale", 1.25},
                                                             {"names", QJsonArray{"HDMI-1"}}}}}}}},
        {"newer.lastError", QJsonValue::Null},
        {"newer.zoom", 3.5},
    };
    QJsonObject settings = newer;
    settings.insert(QString::fromStdString(kDeskIdentifier), QStringLiteral("sesame"));
    writeSettings(settings);

    startVontal();
    ASSERT_TRUE(waitForPaired(kDeskAddress)) << "the stored password did not unlock the device";
    // Unlocked with the stored password, at the first try: no alert asked for one.
    const auto passwordWrites =
        test::only(mock_->operations(), "WriteValue", kDeskAddress, kPasswordUuid);
    ASSERT_EQ(passwordWrites.size(), 1u);
    EXPECT_EQ(passwordWrites[0].value, test::bytesOf("sesame"));
    // No keyring runs on this desktop: the file keeps the password, and vontal says so once.
    const std::string fallback =
        "Passwords are kept in the settings file: no Secret Service (keyring) on the session bus";
    EXPECT_TRUE(waitForVontalLine(fallback));
    // The device's name changes what vontal keeps, so the file is saved (within a second, and
    // at the latest on the way out).
    EXPECT_TRUE(waitForVontalLine("Custom device name from peripheral: Schreibtisch"));
    EXPECT_EQ(terminateVontal(), 0);

    const QJsonObject after = readSettings();
    EXPECT_EQ(after.value(QStringLiteral("vontal.deviceNames"))
                  .toObject()
                  .value(QString::fromStdString(kDeskIdentifier))
                  .toString(),
              QStringLiteral("Schreibtisch"));
    EXPECT_EQ(after.value(QString::fromStdString(kDeskIdentifier)).toString(),
              QStringLiteral("sesame"));
    const auto lines = vontalLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), fallback), 1);
    for (auto it = newer.begin(); it != newer.end(); ++it)
        EXPECT_EQ(after.value(it.key()), it.value()) << it.key().toStdString();
    // The decimal is still a plain JSON number.
    QFile file(QString::fromStdString(settingsPath().string()));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("\"newer.zoom\": 3.5"));
    // Nothing was taken for unreadable.
    EXPECT_EQ(QDir(QString::fromStdString(settingsPath().parent_path().string()))
                  .entryList({"vontal.json.corrupt-*"}, QDir::Files),
              QStringList{});
}

} // namespace
} // namespace vontal::e2e
