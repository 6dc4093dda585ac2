#pragma once

// What the tests of the front-application observers share, whatever the desktop: an observer
// that records the names posted, diagnostics that keep their lines, the Qt loop run until
// something holds, desktop entries written whole, environment variables set for one test.

#include "platform/diagnostics.h"
#include "platform/workspace.h"

#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vontal::testing {

class RecordingDiagnostics final : public Diagnostics {
public:
    std::vector<std::string> lines;
    void line(std::string_view text) override { lines.emplace_back(text); }
};

using Names = std::vector<std::optional<std::string>>;

// Records the activations a workspace posts, checking each arrives on the main thread.
struct Recorder {
    Names names;
    bool offMainThread = false;
    std::thread::id mainThread = std::this_thread::get_id();

    std::function<void(const Notification&)> observer() {
        return [this](const Notification& notification) {
            offMainThread = offMainThread || std::this_thread::get_id() != mainThread;
            EXPECT_EQ(notification.name, kDidActivateApplicationNotification);
            std::optional<std::string> name;
            if (notification.userInfo) {
                const auto it = notification.userInfo->find(kWorkspaceApplicationKey);
                if (it != notification.userInfo->end()) {
                    if (const auto* app =
                            std::get_if<std::shared_ptr<RunningApplication>>(&it->second))
                        name = (*app)->localizedName;
                }
            }
            names.push_back(name);
        };
    }
};

// Runs the Qt event loop until `done` holds or time is up.
template <class Predicate>
bool processEventsUntil(Predicate done, std::chrono::milliseconds timeout) {
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(timeout);
    while (!done()) {
        if (!deadline.isActive())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Renamed into place, as package managers do, so GIO never reads half a file.
inline void writeEntry(const std::filesystem::path& file, const std::string& body) {
    std::ofstream out(file.string() + ".tmp");
    out << "[Desktop Entry]\nType=Application\n" << body;
    out.close();
    std::filesystem::rename(file.string() + ".tmp", file);
}

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
public:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

} // namespace vontal::testing
