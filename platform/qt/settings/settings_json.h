#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>
#include <optional>

namespace vontal {

// The settings file is one JSON object, key → value, readable by a person. vontal writes:
//   text        "Kitchen"
//   integer     42
//   truth value true
//   dictionary  {"A1B2C3D4-0000-4000-8000-00000000ABCD": "Kitchen"}  (values: any kind but a
//               dictionary)
//   real number ["double", "0.1"]   (JSON cannot tell 5.0 from 5, nor write inf, nan or -0)
//   bytes       ["bytes", "AAEC"]   (base64)
// and reads those, and a hand-written decimal such as 2.5 as a real number.
//
// A file may hold more than vontal reads: entries of a newer vontal or of the user, of any JSON
// kind (null, lists, dictionaries inside dictionaries, numbers vontal would write otherwise). Each
// entry keeps its JSON text as the file holds it, and a save writes that text back unchanged, so
// nothing vontal does not set itself is lost or altered. Only a file that is not JSON, or whose
// top level is not an object, cannot be read.
struct SettingsEntry {
    // The value's JSON text: as read from the file, or as vontal writes `value`.
    QByteArray json;
    // What vontal reads from it, a kind settingsEntry takes; invalid when it is none of those.
    QVariant value;
};
// Keys are the QSettings (escaped) keys; the file holds them unescaped.
using SettingsEntries = QMap<QString, SettingsEntry>;

// The entry for a value vontal sets: QString, qlonglong (or int), double, bool, QByteArray, or a
// QVariantMap of those.
SettingsEntry settingsEntry(const QVariant& value);
std::optional<SettingsEntries> parseSettingsJson(const QByteArray& bytes);
QByteArray serializeSettingsJson(const SettingsEntries& entries);

// Moves a settings file (or the symbolic link at its place) aside to "<name>.corrupt-<UTC time>",
// keeping its mode, and says so in one line that gives `why` ("cannot be read", "is not a regular
// file") and what vontal does `instead`. The new name, or nothing when it could not be moved.
std::optional<QString>
keepSettingsFileAside(const QString& name, const QString& why = QStringLiteral("cannot be read"),
                      const QString& instead = QStringLiteral("started empty"));

} // namespace vontal
