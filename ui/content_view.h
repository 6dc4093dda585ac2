#pragma once

#include "devicelink/peripheral_manager.h"
#include "platform/diagnostics.h"
#include "platform/login_item.h"

#include <QWidget>
#include <memory>
#include <string>

class QLabel;

namespace vontal {

class DeviceListView;
class LaunchAtLoginBlock;
class StatusLine;
class StatusReport;

// The root view of every window: a status line saying what keeps vontal from doing its job, the
// "Connected" and "Discovered" lists of the shared manager and the launch-at-login toggle. It keeps
// no device state of its own; it reads the manager's lists when it rebuilds, which it does once per
// event-loop turn after the manager announced a change.
class ContentView final : public QWidget {
public:
    static constexpr int kMinimumWidth = 400;
    static constexpr int kMinimumHeight = 300;

    // `status` is shared with the other windows and the tray; without one the view makes its own
    // from the manager alone.
    ContentView(PeripheralManager& manager, LoginItemService& loginItems, Diagnostics& diagnostics,
                StatusReport* status = nullptr, QWidget* parent = nullptr);
    ~ContentView() override;

    PeripheralManager& manager() const { return manager_; }
    bool launchAtLogin() const { return launchAtLogin_; }
    // Sets the toggle's state; a change (and only a change) applies it to the login item, after
    // which the toggle shows what the service reports.
    void setLaunchAtLogin(bool on);
    const std::string& helperID() const { return helperID_; }

    StatusLine* statusLine() const { return statusLine_; }
    StatusReport& status() const { return *status_; }
    QLabel* connectedHeader() const { return connectedHeader_; }
    QLabel* discoveredHeader() const { return discoveredHeader_; }
    DeviceListView* connectedList() const { return connectedList_; }
    DeviceListView* discoveredList() const { return discoveredList_; }
    LaunchAtLoginBlock* launchAtLoginBlock() const { return launchAtLoginBlock_; }
    // "Now sending: <application>", shown while a device is unlocked.
    QLabel* nowSending() const { return nowSending_; }
    // How many times the lists were built, the first build included.
    int buildCount() const { return buildCount_; }

private:
    void scheduleRebuild();
    void rebuild();
    void tapConnected(const PeripheralRef& peripheral);
    void tapDiscovered(const PeripheralRef& peripheral);
    void launchAtLoginAppeared();
    void showNowSending();

    PeripheralManager& manager_;
    LoginItemService& loginItems_;
    Diagnostics& diagnostics_;
    bool launchAtLogin_ = false;
    const std::string helperID_;
    std::unique_ptr<StatusReport> ownStatus_;
    StatusReport* status_ = nullptr;
    StatusLine* statusLine_ = nullptr;

    QLabel* connectedHeader_ = nullptr;
    QLabel* discoveredHeader_ = nullptr;
    DeviceListView* connectedList_ = nullptr;
    DeviceListView* discoveredList_ = nullptr;
    LaunchAtLoginBlock* launchAtLoginBlock_ = nullptr;
    QLabel* nowSending_ = nullptr;

    Subscription changes_;
    bool rebuildScheduled_ = false;
    int buildCount_ = 0;
};

} // namespace vontal
