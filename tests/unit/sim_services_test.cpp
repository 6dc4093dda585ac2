#include "devicelink/peripheral_manager.h"
#include "platform/sim/demo_devices.h"
#include "tests/support/sim/sim_platform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vontal {
namespace {

using ::testing::ElementsAre;

TEST(InMemoryUserDefaults, KeepsRawValuesAndEveryChangeInOrder) {
    InMemoryUserDefaults defaults;
    defaults.setObject("1234", "KEY");
    defaults.setValue("number", std::int64_t{7});
    defaults.setDictionary({{"A", "x"}}, "dict");
    defaults.removeObjectForKey("KEY");

    EXPECT_FALSE(defaults.stringForKey("KEY"));
    EXPECT_FALSE(defaults.stringForKey("number")) << "a number is not text";
    EXPECT_FALSE(defaults.dictionaryForKey("number"));
    ASSERT_TRUE(defaults.dictionaryForKey("dict"));
    EXPECT_EQ(defaults.raw().size(), 2u);
    ASSERT_EQ(defaults.changes().size(), 4u);
    EXPECT_EQ(defaults.changes()[0].key, "KEY");
    EXPECT_EQ(defaults.changes()[0].value, DefaultsValue(std::string("1234")));
    EXPECT_FALSE(defaults.changes()[3].value) << "a removal has no value";
}

TEST(ScriptedAlertPresenter, AnswersInScriptOrderThenFromTheResponderThenFailsClearly) {
    ScriptedAlertPresenter alerts;
    int hooks = 0;
    alerts.accept("first", [&] {
        EXPECT_EQ(alerts.openNow(), 1);
        ++hooks;
    });
    alerts.cancel();
    alerts.setWhileOpen([&](const AlertRequest&) { ++hooks; });

    const AlertRequest request{"Enter password for X", {"OK", "Cancel"}, 200, 24};
    const AlertResponse first = alerts.runModal(request);
    EXPECT_EQ(first.button, kAlertFirstButtonReturn);
    EXPECT_EQ(first.text, "first");
    EXPECT_EQ(alerts.runModal(request).button, kAlertFirstButtonReturn + 1);
    EXPECT_EQ(hooks, 3);
    EXPECT_TRUE(alerts.unexpected().empty());

    // Script used up and no responder: recorded as unexpected and cancelled, never hanging.
    EXPECT_EQ(alerts.runModal(request).button, kAlertFirstButtonReturn + 1);
    ASSERT_EQ(alerts.unexpected().size(), 1u);
    EXPECT_EQ(alerts.unexpected()[0].messageText, "Enter password for X");

    alerts.setResponder([](const AlertRequest& r) -> std::optional<ScriptedAlertPresenter::Answer> {
        return ScriptedAlertPresenter::Answer{kAlertFirstButtonReturn, r.messageText, {}};
    });
    EXPECT_EQ(alerts.runModal(request).text, "Enter password for X");
    EXPECT_EQ(alerts.requests().size(), 4u);
    EXPECT_EQ(alerts.unexpected().size(), 1u);
}

TEST(ScriptedWorkspace, DeliversToObserversRegisteredWhenPostedEvenIfOneLeavesMeanwhile) {
    ScriptedWorkspace workspace;
    std::vector<std::string> got;
    Subscription second;
    Subscription first = workspace.observeActivations([&](const Notification& n) {
        got.push_back("first");
        second.cancel();
        EXPECT_TRUE(n.userInfo);
    });
    second = workspace.observeActivations([&](const Notification&) { got.push_back("second"); });
    EXPECT_EQ(workspace.observerCount(), 2u);

    workspace.activate("Editor");
    EXPECT_THAT(got, ElementsAre("first"));
    first.cancel();
    workspace.activate("Editor");
    EXPECT_THAT(got, ElementsAre("first"));
    EXPECT_EQ(workspace.observerCount(), 0u);
}

TEST(RecordingDiagnostics, KeepsLinesAndHandsThemOver) {
    RecordingDiagnostics diagnostics;
    diagnostics.line("one");
    diagnostics.line("two");
    EXPECT_THAT(diagnostics.takeLines(), ElementsAre("one", "two"));
    EXPECT_TRUE(diagnostics.lines().empty());
}

TEST(DemoDevices, OnlyTheDevicesAdvertisingTheCustomServiceAreListedWithTheirLabels) {
    SimPlatform sim;
    addDemoDevices(sim.bluetooth);
    EXPECT_EQ(sim.bluetooth.devices().size(), 4u);
    PeripheralManager manager(sim.platform());
    sim.clock.advance(std::chrono::seconds(1));

    std::vector<std::string> labels;
    for (const PeripheralRef& peripheral : manager.discoveredPeripherals())
        labels.push_back(manager.displayName(peripheral));
    EXPECT_THAT(labels, ElementsAre("Vontal Pad \u00B7 0001", "VNT-DSP \u00B7 0002",
                                    "Macro Keys \u00B7 0003"));

    // The display's password unlocks it, and its custom name becomes its label.
    sim.alerts.accept("0000");
    const PeripheralRef display = manager.discoveredPeripherals()[1];
    manager.connect(display);
    sim.clock.advance(std::chrono::seconds(5));
    EXPECT_TRUE(sim.bluetooth.isUnlocked(display->identifier()));
    EXPECT_EQ(manager.displayName(display), "Desk Display");

    // The keys refuse the first password, even the right one.
    sim.alerts.accept("4321");
    sim.alerts.accept("4321");
    const PeripheralRef keys = manager.discoveredPeripherals()[1];
    manager.connect(keys);
    sim.clock.advance(std::chrono::seconds(5));
    EXPECT_TRUE(sim.bluetooth.isUnlocked(keys->identifier()));
    EXPECT_EQ(sim.alerts.requests().back().messageText, "Incorrect password for Macro Keys");
    EXPECT_TRUE(sim.alerts.unexpected().empty());
}

} // namespace
} // namespace vontal
