#pragma once

#include "platform/diagnostics.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace vontal {

// vontal's GNOME Shell extension as the running Shell sees it, asked over
// org.gnome.Shell.Extensions. The Shell runs an extension only once the user switched it on; the
// switch is the user's (switchOn() is called from a click, never on its own). Every change of the
// state is said in one diagnostic line and announced with changed().
class ShellExtension final : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kShellName = "org.gnome.Shell";
    // GNOME 45 changed how extensions are loaded (ES modules), so each form has its own uuid and
    // the Shell runs the one whose shell-version lists it.
    static constexpr const char* kModulesUuid = "vontal@vontal.org";
    static constexpr const char* kClassicUuid = "vontal-classic@vontal.org";

    enum class State {
        Unknown,      // not asked yet, or the Shell did not answer
        On,           // the Shell runs it
        Off,          // installed and known to the Shell, not switched on
        NextLogin,    // installed after the Shell started: the Shell loads it at the next login
        NotInstalled, // not in any data directory
        OutOfDate,    // made for older Shells than the one running
        Failed,       // the Shell could not run it; error() says why
    };

    ShellExtension(QDBusConnection bus, Diagnostics& diagnostics);
    ~ShellExtension() override;

    // The uuid of the form this Shell version ("43.9", "45.rc") runs.
    static QString uuidFor(const QString& shellVersion);

    // Asks the Shell again, without waiting for its answer; a change is logged and announced
    // when the answer comes.
    void refresh();
    State state() const { return state_; }
    const QString& uuid() const { return uuid_; }
    const QString& error() const { return error_; }
    // The running Shell's version as it gives it ("48.7"); empty until it answered.
    const QString& shellVersion() const { return shellVersion_; }

    // Asks the Shell to switch the extension on, without waiting: `done` runs once it answered,
    // with nothing when it agreed and otherwise the reason it refused. The Shell then reports the
    // new state, which arrives through changed(). Nothing runs once the extension object is gone.
    void switchOn(std::function<void(std::optional<std::string> whyNot)> done);

Q_SIGNALS:
    void changed();

private Q_SLOTS:
    void stateChanged(const QString& uuid, const QVariantMap& info);

private:
    void askInfo(std::uint64_t question);
    // The Shell's extension info, read with what is installed.
    void apply(const QVariantMap& info);
    void setState(State state, const QString& error);

    QDBusConnection bus_;
    Diagnostics& diagnostics_;
    QString uuid_;
    QString shellVersion_;
    State state_ = State::Unknown;
    QString error_;
    // Counts refresh(); only the answers to the latest are heard.
    std::uint64_t questions_ = 0;
};

// How the Shell's extension info (GetExtensionInfo) reads for vontal, given whether the
// extension's files are installed in a data directory and whether their metadata names the
// running Shell's version.
ShellExtension::State extensionState(const QVariantMap& info, bool installed,
                                     bool supportsShell = true);

// Whether an extension whose metadata lists these shell-version entries ("45", "46", …; "3.38"
// style entries name a minor release) is made for this Shell version ("48.7", "51.rc").
bool declaresShellVersion(const QStringList& declared, const QString& shellVersion);

// The log line for a state; empty for Unknown.
std::string extensionStateLine(ShellExtension::State state, const QString& uuid,
                               const QString& error, const QString& shellVersion = {});

} // namespace vontal
