#include "settings/SharedFile.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SharedFile {

namespace {

int openNoCtty(const QByteArray &name, int flags, mode_t mode = 0)
{
    int fd;
    do {
        fd = ::open(name.constData(), flags | O_CLOEXEC | O_NOCTTY, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool writeAllAt(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool readAll(int fd, qint64 size, QByteArray *out)
{
    out->resize(qsizetype(size));
    qsizetype done = 0;
    while (done < out->size()) {
        const ssize_t n = ::pread(fd, out->data() + done, size_t(out->size() - done), off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += n;
    }
    out->truncate(done);
    return true;
}

// A new file beside the target, written and synced, with the old file's mode
// and group, renamed over the target. False when any of it is not possible;
// nothing is left behind then.
bool replace(const QByteArray &name, const QByteArray &bytes, const struct stat *old)
{
    QByteArray temp;
    int fd = -1;
    for (int attempt = 0; attempt < 20 && fd < 0; ++attempt) {
        temp = name + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        // 0666 less the umask for a new file, as any other program makes it.
        fd = openNoCtty(temp, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;
    bool ok = writeAllAt(fd, bytes);
    if (ok && old != nullptr) {
        ok = ::fchmod(fd, old->st_mode & 07777) == 0;
        if (ok && old->st_gid != getegid())
            ok = ::fchown(fd, uid_t(-1), old->st_gid) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.constData(), name.constData()) == 0;
    if (!ok)
        ::unlink(temp.constData());
    return ok;
}

bool writeInPlace(const QByteArray &name, const QByteArray &bytes)
{
    const int fd = openNoCtty(name, O_RDWR);
    if (fd < 0)
        return false;
    struct stat st {};
    QByteArray old;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && readAll(fd, st.st_size, &old);
    if (ok && bytes.size() > old.size()) {
        // Room first, so that a full disk stops us before anything changed.
        const int r = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        if (r != 0 && r != EOPNOTSUPP && r != EINVAL) {
            [[maybe_unused]] const int ignored = ::ftruncate(fd, off_t(old.size()));
            ok = false;
        }
    }
    if (ok) {
        ok = writeAllAt(fd, bytes) && ::ftruncate(fd, off_t(bytes.size())) == 0 && ::fsync(fd) == 0;
        if (!ok && writeAllAt(fd, old)) {
            [[maybe_unused]] const int ignored = ::ftruncate(fd, off_t(old.size()));
            ::fsync(fd);
        }
    }
    ::close(fd);
    return ok;
}

} // namespace

Lock::Lock(const QString &path, bool exclusive, int waitMs)
{
    const QByteArray lockName = QFile::encodeName(path + QStringLiteral(".lock"));
    // Opened without O_CREAT first: in a sticky folder another user's lock
    // file may not be opened for creating.
    fd_ = openNoCtty(lockName, O_RDONLY | O_NOFOLLOW);
    if (fd_ < 0 && errno == ENOENT) {
        fd_ = openNoCtty(lockName, O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0644);
        if (fd_ >= 0)
            ::fchmod(fd_, 0644); // readable for every user of the file, whatever our umask
        else if (errno == EEXIST)
            fd_ = openNoCtty(lockName, O_RDONLY | O_NOFOLLOW);
    }
    if (fd_ < 0)
        fd_ = openNoCtty(QFile::encodeName(path), O_RDONLY);
    if (fd_ < 0)
        return;
    // flock cannot wait with a time limit: ask again with growing pauses.
    const int operation = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    int waited = 0, pause = 5;
    while (::flock(fd_, operation) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= waitMs) {
            held_ = errno != EWOULDBLOCK && errno != EINTR; // a file system without locks: go on
            return;
        }
        const timespec ts{pause / 1000, (pause % 1000) * 1000000L};
        ::nanosleep(&ts, nullptr);
        waited += pause;
        pause = std::min(pause * 2, 100);
    }
}

Lock::~Lock()
{
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
}

bool Write(const QString &path, const QByteArray &bytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        return errno == ENOENT && replace(name, bytes, nullptr);
    // A file that we may not write stays as it is, even where the folder
    // would let us replace it.
    if (::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
        return false;
    if (S_ISREG(st.st_mode) && st.st_uid == geteuid() && replace(name, bytes, &st))
        return true;
    return writeInPlace(name, bytes);
}

} // namespace SharedFile
