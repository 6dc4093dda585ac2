// Writes the translations of a desktop entry's Name, GenericName and Comment, or of an AppStream
// file's summary, into the file, from vontal's catalogues:
//
//   vontal_translate_data INPUT OUTPUT CATALOGUE_DIR LANGUAGE...
//
// Each translated line follows its English one ("Name[de]=...", "<summary xml:lang="de">").
// A text with no translation in some catalogue is an error: the file would be left half
// translated without anyone noticing.

#include "desktop_texts.h"

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QTranslator>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr const char* kContext = "DesktopEntry";

struct Catalogue {
    QString language;
    std::unique_ptr<QTranslator> translator;
};

int fail(const QString& message) {
    std::fprintf(stderr, "vontal_translate_data: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() < 5)
        return fail(QStringLiteral("usage: INPUT OUTPUT CATALOGUE_DIR LANGUAGE..."));

    std::vector<Catalogue> catalogues;
    for (const QString& language : arguments.mid(4)) {
        auto translator = std::make_unique<QTranslator>();
        if (!translator->load(QStringLiteral("vontal_") + language, arguments[3]))
            return fail(QStringLiteral("no catalogue for ") + language + " in " + arguments[3]);
        catalogues.push_back({language, std::move(translator)});
    }

    QFile input(arguments[1]);
    if (!input.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read ") + arguments[1]);
    const QStringList lines = QString::fromUtf8(input.readAll()).split(QLatin1Char('\n'));

    static const QRegularExpression entryKey(QStringLiteral("^(Name|GenericName|Comment)=(.*)$"));
    static const QRegularExpression summary(QStringLiteral("^(\\s*)<summary>(.*)</summary>$"));
    QStringList output;
    int errors = 0;
    for (const QString& line : lines) {
        output << line;
        const QRegularExpressionMatch entry = entryKey.match(line);
        const QRegularExpressionMatch xml = summary.match(line);
        if (!entry.hasMatch() && !xml.hasMatch())
            continue;
        const QString source = entry.hasMatch() ? entry.captured(2) : xml.captured(2);
        for (const Catalogue& catalogue : catalogues) {
            const QString text =
                catalogue.translator->translate(kContext, source.toUtf8().constData());
            if (text.isEmpty()) {
                fail(QStringLiteral("\"%1\" has no translation for %2")
                         .arg(source, catalogue.language));
                ++errors;
            } else if (entry.hasMatch()) {
                output
                    << QStringLiteral("%1[%2]=%3").arg(entry.captured(1), catalogue.language, text);
            } else {
                output << QStringLiteral("%1<summary xml:lang=\"%2\">%3</summary>")
                              .arg(xml.captured(1), catalogue.language, text.toHtmlEscaped());
            }
        }
    }
    if (errors)
        return 1;

    QFile result(arguments[2]);
    if (!result.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate))
        return fail(QStringLiteral("cannot write ") + arguments[2]);
    result.write(output.join(QLatin1Char('\n')).toUtf8());
    return result.flush() ? 0 : fail(QStringLiteral("cannot write ") + arguments[2]);
}
