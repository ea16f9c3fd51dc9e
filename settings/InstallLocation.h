#pragma once

#include <QString>

namespace InstallLocation {

// Whether the program in `programFolder` was installed by the system's
// package manager, that is below /usr (the package puts it into /usr/games).
// Such a copy is kept up to date by the package manager alone: it never
// offers the update wizard and never writes its settings into its own
// folder, not even when run as root, where that folder is writable.
bool IsSystemInstallation(const QString &programFolder);

} // namespace InstallLocation
