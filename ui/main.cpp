#include "app_icon.h"
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
#include <QCommandLineParser>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>

using namespace vontal;

namespace {

// Reads the arguments: whether to simulate. `--help` and `--version` are answered on standard
// output, and a wrong argument on standard error; each gives an exit status in `exitCode` and no
// answer.
std::optional<bool> simulateFromCommandLine(int& argc, char** argv, int& exitCode) {
    // A plain core application: --help must work where no display is reachable.
    QCoreApplication core(argc, argv);
    installTranslations(core);
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "main", "Tells your Bluetooth LE devices which application you are working in."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(
        QStringLiteral("simulate"),
        QCoreApplication::translate("main",
                                    "Run on simulated demo devices instead of Bluetooth, with "
                                    "settings kept in memory."));
    parser.addOption(simulate);

    if (!parser.parse(QCoreApplication::arguments())) {
        std::fprintf(stderr, "%s\n\n%s", qPrintable(parser.errorText()),
                     qPrintable(parser.helpText()));
        exitCode = 1;
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        std::printf(
            "\n%s\n",
            qPrintable(QCoreApplication::translate(
                "main", "Application names are sent on X11 desktops, on wlroots "
                        "compositors (sway, labwc, Hyprland, river, Wayfire, niri), on KDE "
                        "Plasma and on GNOME Shell once vontal's extension is switched on.")));
        exitCode = 0;
        return std::nullopt;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("%s %s\n", qPrintable(QCoreApplication::applicationName()), kVersion);
        exitCode = 0;
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "%s\n\n%s",
                     qPrintable(QCoreApplication::translate("main", "Unexpected argument: %1")
                                    .arg(parser.positionalArguments().constFirst())),
                     qPrintable(parser.helpText()));
        exitCode = 1;
        return std::nullopt;
    }
    return parser.isSet(simulate);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("vontal"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));
    QCoreApplication::setOrganizationDomain(QStringLiteral("vontal.org"));

    int exitCode = 0;
    const auto simulate = simulateFromCommandLine(argc, argv, exitCode);
    if (!simulate)
        return exitCode;
    const auto mode = *simulate ? Runtime::Mode::Simulated : Runtime::Mode::System;

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
