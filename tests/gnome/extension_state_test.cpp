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
    EXPECT_EQ(extensionState(info(4.0), true), State::OutOfDate);
    // Unknown to the Shell: on disk it waits for the next login, else it is missing.
    EXPECT_EQ(extensionState({}, true), State::NextLogin);
    EXPECT_EQ(extensionState({}, false), State::NotInstalled);
    // Installed files made for older Shells are out of date whatever else the Shell says, unless
    // the user let the Shell run them anyway.
    EXPECT_EQ(extensionState({}, true, false), State::OutOfDate);
    EXPECT_EQ(extensionState(info(2.0), true, false), State::OutOfDate);
    EXPECT_EQ(extensionState(info(1.0), true, false), State::On);

    const QStringList declared = {QStringLiteral("45"), QStringLiteral("51")};
    EXPECT_TRUE(declaresShellVersion(declared, QStringLiteral("51.0")));
    EXPECT_TRUE(declaresShellVersion(declared, QStringLiteral("45.rc")));
    EXPECT_FALSE(declaresShellVersion(declared, QStringLiteral("52.alpha")));
    EXPECT_FALSE(declaresShellVersion(declared, QStringLiteral("5.1")));
    EXPECT_TRUE(declaresShellVersion({QStringLiteral("3.38")}, QStringLiteral("3.38.4")));
    EXPECT_EQ(extensionStateLine(State::OutOfDate, ShellExtension::kModulesUuid, {},
                                 QStringLiteral("52.1")),
              "Application names are not sent: vontal's GNOME Shell extension (vontal@vontal.org) "
              "does not support GNOME Shell 52 yet");

    EXPECT_EQ(extensionStateLine(State::Failed, ShellExtension::kClassicUuid, "SyntaxError"),
              "Application names are not sent: GNOME Shell cannot run vontal's GNOME Shell "
              "extension (vontal-classic@vontal.org) (SyntaxError)");
    EXPECT_TRUE(extensionStateLine(State::Unknown, ShellExtension::kClassicUuid, {}).empty());
}

} // namespace
} // namespace vontal
