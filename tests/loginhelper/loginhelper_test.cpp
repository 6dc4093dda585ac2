#include "tests/support/process/descendants.h"
#include "tests/support/process/scratch_dir.h"
#include "vontal_ids.h"

#include <fcntl.h>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vontal::testing {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr auto kDeadline = std::chrono::seconds(20);
const std::string kMainId = kMainIdentifier;
const std::string kNotFound =
    "vontalloginhelper: Could not find application URL for bundle ID " + kMainId + "\n";

// Stands in for vontal: records its start, then waits at a gate that the test opens only after
// the helper has ended, and records that it got through.
constexpr const char* kStandIn = R"(#!/bin/sh
echo "started $1 $$" >> "$2"
read -r go < "$3"
echo "finished $1 $$" >> "$2"
)";

struct HelperRun {
    pid_t pid = -1;
    int status = -1;
    std::string err;
    std::string out;
};

class LoginHelperTest : public ::testing::Test {
public:
    void SetUp() override {
        writeExecutable(standIn, kStandIn);
        ASSERT_EQ(mkfifo(gate.c_str(), 0600), 0);
        // Holding both ends keeps the gate from blocking anyone and keeps what we write in it.
        gateFd = open(gate.c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(gateFd, 0);
    }
    void TearDown() override { close(gateFd); }

    std::string entry(const std::string& label, const std::string& extra = "") const {
        return "[Desktop Entry]\nType=Application\nName=Vontal\nExec=" + standIn.string() + " " +
               label + " " + record.string() + " " + gate.string() + "\n" + extra;
    }
    static void install(const fs::path& dataDir, const std::string& id, const std::string& text) {
        writeFile(dataDir / "applications" / (id + ".desktop"), text);
    }

    HelperRun runHelper() {
        HelperRun run;
        const fs::path err = scratch.path() / "helper.err";
        const fs::path out = scratch.path() / "helper.out";
        run.pid = descendants.spawn({
            .argv = {VONTAL_LOGINHELPER_PATH},
            .environment = {"PATH=/usr/local/bin:/usr/bin:/bin",
                            "HOME=" + (scratch.path() / "home").string(), "LC_ALL=C",
                            "XDG_DATA_HOME=" + dataHome.string(),
                            "XDG_DATA_DIRS=" + systemA.string() + ":" + systemB.string(),
                            "XDG_CONFIG_HOME=" + (scratch.path() / "config").string()},
            .stdoutFile = out,
            .stderrFile = err,
        });
        const auto status = descendants.waitForExit(run.pid, kDeadline);
        EXPECT_TRUE(status.has_value()) << "the helper did not end";
        run.status = status.value_or(-1);
        run.err = readFile(err);
        run.out = readFile(out);
        return run;
    }

    // Lets every stand-in through, then waits until all of them have ended.
    void openGateAndSettle() {
        const std::string go = "go\ngo\ngo\ngo\n";
        ASSERT_EQ(write(gateFd, go.data(), go.size()), static_cast<ssize_t>(go.size()));
        ASSERT_TRUE(descendants.waitForAll(kDeadline)) << "a launched program is still running";
    }

    std::vector<std::string> recordLines() const {
        std::vector<std::string> lines;
        std::istringstream in(readFile(record));
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    void expectNothingLaunched() {
        openGateAndSettle();
        EXPECT_FALSE(fs::exists(record)) << readFile(record);
    }

    ScratchDir scratch;
    Descendants descendants;
    const fs::path dataHome = scratch.path() / "data-home";
    const fs::path systemA = scratch.path() / "system-a";
    const fs::path systemB = scratch.path() / "system-b";
    const fs::path standIn = scratch.path() / "bin" / "vontal-stand-in";
    const fs::path record = scratch.path() / "record";
    const fs::path gate = scratch.path() / "gate";
    int gateFd = -1;
};

TEST_F(LoginHelperTest, LaunchesTheMainApplicationOnceWithoutWaitingForIt) {
    install(dataHome, kMainId, entry("home"));

    const HelperRun run = runHelper();
    EXPECT_TRUE(exitedWith(run.status, 0)) << run.status;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");

    // The gate opens only now that the helper is gone: a stand-in that finishes was neither
    // waited for nor taken down with the helper.
    openGateAndSettle();
    const auto lines = recordLines();
    ASSERT_EQ(lines.size(), 2u) << readFile(record);
    const std::string standInPid = lines[0].substr(lines[0].rfind(' ') + 1);
    EXPECT_THAT(lines, ElementsAre("started home " + standInPid, "finished home " + standInPid));
    EXPECT_NE(std::stoi(standInPid), run.pid);

    bool standInEndedWell = false;
    for (const Reaped& r : descendants.reaped()) {
        standInEndedWell |= r.pid == std::stoi(standInPid) && exitedWith(r.status, 0);
    }
    EXPECT_TRUE(standInEndedWell);
}

TEST_F(LoginHelperTest, LooksTheApplicationUpThroughTheDataDirectoriesInOrder) {
    // The user's own entry overrides the system's; a later system directory is searched too.
    install(dataHome, kMainId, entry("home"));
    install(systemA, kMainId, entry("system-a"));
    ASSERT_TRUE(exitedWith(runHelper().status, 0));
    openGateAndSettle();
    EXPECT_THAT(recordLines(),
                ElementsAre(StartsWith("started home "), StartsWith("finished home ")));

    fs::remove_all(dataHome);
    fs::remove(record);
    install(systemB, kMainId, entry("system-b"));
    ASSERT_TRUE(exitedWith(runHelper().status, 0));
    openGateAndSettle();
    EXPECT_THAT(recordLines(),
                ElementsAre(StartsWith("started system-a "), StartsWith("finished system-a ")));

    fs::remove_all(systemA);
    fs::remove(record);
    ASSERT_TRUE(exitedWith(runHelper().status, 0));
    openGateAndSettle();
    EXPECT_THAT(recordLines(),
                ElementsAre(StartsWith("started system-b "), StartsWith("finished system-b ")));
}

struct MissingCase {
    const char* name;
    std::function<void(LoginHelperTest&)> arrange;
};

void PrintTo(const MissingCase& c, std::ostream* os) {
    *os << c.name;
}

class LoginHelperMissingTest : public LoginHelperTest,
                               public ::testing::WithParamInterface<MissingCase> {};

TEST_P(LoginHelperMissingTest, ReportsTheIdentifierAndLaunchesNothing) {
    GetParam().arrange(*this);

    const HelperRun run = runHelper();
    EXPECT_TRUE(exitedWith(run.status, 0)) << run.status;
    EXPECT_EQ(run.err, kNotFound);
    EXPECT_EQ(run.out, "");
    expectNothingLaunched();
    // Not even an attempt: a spawn would have left its intermediate process to us.
    ASSERT_EQ(descendants.reaped().size(), 1u);
    EXPECT_EQ(descendants.reaped().front().pid, run.pid);
}

INSTANTIATE_TEST_SUITE_P(
    , LoginHelperMissingTest,
    ::testing::Values(
        MissingCase{"NoEntryAnywhere",
                    [](LoginHelperTest&) {
                    }},
        // Only names that are not the main identifier: the helper's own entry, and near misses.
        MissingCase{"OnlyOtherIdentifiers",
                    [](LoginHelperTest& t) {
                        t.install(t.dataHome, kHelperIdentifier, t.entry("helper"));
                        t.install(t.systemA, kMainId + "x", t.entry("longer"));
                        t.install(t.systemA, "vontal", t.entry("short"));
                    }},
        // An entry whose program has been removed is not an installed application.
        MissingCase{"ProgramNotInstalled",
                    [](LoginHelperTest& t) {
                        t.install(t.dataHome, kMainId,
                                  "[Desktop Entry]\nType=Application\nName=Vontal\n"
                                  "Exec=/nonexistent/vontal\n");
                    }},
        MissingCase{"HiddenEntry",
                    [](LoginHelperTest& t) {
                        t.install(t.dataHome, kMainId, t.entry("hidden", "Hidden=true\n"));
                    }}),
    [](const ::testing::TestParamInfo<MissingCase>& info) { return info.param.name; });

TEST_F(LoginHelperTest, WritesTheLaunchErrorVerbatimAndEndsNormally) {
    // A working directory that cannot be entered makes the spawn itself fail, and its name
    // carries formatting characters into the error's description.
    const fs::path missingDir = scratch.path() / "gone %s%n %d %%";
    install(dataHome, kMainId, entry("home", "Path=" + missingDir.string() + "\n"));

    const HelperRun run = runHelper();
    EXPECT_TRUE(exitedWith(run.status, 0)) << run.status;
    EXPECT_THAT(run.err, StartsWith("vontalloginhelper: Failed to launch Vontal: "));
    EXPECT_THAT(run.err, HasSubstr("\u201c" + missingDir.string() + "\u201d"));
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "expected one line: " << run.err;
    expectNothingLaunched();
}

} // namespace
} // namespace vontal::testing
