#pragma once

#include <QString>

namespace vontal {

// Creates the directory and any missing parents with mode 0700; existing ones are left as they
// are. True when the directory exists afterwards.
bool makePrivateDirectory(const QString& path);

// Narrows an existing file to mode 0600; a missing file is not an error.
bool restrictToOwner(const QString& file);

// The user's configuration directory: $XDG_CONFIG_HOME when it is an absolute path, else
// ~/.config.
QString userConfigDirectory();

} // namespace vontal
