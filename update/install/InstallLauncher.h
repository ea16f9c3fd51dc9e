#pragma once

#include <QString>

namespace UpdateInstall {

// Starts `scriptPath` with /bin/sh once this process has ended: a detached
// launcher in a session of its own (no terminal, no window) waits without
// polling for the end of this process, then runs the script with its output
// in `logPath` (truncated; created private to the user) and its working
// folder the script's folder. Returns false when the launcher could not be
// started; the program then simply ends without installing.
//
// Call it once, as late as possible (the wizard's FormDestroy): the launcher
// waits on a pipe whose other end this process holds until it exits.
bool StartInstallation(const QString &scriptPath, const QString &logPath);

} // namespace UpdateInstall
