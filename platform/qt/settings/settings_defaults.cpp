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
#include <QSaveFile>
#include <QtDebug>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vontal {

namespace {

using Stamp = SettingsDefaults::Stamp;

// Another writer holds the lock for the few milliseconds of one save; a holder that takes longer
// is stuck, and a change written without the lock beats a window that never comes.
constexpr int kLockWaitMs = 2000;

// Writers serialise with a QLockFile named "<file>.lock". A writer killed between creating that
// file and writing its process id into it leaves a lock whose owner cannot be told, and QLockFile
// would wait 30 seconds for it to age. Such a lock is cleared here once it is a tenth of a second
// old; QLockFile removes a lock only when no process holds its flock, so a live writer is not
// disturbed. Costs nothing when there is no lock file, which is the usual case.
void clearAbandonedLock(const QString& path) {
    const QString lockPath = path + QStringLiteral(".lock");
    if (!QFileInfo::exists(lockPath))
        return;
    QLockFile lock(lockPath);
    lock.setStaleLockTime(std::chrono::milliseconds(100));
    if (lock.tryLock(300))
        lock.unlock();
}

Stamp stampOf(const struct stat& st) {
    return {static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

// The file's stamp now; the empty stamp when it is not there.
Stamp currentStamp(const QString& file) {
    struct stat st {};
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? stampOf(st) : Stamp{};
}

struct Read {
    enum class Outcome { Missing, Entries, Unusable } outcome = Outcome::Missing;
    SettingsEntries entries;
    Stamp stamp;
    QString why; // for Unusable: how it is told
};

// Reads the file without ever waiting on it: opened non-blocking (a FIFO with no writer opens at
// once), and only a regular file is read, and no further than the limit.
Read readFile(const QString& file) {
    Read read;
    const int fd =
        ::open(QFile::encodeName(file).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        if (errno != ENOENT) {
            read.outcome = Read::Outcome::Unusable;
            read.why = QStringLiteral("cannot be opened");
        }
        return read;
    }
    struct stat st {};
    QByteArray bytes;
    read.outcome = Read::Outcome::Unusable;
    if (::fstat(fd, &st) != 0) {
        read.why = QStringLiteral("cannot be read");
    } else if (!S_ISREG(st.st_mode)) {
        read.why = QStringLiteral("is not a regular file");
    } else if (st.st_size > SettingsDefaults::kMaxFileBytes) {
        read.why = QStringLiteral("is larger than 16 MiB");
    } else {
        read.stamp = stampOf(st);
        // Read to its end, which may have moved since fstat, but never past the limit.
        bytes.reserve(static_cast<qsizetype>(st.st_size) + 1);
        qsizetype total = 0;
        char chunk[65536];
        while (total <= SettingsDefaults::kMaxFileBytes) {
            const ssize_t got = ::read(fd, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                break;
            bytes.append(chunk, got);
            total += got;
        }
        if (total > SettingsDefaults::kMaxFileBytes) {
            read.why = QStringLiteral("is larger than 16 MiB");
        } else if (bytes.isEmpty()) {
            read.outcome = Read::Outcome::Entries; // a file just created: an empty store
        } else if (auto parsed = parseSettingsJson(bytes)) {
            read.outcome = Read::Outcome::Entries;
            read.entries = std::move(*parsed);
        } else {
            read.why = QStringLiteral("cannot be read");
        }
    }
    ::close(fd);
    return read;
}

bool isReadOnly(const QString& file) {
    const QFileInfo info(file);
    return info.exists() && !(info.permissions() & QFileDevice::WriteOwner);
}

} // namespace

SettingsDefaults::SettingsDefaults(const std::string& path, Diagnostics* diagnostics) {
    const QString given = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    makePrivateDirectory(QFileInfo(given).path());
    // A symbolic link is followed, so that the link stays and its target is replaced. A target
    // that is there but is no settings file (a link to ~/.bashrc, to /dev/zero) is left untouched,
    // and the link itself is kept aside to make room for a new file.
    const QFileInfo link(given);
    path_ = link.isSymLink() ? link.symLinkTarget() : given;
    clearAbandonedLock(path_);
    Read read = readFile(path_);
    if (read.outcome == Read::Outcome::Unusable) {
        keepSettingsFileAside(given, read.why);
        path_ = given;
        read = {};
    }
    entries_ = std::move(read.entries);
    stamp_ = read.stamp;
    // A settings file left readable by others (copied in, or written by an older version) is
    // narrowed once it has been read as one; from then on every write keeps it at 0600.
    if (read.outcome == Read::Outcome::Entries && !isReadOnly(path_))
        restrictToOwner(path_);
    if (diagnostics) {
        for (const QString& line : ignoredEntries(entries_))
            diagnostics->line(line.toStdString());
    }
}

SettingsDefaults::~SettingsDefaults() = default;

std::string SettingsDefaults::defaultPath() {
    return (userConfigDirectory() + QStringLiteral("/vontal/vontal.json")).toStdString();
}

std::optional<DefaultsValue> SettingsDefaults::valueForKey(const std::string& key) const {
    const auto found = entries_.constFind(escapeSettingsKey(QString::fromStdString(key)));
    if (found == entries_.constEnd())
        return std::nullopt;
    return fromVariant(found->value);
}

std::vector<std::string> SettingsDefaults::keys() const {
    std::vector<std::string> all;
    for (auto entry = entries_.constBegin(); entry != entries_.constEnd(); ++entry)
        if (fromVariant(entry->value))
            all.push_back(unescapeSettingsKey(entry.key()).toStdString());
    return all;
}

void SettingsDefaults::setValue(const std::string& key, const DefaultsValue& value) {
    const QString escaped = escapeSettingsKey(QString::fromStdString(key));
    const SettingsEntry entry = settingsEntry(toVariant(value));
    writeThrough([&](SettingsEntries& entries) { entries.insert(escaped, entry); });
}

void SettingsDefaults::removeObjectForKey(const std::string& key) {
    const QString escaped = escapeSettingsKey(QString::fromStdString(key));
    writeThrough([&](SettingsEntries& entries) { entries.remove(escaped); });
}

void SettingsDefaults::writeThrough(const std::function<void(SettingsEntries&)>& change) {
    // The directory may have been removed since start-up; it comes back private.
    makePrivateDirectory(QFileInfo(path_).path());
    clearAbandonedLock(path_);
    QLockFile lock(path_ + QStringLiteral(".lock"));
    [[maybe_unused]] const bool locked = lock.tryLock(kLockWaitMs);

    // Another process replaced the file: its entries are the ones to change. A file that is gone
    // or unusable says nothing about the entries, so those held here are written back whole.
    if (currentStamp(path_) != stamp_) {
        Read read = readFile(path_);
        if (read.outcome == Read::Outcome::Entries)
            entries_ = std::move(read.entries);
        else if (read.outcome == Read::Outcome::Unusable)
            keepSettingsFileAside(path_, read.why,
                                  QStringLiteral("wrote the settings in use in its place"));
    }
    SettingsEntries changed = entries_;
    change(changed);
    const QByteArray bytes = serializeSettingsJson(changed);
    if (bytes.size() > kMaxFileBytes) {
        if (!reportedTooLarge_)
            qWarning("vontal: settings file %s would grow past 16 MiB; the change is not kept",
                     qUtf8Printable(path_));
        reportedTooLarge_ = true;
        return;
    }
    reportedTooLarge_ = false;
    entries_ = std::move(changed);

    // A file its owner made read-only stays as it is, even for root, whom the system would let
    // replace it; the write fails and is reported like any other.
    bool written = false;
    if (!isReadOnly(path_)) {
        QSaveFile file(path_);
        // The mode is set on the new file before it replaces the old one, so there is no moment
        // at which it is readable by others.
        written = file.open(QIODevice::WriteOnly) &&
                  file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                  file.write(bytes) == bytes.size() && file.commit();
    }
    stamp_ = currentStamp(path_);
    if (!written && !reportedWriteFailure_) {
        reportedWriteFailure_ = true;
        qWarning("vontal: could not write settings file %s", qUtf8Printable(path_));
    }
}

} // namespace vontal
