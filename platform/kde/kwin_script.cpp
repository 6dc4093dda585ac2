#include "platform/kde/kwin_script.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vontal {

namespace {

// KWin answers these at once when it is well; vontal's window waits on the load at start, so a
// KWin that hangs costs it this much and no more (the first call that times out ends the load).
constexpr int kTimeoutMs = 2000;

QDBusMessage callScripting(QDBusConnection& bus, const QString& method,
                           const QVariantList& arguments = {}) {
    auto message =
        QDBusMessage::createMethodCall(QStringLiteral("org.kde.KWin"), QStringLiteral("/Scripting"),
                                       QStringLiteral("org.kde.kwin.Scripting"), method);
    message.setArguments(arguments);
    return bus.call(message, QDBus::Block, kTimeoutMs);
}

bool isError(const QDBusMessage& reply, std::string& whyNot) {
    if (reply.type() != QDBusMessage::ErrorMessage)
        return false;
    whyNot = "KWin's scripting interface answered " + reply.errorName().toStdString() + ": " +
             reply.errorMessage().toStdString();
    return true;
}

} // namespace

KwinScript::KwinScript(QDBusConnection bus, QString file)
    : bus_(std::move(bus)), file_(std::move(file)) {}

bool KwinScript::load(std::string& whyNot) {
    const QString name = QString::fromLatin1(kPluginName);
    const auto loaded = callScripting(bus_, QStringLiteral("isScriptLoaded"), {name});
    if (isError(loaded, whyNot))
        return false;
    if (!loaded.arguments().isEmpty() && loaded.arguments().first().toBool())
        unload();
    const auto id = callScripting(bus_, QStringLiteral("loadScript"), {file_, name});
    if (isError(id, whyNot))
        return false;
    if (id.arguments().isEmpty() || id.arguments().first().toInt() < 0) {
        whyNot = "KWin did not load " + file_.toStdString();
        return false;
    }
    // Runs every loaded script that is not running yet: ours.
    return !isError(callScripting(bus_, QStringLiteral("start")), whyNot);
}

void KwinScript::unload() {
    callScripting(bus_, QStringLiteral("unloadScript"), {QString::fromLatin1(kPluginName)});
}

QString findKwinScript(const QStringList& dataDirs, const QString& applicationDir) {
    QStringList candidates;
    for (const QString& dir : dataDirs)
        candidates << QDir(dir).filePath(QString::fromLatin1(kKwinScriptPath));
    candidates << QDir(applicationDir)
                      .filePath(QStringLiteral("../share/") + QString::fromLatin1(kKwinScriptPath));
    for (const QString& candidate : candidates) {
        // KWin reads the file itself, so it gets a clean absolute path.
        if (const QFileInfo info(candidate); info.isFile() && info.isReadable())
            return info.canonicalFilePath();
    }
    return {};
}

QString findKwinScript() {
    return findKwinScript(QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation),
                          QCoreApplication::applicationDirPath());
}

} // namespace vontal
