#include "translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QTranslator>

namespace vontal {

bool installTranslations(QCoreApplication& application) {
    // Compiled-in first, then beside an installed or a built executable.
    const QString appDir = QCoreApplication::applicationDirPath();
    const QStringList directories{
        QStringLiteral(":/i18n"),
        QDir(appDir).filePath(QStringLiteral("../share/vontal/translations")),
        QDir(appDir).filePath(QStringLiteral("translations")),
    };
    auto* translator = new QTranslator(&application);
    for (const QString& directory : directories) {
        if (translator->load(QLocale(), QStringLiteral("vontal"), QStringLiteral("_"), directory)) {
            QCoreApplication::installTranslator(translator);
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace vontal
