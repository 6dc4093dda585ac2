#include "xdg_login_item_service.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace vontal {

namespace {

const QString kHelperName = QStringLiteral("vontalloginhelper");

// An identifier becomes a file name: it must not climb out of the autostart folder.
bool canNameEntry(const std::string& id) {
    return !id.empty() && id != "." && id != ".." && id.find('/') == std::string::npos &&
           id.find('\0') == std::string::npos;
}

} // namespace

XdgLoginItemService::XdgLoginItemService(std::string helperPath)
    : helperPath_(std::move(helperPath)) {}

std::unique_ptr<LoginItem>
XdgLoginItemService::loginItemServiceWithIdentifier(const std::string& id) {
    std::string entryPath;
    if (canNameEntry(id))
        entryPath = autostartDirectory() + '/' + id + ".desktop";
    return std::make_unique<XdgLoginItem>(id, std::move(entryPath), helperPath_);
}

std::string XdgLoginItemService::findInstalledHelper() {
    // applicationDirPath() needs the application object; without one only PATH is searched.
    const QString beside =
        QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    return findHelper(beside.toStdString(), qEnvironmentVariable("PATH").toStdString());
}

std::string XdgLoginItemService::findHelper(const std::string& besideDirectory,
                                            const std::string& searchPath) {
    if (!besideDirectory.empty()) {
        const QString beside =
            QStandardPaths::findExecutable(kHelperName, {QString::fromStdString(besideDirectory)});
        if (!beside.isEmpty())
            return beside.toStdString();
    }
    const QStringList path =
        QString::fromStdString(searchPath).split(QDir::listSeparator(), Qt::SkipEmptyParts);
    if (path.isEmpty())
        return {};
    return QStandardPaths::findExecutable(kHelperName, path).toStdString();
}

std::string XdgLoginItemService::autostartDirectory() {
    QString configHome = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (configHome.isEmpty() || !QDir::isAbsolutePath(configHome))
        configHome = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(configHome + QStringLiteral("/autostart")).toStdString();
}

} // namespace vontal
