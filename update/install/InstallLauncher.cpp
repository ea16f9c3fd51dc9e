#include "update/install/InstallLauncher.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace UpdateInstall {

namespace {

// Reads stdin until every holder of the pipe's other end is gone, that is
// until the program has ended (the kernel closes its files after it has
// unmapped the program file), then runs the script.
constexpr char Waiter[] = "while IFS= read -r _; do :; done\n"
                          "echo \"Kielwanz-Update $(date): $1\"\n"
                          "/bin/sh \"$1\" </dev/null\n"
                          "echo \"Kielwanz-Update: Ende mit Status $?\"\n";

void closeFrom(int lowest)
{
    if (::close_range(unsigned(lowest), ~0U, 0) == 0)
        return;
    const long highest = ::sysconf(_SC_OPEN_MAX);
    for (long fd = lowest; fd < (highest > 0 ? highest : 1024); ++fd)
        ::close(int(fd));
}

// Only async-signal-safe calls from here on: the parent has other threads.
[[noreturn]] void runLauncher(int waitFd, int reportFd, const char *logPath, const char *folder,
                              char *const argv[])
{
    // Lift every descriptor we need above the standard ones first: a program
    // started without them may have got 0 to 2 for its pipes.
    waitFd = ::fcntl(waitFd, F_DUPFD_CLOEXEC, 10);
    reportFd = ::fcntl(reportFd, F_DUPFD_CLOEXEC, 10);
    int logFd = ::open(logPath, O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (logFd < 0)
        logFd = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (logFd >= 0)
        logFd = ::fcntl(logFd, F_DUPFD_CLOEXEC, 10);
    if (waitFd < 0 || reportFd < 0 || logFd < 0 || ::dup2(waitFd, 0) < 0 || ::dup2(logFd, 1) < 0 ||
        ::dup2(logFd, 2) < 0 || ::dup2(reportFd, 3) < 0) {
        const int error = errno;
        if (reportFd >= 0)
            (void)!::write(reportFd, &error, sizeof error);
        ::_exit(127);
    }
    // 0 to 2 survive the exec; the report pipe (3) closes itself on exec, and
    // nothing else of the program's reaches the script.
    ::fcntl(3, F_SETFD, FD_CLOEXEC);
    closeFrom(4);
    if (::chdir(folder) != 0)
        (void)!::chdir("/");
    struct sigaction standard = {};
    standard.sa_handler = SIG_DFL;
    for (int signal : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD})
        ::sigaction(signal, &standard, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execv(argv[0], argv);
    const int error = errno;
    (void)!::write(3, &error, sizeof error);
    ::_exit(127);
}

} // namespace

bool StartInstallation(const QString &scriptPath, const QString &logPath)
{
    const QFileInfo script(scriptPath);
    if (!script.isFile())
        return false;
    QByteArray shell = "/bin/sh";
    QByteArray dashC = "-c";
    QByteArray waiter = Waiter;
    QByteArray name = "kielwanz-update";
    QByteArray scriptArg = QFile::encodeName(script.absoluteFilePath());
    const QByteArray log = QFile::encodeName(logPath);
    const QByteArray folder = QFile::encodeName(script.absolutePath());
    char *const argv[] = {shell.data(), dashC.data(), waiter.data(), name.data(), scriptArg.data(), nullptr};

    int waitPipe[2];
    int reportPipe[2];
    if (::pipe2(waitPipe, O_CLOEXEC) != 0)
        return false;
    if (::pipe2(reportPipe, O_CLOEXEC) != 0) {
        ::close(waitPipe[0]);
        ::close(waitPipe[1]);
        return false;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        // A session of its own and a second fork: the launcher has no
        // terminal and is nobody's child here, so it outlives the program.
        ::setsid();
        const pid_t launcher = ::fork();
        if (launcher != 0)
            ::_exit(launcher > 0 ? 0 : 1);
        runLauncher(waitPipe[0], reportPipe[1], log.constData(), folder.constData(), argv);
    }
    ::close(waitPipe[0]);
    ::close(reportPipe[1]);
    bool started = child > 0;
    if (started) {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        started = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    if (started) {
        // Closed by the successful exec: nothing to read means the launcher runs.
        int error = 0;
        ssize_t got;
        while ((got = ::read(reportPipe[0], &error, sizeof error)) < 0 && errno == EINTR) {
        }
        started = got == 0;
    }
    ::close(reportPipe[0]);
    if (!started)
        ::close(waitPipe[1]);
    // Otherwise waitPipe[1] stays open on purpose until this process ends.
    return started;
}

} // namespace UpdateInstall
