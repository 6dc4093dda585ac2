#include "platform/kde/kwin_script_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace vontal {

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
