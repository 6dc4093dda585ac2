// Every catalogue translates every text the sources show a user, completely: the texts are
// collected anew from the sources with lupdate, so a text added without a translation fails here.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

namespace vontal {
namespace {

QStringList listOf(const char* barSeparated) {
    return QString::fromUtf8(barSeparated).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

QStringList placeholders(const QString& text) {
    static const QRegularExpression placeholder(QStringLiteral("%\\d+"));
    QStringList found;
    for (const QRegularExpressionMatch& match : placeholder.globalMatch(text))
        found << match.captured();
    found.sort();
    return found;
}

// Shortcut marks: one "&" not doubled.
int accelerators(const QString& text) {
    return static_cast<int>(QString(text).remove(QStringLiteral("&&")).count(QLatin1Char('&')));
}

// What is wrong with a translation source: unfinished, empty or dropped entries, and
// translations that lost or invented a placeholder or a shortcut mark.
QStringList catalogueProblems(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("cannot read ") + path};
    QStringList problems;
    QXmlStreamReader xml(&file);
    QString context, source;
    int messages = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            ++messages;
            const QString where = context + QStringLiteral(" \"") + source + QStringLiteral("\": ");
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            const QString text = xml.readElementText();
            if (!type.isEmpty())
                problems << where + type;
            else if (text.isEmpty())
                problems << where + QStringLiteral("empty");
            else if (placeholders(text) != placeholders(source))
                problems << where + QStringLiteral("placeholders differ in \"") + text + '"';
            else if (accelerators(text) != accelerators(source))
                problems << where + QStringLiteral("shortcut marks differ in \"") + text + '"';
        }
    }
    if (xml.hasError())
        problems << path + QStringLiteral(": ") + xml.errorString();
    if (messages == 0)
        problems << path + QStringLiteral(": no messages");
    return problems;
}

TEST(Catalogues, EveryTextOfTheSourcesHasAFinishedTranslationInEveryLanguage) {
    const QStringList catalogues = listOf(VONTAL_TS_FILES);
    ASSERT_EQ(catalogues.size(), 7);
    QTemporaryDir scratch;
    ASSERT_TRUE(scratch.isValid());
    for (const QString& catalogue : catalogues) {
        SCOPED_TRACE(catalogue.toStdString());
        const QString copy = scratch.filePath(QFileInfo(catalogue).fileName());
        ASSERT_TRUE(QFile::copy(catalogue, copy));
        QProcess lupdate;
        lupdate.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        lupdate.start(QStringLiteral(VONTAL_LUPDATE),
                      QStringList{QStringLiteral("-silent"), QStringLiteral("-locations"),
                                  QStringLiteral("none")}
                          << listOf(VONTAL_TRANSLATED_SOURCES)
                          << QStringList{QStringLiteral("-ts"), copy});
        ASSERT_TRUE(lupdate.waitForFinished(60000));
        ASSERT_EQ(lupdate.exitCode(), 0);
        EXPECT_EQ(catalogueProblems(copy).join('\n').toStdString(), "");
    }
}

TEST(Catalogues, TheCheckFindsUnfinishedEntriesAndLostPlaceholdersOrShortcuts) {
    QTemporaryDir scratch;
    const QString path = scratch.filePath(QStringLiteral("vontal_xx.ts"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"(<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context><name>C</name>
<message><source>Enter password for %1</source><translation>Passwort eingeben</translation></message>
<message><source>&amp;File</source><translation>Datei</translation></message>
<message><source>Retry</source><translation type="unfinished"></translation></message>
<message><source>Gone</source><translation type="vanished">Weg</translation></message>
<message><source>Quit</source><translation></translation></message>
<message><source>%1 devices</source><translation>%1 Geräte</translation></message>
</context>
</TS>
)");
    file.close();
    EXPECT_EQ(
        catalogueProblems(path).join('\n').toStdString(),
        (QStringList{"C \"Enter password for %1\": placeholders differ in \"Passwort eingeben\"",
                     "C \"&File\": shortcut marks differ in \"Datei\"", "C \"Retry\": unfinished",
                     "C \"Gone\": vanished", "C \"Quit\": empty"})
            .join('\n')
            .toStdString());
}

} // namespace
} // namespace vontal
