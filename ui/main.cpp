#include "app_icon.h"
#include "command_line.h"
#include "memory_login_items.h"
#include "platform/cycling_lines.h"
#include "platform/qt/services/qt_alert_presenter.h"
#include "platform/qt/services/qt_timers.h"
#include "prompt_tracker.h"
#include "runtime.h"
#include "single_instance.h"
#include "termination_signals.h"
#include "translations.h"
#include "tray_icon.h"
#include "vontal_app.h"
#include "vontal_ids.h"

#include <QApplication>
#include <chrono>
#include <csignal>

using namespace vontal;

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("vontal"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QCoreApplication::setOrganizationDomain(QStringLiteral("vontal.org"));

    int exitCode = 0;
    const auto options = parseCommandLine(argc, argv, exitCode);
    if (!options)
        return exitCode;
    const auto mode = options->simulate ? Runtime::Mode::Simulated : Runtime::Mode::System;

    // Before anything writes: a log line to a reader that quit must not end vontal.
    surviveBrokenPipes();
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kMainIdentifier));
    // The devices go on hearing names while no window is open; vontal ends only when asked to
    // (File > Quit, the tray's Quit, or a termination signal).
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(applicationIcon());
    installTranslations(application);

    // A simulation is its own instance: trying vontal out must not wake the real one, nor the
    // other way round.
    QString instanceName = QString::fromLatin1(kMainIdentifier);
    if (mode == Runtime::Mode::Simulated)
        instanceName += QStringLiteral(".simulate");
    StdoutDiagnostics output;
    // A bluetoothd or adapter that keeps coming and going gives a few lines a minute, not a
    // few a second.
    QtTimers timers;
    CyclingLines diagnostics(output, timers,
                             [] {
                                 return std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch());
                             },
                             {bluetoothStateCycle()});
    SingleInstance instance(SingleInstance::addressFor(instanceName, &diagnostics), &diagnostics);
    if (!instance.claim())
        return 0;

    std::unique_ptr<LoginItemService> loginItems = makeLoginItemService(mode, diagnostics);
    QtAlertPresenter dialogs;
    PromptTracker prompts(dialogs);
    // Every way out goes through here. An open password alert closes first, as "Cancel":
    // left open, its nested loop would hold the main loop's exit back, and an alert queued
    // behind it would open anew.
    const auto quit = [&dialogs] {
        dialogs.closeAll();
        QCoreApplication::quit();
    };
    // Installed before the manager starts: a logout during the start still ends through the
    // quit above, which the loop runs as soon as it turns.
    TerminationSignals termination(quit, {SIGTERM, SIGINT, SIGHUP, SIGQUIT});
    // Declared after what it uses: on the way out the windows and then the manager go first,
    // and the manager's end drops every link.
    vontalApp app(
        [mode, &diagnostics, &prompts] { return Runtime::start(mode, diagnostics, prompts); },
        *loginItems, diagnostics, quit);
    // Another start (the launcher, the login helper) finds this one: show a window, making one
    // if none is open.
    QObject::connect(&instance, &SingleInstance::activationRequested, &application,
                     [&app] { app.bringForward(); });
    app.newWindow();
    TrayIcon tray(
        app.manager(), app.status(), prompts, [&app] { app.bringForward(); }, quit);
    // Under a bluetoothd or adapter that keeps coming and going, the status line and the tray
    // change about once a second, each time with the latest state.
    app.status().paceChanges(timers, std::chrono::seconds(1));
    tray.paceRefreshes(timers, std::chrono::seconds(1));
    return QApplication::exec();
}
