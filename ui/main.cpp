#include "command_line.h"
#include "memory_login_items.h"
#include "runtime.h"
#include "single_instance.h"
#include "translations.h"
#include "vontal_app.h"
#include "vontal_ids.h"

#include <QApplication>

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

    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kMainIdentifier));
    installTranslations(application);

    // A simulation is its own instance: trying vontal out must not wake the real one, nor the
    // other way round.
    QString instanceName = QString::fromLatin1(kMainIdentifier);
    if (mode == Runtime::Mode::Simulated)
        instanceName += QStringLiteral(".simulate");
    StdoutDiagnostics diagnostics;
    SingleInstance instance(SingleInstance::addressFor(instanceName, &diagnostics), &diagnostics);
    if (!instance.claim())
        return 0;

    std::unique_ptr<LoginItemService> loginItems = makeLoginItemService(mode, diagnostics);
    vontalApp app([mode, &diagnostics] { return Runtime::start(mode, diagnostics); }, *loginItems,
                  diagnostics);
    QObject::connect(&instance, &SingleInstance::activationRequested, &application,
                     [&app] { app.bringForward(); });
    app.newWindow();
    return QApplication::exec();
}
