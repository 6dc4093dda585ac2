#pragma once

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <optional>

namespace vontal {

// The settings file is one JSON object, key → value, readable by a person:
//   text        "Kitchen"
//   integer     42
//   truth value true
//   dictionary  {"A1B2C3D4-0000-4000-8000-00000000ABCD": "Kitchen"}  (values: any kind but a
//               dictionary)
//   real number ["double", "0.1"]   (JSON cannot tell 5.0 from 5, nor write inf, nan or -0)
//   bytes       ["bytes", "AAEC"]   (base64)
// Map keys are the QSettings (escaped) keys; the file holds them unescaped. Anything else in the
// file (null, other arrays, a dictionary inside a dictionary, malformed JSON) makes the whole file
// unreadable rather than silently dropping part of it.
std::optional<QSettings::SettingsMap> parseSettingsJson(const QByteArray& bytes);
QByteArray serializeSettingsJson(const QSettings::SettingsMap& map);

// Moves a settings file (or the symbolic link at its place) aside to "<name>.corrupt-<UTC time>",
// keeping its mode, and says so in one line that gives `why` ("cannot be read", "is not a regular
// file") and what vontal does `instead`. The new name, or nothing when it could not be moved.
std::optional<QString>
keepSettingsFileAside(const QString& name, const QString& why = QStringLiteral("cannot be read"),
                      const QString& instead = QStringLiteral("started empty"));

} // namespace vontal
