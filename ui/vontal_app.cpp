#include "vontal_app.h"

#include "content_view.h"
#include "main_window.h"

#include <QApplication>

namespace vontal {

vontalApp::vontalApp(ManagerFactory factory, LoginItemService& loginItems, Diagnostics& diagnostics,
                     std::function<void()> quit)
    : factory_(std::move(factory)), quit_(std::move(quit)), loginItems_(loginItems),
      diagnostics_(diagnostics) {
    if (!quit_)
        quit_ = [] {
            QCoreApplication::quit();
        };
}

vontalApp::~vontalApp() {
    // Rows hold peripherals of the manager's Bluetooth stack: windows go before the manager.
    for (const QPointer<MainWindow>& window : windows_)
        delete window.data();
    status_.reset();
}

PeripheralManager& vontalApp::manager() {
    if (!manager_) {
        Made made = factory_();
        manager_ = std::move(made.manager);
        status_ = std::make_unique<StatusReport>(*manager_, std::move(made.sources), diagnostics_);
    }
    return *manager_;
}

StatusReport& vontalApp::status() {
    manager();
    return *status_;
}

MainWindow* vontalApp::newWindow() {
    auto* content = new ContentView(manager(), loginItems_, diagnostics_, &status());
    auto* window = new MainWindow(
        content, [this] { newWindow(); }, [this] { quit_(); });
    std::erase_if(windows_, [](const QPointer<MainWindow>& w) { return w.isNull(); });
    windows_.emplace_back(window);
    window->show();
    return window;
}

std::vector<MainWindow*> vontalApp::windows() const {
    std::vector<MainWindow*> open;
    for (const QPointer<MainWindow>& window : windows_)
        if (window)
            open.push_back(window.data());
    return open;
}

void vontalApp::bringForward() {
    MainWindow* target = nullptr;
    if (auto* active = dynamic_cast<MainWindow*>(QApplication::activeWindow()))
        target = active;
    else if (const auto open = windows(); !open.empty())
        target = open.back();
    if (target)
        target->bringForward();
    else
        newWindow();
}

} // namespace vontal
