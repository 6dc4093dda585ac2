#pragma once

#include <QStringList>

class QCoreApplication;

namespace vontal {

// The languages vontal's texts are written in and translated to.
inline constexpr const char* kSourceLanguage = "en";

// The catalogue to use for the user's languages, in their order of preference (as
// QLocale::uiLanguages() gives them: "de-DE", "pt-BR", "zh-Hans-CN", ...), among the shipped
// ones ("de", "pt_BR", "zh_CN", ...): the first language that has one, or none when English comes
// first. An empty string means the texts show as written.
QString chooseCatalogue(const QStringList& preferredLanguages, const QStringList& shipped);

// Installs the translation of vontal's texts for the user's languages (LANGUAGE, then LC_ALL,
// LC_MESSAGES, LANG), and Qt's own for the standard parts (the text field's menu), if shipped;
// without one the texts show as written. Returns the language installed, or an empty string.
QString installTranslations(QCoreApplication& application);

} // namespace vontal
