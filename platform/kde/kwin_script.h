#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>
#include <string>

namespace vontal {

// vontal's script inside KWin, loaded and unloaded through KWin's scripting interface
// (org.kde.KWin /Scripting, the same on KWin 5.27 and Plasma 6). Calls wait for KWin's answer
// for two seconds at most.
class KwinScript {
public:
    // The name KWin knows the script by; one script per name.
    static constexpr const char* kPluginName = "vontal-frontmost";

    KwinScript(QDBusConnection bus, QString file);

    // Loads the script and starts it. A script of ours left by a vontal that did not quit
    // cleanly is unloaded first: KWin refuses a second script of one name, and the fresh one
    // reports what is in front as it starts. False with the reason in `whyNot`.
    bool load(std::string& whyNot);
    // Unloads the script if KWin still runs it.
    void unload();

    const QString& file() const { return file_; }

private:
    QDBusConnection bus_;
    QString file_;
};

// Where vontal's KWin script is installed, relative to a data directory.
inline constexpr const char* kKwinScriptPath = "vontal/kwin/vontal-frontmost.js";

// The script's file: in the first of `dataDirs` (XDG_DATA_HOME, then XDG_DATA_DIRS) that has it,
// else beside the executable in `applicationDir` (../share/), so that an install into any prefix
// finds its own. Empty when neither has it.
QString findKwinScript(const QStringList& dataDirs, const QString& applicationDir);

// The same for this process: the XDG data directories and Qt's application directory.
QString findKwinScript();

} // namespace vontal
