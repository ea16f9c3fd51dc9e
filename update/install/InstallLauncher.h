#pragma once

#include <QString>

namespace UpdateInstall {

// Keeps two running copies of the program from preparing or installing an
// update in the same private temporary folder at once: taken before step 5
// touches anything, handed on to the launcher at program end, and held by it
// until the installation script has finished. A lock file beside the
// prepared installation carries it (flock, released when every descriptor of
// it is closed, whatever way its holder ends).
class InstallLock {
public:
    enum class Outcome { Locked, Busy, Failed };

    InstallLock() = default;
    InstallLock(const InstallLock &) = delete;
    InstallLock &operator=(const InstallLock &) = delete;
    ~InstallLock() { release(); }

    Outcome tryLock(const QString &tempDir);
    bool held() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    // Closes this copy's descriptor; a launcher that was handed the lock keeps it.
    void release();

    static QString fileName(const QString &tempDir);

private:
    int fd_ = -1;
};

// Starts `scriptPath` with /bin/sh once this process has ended: a launcher
// in a session of its own (no terminal, no window), started with
// posix_spawn, waits without polling for the end of this process, then runs
// the script with its output in `logPath` (truncated; created private to the
// user) and its working folder the script's folder. The launcher holds
// `lockFd` (an InstallLock's descriptor, or -1) until the script has ended;
// the script's own commands do not inherit it. Returns false when the
// launcher could not be started; the program then simply ends without
// installing.
//
// Call it once, as late as possible (when the wizard is destroyed): the launcher
// waits on a pipe whose other end this process holds until it exits.
bool StartInstallation(const QString &scriptPath, const QString &logPath, int lockFd = -1);

} // namespace UpdateInstall
