#pragma once

#include "settings_json.h"

#include <QStringList>

namespace vontal {

// The entries of a settings file that vontal reads past because of their type or form, one line
// each, naming the entry and the kind vontal expects there (never its value): a password that is
// not text, a device identifier not written in upper case, device names that are not a dictionary
// of text under identifiers or under a key in the wrong case. A hand-edited file otherwise fails
// without a word: the device simply never connects. Entries of keys vontal does not know are
// not named: they may be a newer vontal's.
QStringList ignoredEntries(const SettingsEntries& entries);

} // namespace vontal
