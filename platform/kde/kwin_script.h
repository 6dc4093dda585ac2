#pragma once

#include <QDBusConnection>
#include <QString>
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

} // namespace vontal
