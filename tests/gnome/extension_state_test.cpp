// Which form of the extension a Shell runs, and how the Shell's extension info reads.

#include "platform/gnome/shell_extension.h"

#include <gtest/gtest.h>

namespace vontal {
namespace {

TEST(ShellExtensionState, TheShellsVersionPicksTheFormAndItsInfoReadsAsOneState) {
    EXPECT_EQ(ShellExtension::uuidFor(QStringLiteral("43.9")), ShellExtension::kClassicUuid);
    EXPECT_EQ(ShellExtension::uuidFor(QStringLiteral("44.beta")), ShellExtension::kClassicUuid);
    EXPECT_EQ(ShellExtension::uuidFor(QStringLiteral("45.0")), ShellExtension::kModulesUuid);
    EXPECT_EQ(ShellExtension::uuidFor(QStringLiteral("47.rc")), ShellExtension::kModulesUuid);

    using State = ShellExtension::State;
    const auto info = [](double state) {
        return QVariantMap{{QStringLiteral("state"), state}};
    };
    EXPECT_EQ(extensionState(info(1.0), true), State::On);
    EXPECT_EQ(extensionState(info(8.0), true), State::On); // enabling (45+)
    EXPECT_EQ(extensionState(info(2.0), true), State::Off);
    EXPECT_EQ(extensionState(info(6.0), true), State::Off); // loaded, never switched on
    EXPECT_EQ(extensionState(info(3.0), true), State::Failed);
    EXPECT_EQ(extensionState(info(4.0), true), State::Failed); // out of date
    // Unknown to the Shell: on disk it waits for the next login, else it is missing.
    EXPECT_EQ(extensionState({}, true), State::NextLogin);
    EXPECT_EQ(extensionState({}, false), State::NotInstalled);

    EXPECT_EQ(extensionStateLine(State::Failed, ShellExtension::kClassicUuid, "SyntaxError"),
              "Application names are not sent: GNOME Shell cannot run vontal's GNOME Shell "
              "extension (vontal-classic@vontal.org) (SyntaxError)");
    EXPECT_TRUE(extensionStateLine(State::Unknown, ShellExtension::kClassicUuid, {}).empty());
}

} // namespace
} // namespace vontal
