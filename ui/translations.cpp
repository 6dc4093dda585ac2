#include "translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

namespace vontal {

namespace {

const QString kCatalogueName = QStringLiteral("vontal");

// "zh-Hans-CN" and "zh_CN" name the same thing: compare language and territory only.
QLocale asLocale(QString name) {
    return QLocale(name.replace(QLatin1Char('-'), QLatin1Char('_')));
}

bool sameLanguage(const QLocale& a, const QLocale& b) {
    return a.language() == b.language();
}

QStringList shippedCatalogues(const QStringList& directories) {
    QStringList shipped;
    for (const QString& directory : directories) {
        const QStringList files =
            QDir(directory).entryList({kCatalogueName + QStringLiteral("_*.qm")}, QDir::Files);
        for (const QString& file : files) {
            QString language = file.mid(kCatalogueName.size() + 1);
            language.chop(3);
            if (!shipped.contains(language))
                shipped << language;
        }
    }
    return shipped;
}

// Where catalogues are looked for: beside the executable (a build tree), the install prefix's
// share/vontal/translations, then every XDG data dir's vontal/translations.
QStringList translationDirectories() {
    const QString appDir = QCoreApplication::applicationDirPath();
    QStringList directories{
        QDir(appDir).filePath(QStringLiteral("translations")),
        QDir::cleanPath(QDir(appDir).filePath(QStringLiteral("../share/vontal/translations"))),
    };
    for (const QString& dataDir :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        directories << QDir(dataDir).filePath(QStringLiteral("vontal/translations"));
    directories.removeDuplicates();
    return directories;
}

} // namespace

QString chooseCatalogue(const QStringList& preferredLanguages, const QStringList& shipped) {
    for (const QString& preferred : preferredLanguages) {
        const QLocale wanted = asLocale(preferred);
        // "C" and "POSIX" say nothing about a language; the next preference may.
        if (wanted.language() == QLocale::C || wanted.language() == QLocale::AnyLanguage)
            continue;
        if (sameLanguage(wanted, QLocale(QString::fromLatin1(kSourceLanguage))))
            return {};
        // The territory's own catalogue first (pt_BR for pt-BR), then any other of the same
        // language in the same script: Portuguese from Brazil for Portugal, but never
        // Simplified Chinese for a reader of Traditional.
        QString sameLanguageOnly;
        for (const QString& candidate : shipped) {
            const QLocale offered = asLocale(candidate);
            if (!sameLanguage(wanted, offered) || offered.script() != wanted.script())
                continue;
            if (offered.territory() == wanted.territory())
                return candidate;
            if (sameLanguageOnly.isEmpty())
                sameLanguageOnly = candidate;
        }
        if (!sameLanguageOnly.isEmpty())
            return sameLanguageOnly;
    }
    return {};
}

QString installTranslations(QCoreApplication& application) {
    const QStringList directories = translationDirectories();
    const QString language =
        chooseCatalogue(QLocale().uiLanguages(), shippedCatalogues(directories));
    if (language.isEmpty())
        return {};
    auto* translator = new QTranslator(&application);
    for (const QString& directory : directories) {
        if (translator->load(kCatalogueName + QLatin1Char('_') + language, directory)) {
            QCoreApplication::installTranslator(translator);
            // Qt's own texts for the same language, where the system has them.
            auto* qt = new QTranslator(&application);
            if (qt->load(QLocale(language), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
                QCoreApplication::installTranslator(qt);
            else
                delete qt;
            return language;
        }
    }
    delete translator;
    return {};
}

} // namespace vontal
