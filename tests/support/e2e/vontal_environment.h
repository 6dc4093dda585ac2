#pragma once

// Where vontal runs on a test desktop: a directory of its own holding its home, settings, data
// directories (with the desktop entries it names programs by) and runtime directory, and the
// environment that points vontal, or a program standing beside it, there.

#include "tests/support/desktop/wayland_session.h"
#include "tests/support/desktop/x_session.h"

#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <filesystem>
#include <string>

namespace vontal::e2e {

// Creates the directories under `root`.
void prepareVontalHome(const std::filesystem::path& root);

// The system's environment, with the test desktop's display and session bus, the directories
// under `root`, German as the language, and Qt told which BlueZ the stand-in plays.
QProcessEnvironment vontalEnvironment(const std::filesystem::path& root,
                                      const testing::XSession& session);
// The same on a Wayland desktop: a Wayland session, Qt on its Wayland plugin, and Xwayland's
// display for X11 programs, as a login on that desktop has them.
QProcessEnvironment vontalEnvironment(const std::filesystem::path& root,
                                      const testing::WaylandSession& session);

// A desktop entry under root/data/applications; false if it could not be written.
bool writeDesktopEntry(const std::filesystem::path& root, const std::string& fileName,
                       const std::string& body);

// vontal's settings file, in the form it keeps it: one JSON object, key to value, private to the
// user.
std::filesystem::path settingsFile(const std::filesystem::path& root);
bool writeSettingsFile(const std::filesystem::path& root, const QJsonObject& entries);

// Starts a program that dies with this process; diagnostics are read from its standard output,
// its standard error goes to ours. False if it did not start.
bool startChild(QProcess& process, const QString& program, const QStringList& arguments,
                const QProcessEnvironment& environment);

} // namespace vontal::e2e
