#include "settings_defaults.h"

#include "defaults_variant.h"
#include "platform/diagnostics.h"
#include "private_files.h"
#include "settings_json.h"
#include "settings_keys.h"
#include "settings_lint.h"

#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSettings>
#include <QtDebug>
#include <chrono>

namespace vontal {

namespace {

std::unique_ptr<QSettings> openSettings(const QString& path) {
    auto settings = std::make_unique<QSettings>(path, jsonSettingsFormat());
    // Never fall back to rewriting the file in place: a crash then could leave half a file.
    settings->setAtomicSyncRequired(true);
    return settings;
}

// QSettings serialises writers with a QLockFile named "<file>.lock". A writer killed between
// creating that file and writing its process id into it leaves a lock whose owner cannot be told,
// and QSettings would wait 30 seconds for it to age. Such a lock is cleared here once it is a
// tenth of a second old; QLockFile removes a lock only when no process holds its flock, so a live
// writer is not disturbed. Costs nothing when there is no lock file, which is the usual case.
void clearAbandonedLock(const QString& path) {
    const QString lockPath = path + QStringLiteral(".lock");
    if (!QFileInfo::exists(lockPath))
        return;
    QLockFile lock(lockPath);
    lock.setStaleLockTime(std::chrono::milliseconds(100));
    if (lock.tryLock(300))
        lock.unlock();
}

// The file to read and replace: the target of a symbolic link, so that the link stays and its
// target is replaced. A target that is there but is no settings file (a link to ~/.bashrc) is
// left untouched, and the link itself is kept aside to make room for a new file.
QString fileToUse(const QString& path) {
    const QFileInfo link(path);
    if (!link.isSymLink())
        return path;
    const QString target = link.symLinkTarget();
    QFile file(target);
    if (!file.exists())
        return target; // the first write creates it
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        // QSettings reads an empty file as an empty store.
        if (bytes.isEmpty() || parseSettingsJson(bytes))
            return target;
    }
    keepSettingsFileAside(path);
    return path;
}

bool isReadOnly(const QString& file) {
    const QFileInfo info(file);
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

} // namespace

SettingsDefaults::SettingsDefaults(const std::string& path, Diagnostics* diagnostics) {
    const QString given = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    makePrivateDirectory(QFileInfo(given).path());
    path_ = fileToUse(given);
    clearAbandonedLock(path_);
    settings_ = openSettings(path_);
    if (settings_->status() == QSettings::FormatError) {
        // The unreadable file has been moved aside while being read; start over on an empty
        // store so that the error does not stick to this instance.
        settings_ = openSettings(path_);
    } else if (!isReadOnly(path_)) {
        // A settings file left readable by others (copied in, or written by an older version)
        // is narrowed once it has been read as one; from then on every write keeps it at 0600.
        restrictToOwner(path_);
    }
    if (diagnostics) {
        for (const QString& line : ignoredEntries(*settings_))
            diagnostics->line(line.toStdString());
    }
}

SettingsDefaults::~SettingsDefaults() = default;

std::string SettingsDefaults::defaultPath() {
    return (userConfigDirectory() + QStringLiteral("/vontal/vontal.json")).toStdString();
}

std::optional<DefaultsValue> SettingsDefaults::valueForKey(const std::string& key) const {
    const QVariant value = settings_->value(escapeSettingsKey(QString::fromStdString(key)));
    if (!value.isValid())
        return std::nullopt;
    return fromVariant(value);
}

void SettingsDefaults::setValue(const std::string& key, const DefaultsValue& value) {
    settings_->setValue(escapeSettingsKey(QString::fromStdString(key)), toVariant(value));
    writeThrough();
}

void SettingsDefaults::removeObjectForKey(const std::string& key) {
    settings_->remove(escapeSettingsKey(QString::fromStdString(key)));
    writeThrough();
}

void SettingsDefaults::writeThrough() {
    // The directory may have been removed since start-up; QSettings would recreate it with the
    // default mode.
    makePrivateDirectory(QFileInfo(path_).path());
    clearAbandonedLock(path_);
    settings_->sync();
    if (settings_->status() == QSettings::AccessError && !reportedWriteFailure_) {
        reportedWriteFailure_ = true;
        qWarning("vontal: could not write settings file %s", qUtf8Printable(path_));
    }
}

} // namespace vontal
