#include "update/install/InstallLauncher.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <unistd.h>

namespace UpdateInstall {

namespace {

// Reads stdin until every holder of the pipe's other end is gone, that is
// until the program has ended (the kernel closes its files after it has
// unmapped the program file), then runs the script. The launcher holds the
// lock on descriptor 3 until the script has ended; the script runs without it,
// so that nothing it starts (the restarted program) keeps the lock.
constexpr char Waiter[] = "while IFS= read -r _; do :; done\n"
                          "echo \"Kielwanz-Update $(date): $1\"\n"
                          "/bin/sh \"$1\" </dev/null 3>&-\n"
                          "echo \"Kielwanz-Update: Ende mit Status $?\"\n";

constexpr int LockFdInLauncher = 3;

// A copy of `fd` above the standard descriptors, so that placing it on 0 to 3
// in the launcher can never overwrite another of the ones being placed.
int lifted(int fd)
{
    return fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 10) : -1;
}

struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

QString InstallLock::fileName(const QString &tempDir)
{
    return (tempDir.endsWith(u'/') ? tempDir : tempDir + u'/') + QStringLiteral("Update.lock");
}

InstallLock::Outcome InstallLock::tryLock(const QString &tempDir)
{
    if (fd_ >= 0)
        return Outcome::Locked;
    const QByteArray path = QFile::encodeName(fileName(tempDir));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Outcome::Failed;
    int locked;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        const bool busy = errno == EWOULDBLOCK;
        ::close(fd);
        return busy ? Outcome::Busy : Outcome::Failed;
    }
    fd_ = fd;
    return Outcome::Locked;
}

void InstallLock::release()
{
    // Never LOCK_UN: that would take the lock from a launcher sharing it.
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool StartInstallation(const QString &scriptPath, const QString &logPath, int lockFd)
{
    const QFileInfo script(scriptPath);
    if (!script.isFile())
        return false;
    QByteArray shell = "/bin/sh";
    QByteArray dashC = "-c";
    QByteArray waiter = Waiter;
    QByteArray name = "kielwanz-update";
    QByteArray scriptArg = QFile::encodeName(script.absoluteFilePath());
    const QByteArray folder = QFile::encodeName(script.absolutePath());
    char *const argv[] = {shell.data(), dashC.data(), waiter.data(), name.data(), scriptArg.data(), nullptr};

    int waitPipe[2];
    if (::pipe2(waitPipe, O_CLOEXEC) != 0)
        return false;
    Fd readEnd{lifted(waitPipe[0])};
    ::close(waitPipe[0]);
    const int writeEnd = waitPipe[1];
    Fd log{::open(QFile::encodeName(logPath).constData(),
                  O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600)};
    if (log.fd < 0)
        log.fd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    Fd logFd{lifted(log.fd)};
    Fd lock{lifted(lockFd)};
    if (readEnd.fd < 0 || logFd.fd < 0 || (lockFd >= 0 && lock.fd < 0)) {
        ::close(writeEnd);
        return false;
    }

    // Everything the launcher needs is arranged by posix_spawn itself: no
    // code of ours runs in the new process before the shell.
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_adddup2(&actions, readEnd.fd, 0);
    posix_spawn_file_actions_adddup2(&actions, logFd.fd, 1);
    posix_spawn_file_actions_adddup2(&actions, logFd.fd, 2);
    if (lock.fd >= 0)
        posix_spawn_file_actions_adddup2(&actions, lock.fd, LockFdInLauncher);
    posix_spawn_file_actions_addclosefrom_np(&actions, lock.fd >= 0 ? LockFdInLauncher + 1 : 3);
    posix_spawn_file_actions_addchdir_np(&actions, folder.constData());
    sigset_t none, standard;
    sigemptyset(&none);
    sigemptyset(&standard);
    for (int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD})
        sigaddset(&standard, signal);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &standard);
    // A session of its own: no terminal whose closing would end it.
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t launcher = -1;
    const int error = ::posix_spawn(&launcher, argv[0], &actions, &attr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (error != 0) {
        ::close(writeEnd);
        return false;
    }
    // writeEnd stays open on purpose until this process ends. The launcher
    // stays our child until then; it cannot end before us, so it never waits
    // as a zombie.
    return true;
}

} // namespace UpdateInstall
