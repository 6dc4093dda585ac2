#pragma once

#include <QString>
#include <QStringList>

namespace vontal {

// Where vontal's KWin script is installed, relative to a data directory.
inline constexpr const char* kKwinScriptPath = "vontal/kwin/vontal-frontmost.js";

// The script's file: in the first of `dataDirs` (XDG_DATA_HOME, then XDG_DATA_DIRS) that has it,
// else beside the executable in `applicationDir` (../share/), so that an install into any prefix
// finds its own. Empty when neither has it.
QString findKwinScript(const QStringList& dataDirs, const QString& applicationDir);

// The same for this process: the XDG data directories and Qt's application directory.
QString findKwinScript();

} // namespace vontal
