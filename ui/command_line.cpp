#include "command_line.h"

#include "translations.h"
#include "vontal_ids.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace vontal {

std::optional<CommandLine> parseCommandLine(int& argc, char** argv, int& exitCode) {
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
        std::printf("\n%s\n",
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
    return CommandLine{parser.isSet(simulate)};
}

} // namespace vontal
