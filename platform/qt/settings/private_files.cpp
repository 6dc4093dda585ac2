#include "private_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace vontal {

bool makePrivateDirectory(const QString& path) {
    QStringList missing;
    QString current = QDir::cleanPath(QDir(path).absolutePath());
    while (!QFileInfo(current).exists()) {
        missing.prepend(current);
        const QString parent = QFileInfo(current).path();
        if (parent == current)
            break;
        current = parent;
    }
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    for (const QString& dir : missing) {
        // Another process may create it at the same moment; what matters is that it exists.
        if (!QDir().mkdir(dir, mode) && !QFileInfo(dir).isDir())
            return false;
    }
    return QFileInfo(path).isDir();
}

bool restrictToOwner(const QString& file) {
    if (!QFileInfo::exists(file))
        return true;
    return QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString userConfigDirectory() {
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    return QDir::homePath() + QStringLiteral("/.config");
}

} // namespace vontal
