#include "child_process.h"
#include "platform/qt/settings/settings_json.h"
#include "sample_entries.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <random>

namespace vontal {
namespace {

using testing::ChildProcess;
using testing::runProgram;
using testing::stormKey;
using testing::stormValue;

// A writer killed with SIGKILL at arbitrary points of a storm of saves: after every kill the file
// must parse and hold every entry whose save had returned. Each round starts a new writer that
// carries on from the last acknowledged entry, so the file keeps growing. After its first save the
// writer arms its own SIGKILL timer with a random delay, so the kill falls at a random moment
// (inside a save as often as between two) without the test having to wait for it.
TEST(SettingsCrash, AKilledWriterNeverLeavesAFileThatLostEarlierSaves) {
    QTemporaryDir dir;
    const QString path = dir.filePath("settings.json");
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    // A save of this file takes a few milliseconds: a round sees a handful of them.
    std::uniform_int_distribution<long> killAfterMicroseconds(1, 30000);

    long acknowledged = 0; // entries 0 .. acknowledged-1 are known to be saved
    for (int round = 0; round < 60; ++round) {
        ChildProcess writer({SETTINGS_CHILD, "storm", path.toStdString(),
                             std::to_string(acknowledged),
                             std::to_string(killAfterMicroseconds(random))});
        ASSERT_TRUE(writer.started());
        while (const auto saved = writer.readNumber())
            acknowledged = *saved + 1;
        ASSERT_EQ(writer.wait(), 128 + SIGKILL) << "the writer ended by itself in round " << round;

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "round " << round;
        const auto map = parseSettingsJson(file.readAll());
        ASSERT_TRUE(map) << "the file does not parse after the kill of round " << round;
        for (long i = 0; i < acknowledged; ++i) {
            ASSERT_EQ(
                map->value(QString::fromStdString(stormKey(i))).value.toString().toStdString(),
                stormValue(i))
                << "round " << round;
        }
    }
    ASSERT_GE(acknowledged, 60) << "every round saves at least once before its timer runs";

    // The store itself, in a fresh process, reads it all back, and nothing was kept aside as
    // unreadable along the way.
    EXPECT_EQ(runProgram({SETTINGS_CHILD, "check-storm", path.toStdString(),
                          std::to_string(acknowledged)}),
              0);
    EXPECT_TRUE(QDir(dir.path()).entryList({"*.corrupt-*"}, QDir::Files).isEmpty());
}

} // namespace
} // namespace vontal
