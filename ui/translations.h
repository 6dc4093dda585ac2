#pragma once

class QCoreApplication;

namespace vontal {

// Installs the translation of the window's texts for the user's locale, if one is shipped;
// without one the texts show as written. Returns whether one was installed.
bool installTranslations(QCoreApplication& application);

} // namespace vontal
