#include "update/install/SafeUnzip.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QStorageInfo>

#include "update/UpdateLibraries.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace UpdateInstall {

namespace {

constexpr qsizetype MaxNameBytes = 255;
constexpr qsizetype EndOfCentralDirectoryBytes = 22;

// Loaded before the first archive is opened (UnzipFlat).
const UpdateLibraries::Zip &zipLib()
{
    return *UpdateLibraries::zip();
}

struct PlannedEntry {
    zip_uint64_t index;
    QByteArray name;
    zip_uint64_t size;
    mode_t mode; // permission bits to create the file with (the umask applies)
};

struct ZipCloser {
    zip_t *archive = nullptr;
    ~ZipCloser()
    {
        if (archive)
            zipLib().discard(archive);
    }
};

struct FdCloser {
    int fd = -1;
    ~FdCloser()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

UnzipResult failure(UnzipError error, const QString &detail = {})
{
    UnzipResult result;
    result.Error = error;
    result.Detail = detail;
    return result;
}

bool hasControlCharacter(const QByteArray &name)
{
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            return true;
    }
    return false;
}

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Checks every entry before anything is written, so that a refused archive
// leaves no trace.
UnzipResult planEntries(zip_t *archive, const UnzipLimits &limits, QList<PlannedEntry> &plan)
{
    const zip_int64_t count = zipLib().get_num_entries(archive, 0);
    if (count < 0)
        return failure(UnzipError::Damaged);
    if (count > limits.MaxEntries)
        return failure(UnzipError::TooLarge);
    zip_uint64_t total = 0;
    for (zip_uint64_t i = 0; i < zip_uint64_t(count); ++i) {
        zip_stat_t st;
        zipLib().stat_init(&st);
        if (zipLib().stat_index(archive, i, ZIP_FL_ENC_GUESS, &st) != 0 || !(st.valid & ZIP_STAT_NAME) ||
            !(st.valid & ZIP_STAT_SIZE))
            return failure(UnzipError::Damaged);
        const QByteArray fullName(st.name);
        const QString shownName = QString::fromUtf8(fullName);
        if (hasControlCharacter(fullName))
            return failure(UnzipError::BadEntry, shownName);

        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        if (zipLib().file_get_external_attributes(archive, i, 0, &system, &attributes) != 0)
            return failure(UnzipError::Damaged);
        const zip_uint32_t mode = attributes >> 16;
        const zip_uint32_t type = system == ZIP_OPSYS_UNIX ? (mode & S_IFMT) : 0;
        if (type == S_IFLNK)
            return failure(UnzipError::LinkEntry, shownName);
        // Any other type (zip records a FIFO for data read from a pipe) is
        // unpacked as a plain file with the entry's data.

        const QByteArray name = FlatEntryName(fullName);
        if (name.isEmpty() || type == S_IFDIR)
            continue; // folders are flattened away
        if (name == "." || name == ".." || name.size() > MaxNameBytes)
            return failure(UnzipError::BadEntry, shownName);
        if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
            return failure(UnzipError::Encrypted, shownName);
        if (st.size > zip_uint64_t(limits.MaxTotalBytes) ||
            total + st.size > zip_uint64_t(limits.MaxTotalBytes))
            return failure(UnzipError::TooLarge, shownName);
        total += st.size;
        // A regular file keeps its permission bits, executable ones included
        // (never set-user-id and the like); the user can always read it.
        const mode_t permissions = type == S_IFREG ? mode_t((mode & 0777) | S_IRUSR) : mode_t(0666);
        plan += PlannedEntry{i, name, st.size, permissions};
    }
    return {};
}

UnzipResult writeEntry(zip_t *archive, int folderFd, const PlannedEntry &entry, const QString &path,
                       bool &created)
{
    created = false;
    FdCloser out;
    out.fd = ::openat(folderFd, entry.name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                      entry.mode);
    if (out.fd < 0) {
        if (errno == EEXIST)
            return {}; // the first entry of a bare name wins
        return failure(UnzipError::WriteFailed, path);
    }
    created = true;
    zip_file_t *in = zipLib().fopen_index(archive, entry.index, 0);
    if (!in)
        return failure(UnzipError::Damaged, QString::fromUtf8(entry.name));
    char buffer[64 * 1024];
    zip_uint64_t total = 0;
    UnzipResult result;
    for (;;) {
        const zip_int64_t got = zipLib().fread(in, buffer, sizeof buffer);
        if (got < 0) {
            result = failure(UnzipError::Damaged, QString::fromUtf8(entry.name));
            break;
        }
        if (got == 0)
            break;
        total += zip_uint64_t(got);
        // The declared size was checked against the limits; more data than
        // declared is a lie, whatever the decompressor thinks.
        if (total > entry.size) {
            result = failure(UnzipError::Damaged, QString::fromUtf8(entry.name));
            break;
        }
        if (!writeAll(out.fd, buffer, got)) {
            result = failure(errno == ENOSPC ? UnzipError::NoSpace : UnzipError::WriteFailed, path);
            break;
        }
    }
    if (zipLib().fclose(in) != 0 && result.ok())
        result = failure(UnzipError::Damaged, QString::fromUtf8(entry.name));
    if (result.ok() && total != entry.size)
        result = failure(UnzipError::Damaged, QString::fromUtf8(entry.name));
    const int closed = ::close(out.fd);
    out.fd = -1;
    if (result.ok() && closed != 0)
        result = failure(UnzipError::WriteFailed, path);
    return result;
}

} // namespace

QByteArray FlatEntryName(const QByteArray &entryName)
{
    qsizetype cut = -1;
    for (const char separator : {'/', '\\', ':'})
        cut = std::max(cut, entryName.lastIndexOf(separator));
    return entryName.mid(cut + 1);
}

bool PrepareEmptyFolder(const QString &folder)
{
    QString path = QDir::cleanPath(folder);
    const QFileInfo info(path);
    if (info.isSymLink() || (info.exists() && !info.isDir())) {
        // Never follow a link here: only the link itself goes.
        if (!QFile::remove(path))
            return false;
    } else if (info.exists()) {
        // removeRecursively deletes links found inside, not their targets.
        if (!QDir(path).removeRecursively())
            return false;
    }
    if (!QDir().mkpath(path))
        return false;
    return QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

UnzipResult UnzipFlat(QByteArrayView archiveData, const QString &folder, const UnzipLimits &limits)
{
    if (archiveData.size() < EndOfCentralDirectoryBytes || !UpdateLibraries::zip())
        return failure(UnzipError::Damaged);
    zip_error_t error;
    zipLib().error_init(&error);
    zip_source_t *source =
        zipLib().source_buffer_create(archiveData.data(), zip_uint64_t(archiveData.size()), 0, &error);
    if (!source) {
        zipLib().error_fini(&error);
        return failure(UnzipError::Damaged);
    }
    ZipCloser archive;
    archive.archive = zipLib().open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &error);
    zipLib().error_fini(&error);
    if (!archive.archive) {
        zipLib().source_free(source);
        return failure(UnzipError::Damaged);
    }

    QList<PlannedEntry> plan;
    UnzipResult result = planEntries(archive.archive, limits, plan);
    if (!result.ok())
        return result;

    qint64 declared = 0;
    for (const PlannedEntry &entry : plan)
        declared += qint64(entry.size);
    const qint64 available = QStorageInfo(folder).bytesAvailable();
    if (available >= 0 && declared > available)
        return failure(UnzipError::NoSpace);

    FdCloser folderFd;
    folderFd.fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (folderFd.fd < 0)
        return failure(UnzipError::WriteFailed, folder);

    const QString base = folder.endsWith(u'/') ? folder : folder + u'/';
    for (const PlannedEntry &entry : plan) {
        const QString path = base + QFile::decodeName(entry.name);
        bool created = false;
        const UnzipResult written = writeEntry(archive.archive, folderFd.fd, entry, path, created);
        if (created)
            result.Files += QFile::decodeName(entry.name);
        if (!written.ok()) {
            for (const QString &name : std::as_const(result.Files))
                ::unlinkat(folderFd.fd, QFile::encodeName(name).constData(), 0);
            return written;
        }
    }
    return result;
}

} // namespace UpdateInstall
