#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

// Flat, bounded extraction of an update archive: every entry lands directly
// in one folder under its bare file name, whatever folders, "..", drive
// letters or backslashes its name holds, and always as a plain file. Links
// refuse the whole archive, as do more entries or more bytes than allowed;
// the archive is checked completely before the first byte is written. A file
// gets its entry's permission bits (executable bits included, masked by the
// umask); entries without any get those of a new file.
namespace UpdateInstall {

struct UnzipLimits {
    qint64 MaxEntries = 10000;
    qint64 MaxTotalBytes = qint64(1) << 30; // unpacked, all entries together
};

enum class UnzipError {
    None,
    Damaged,     // not a zip archive, inconsistent, bad data or checksum
    TooLarge,    // too many entries or too many bytes
    BadEntry,    // a name that cannot be a file here
    LinkEntry,   // a symbolic link
    Encrypted,   // we have no password to give
    NoSpace,     // the disk cannot hold what the archive declares
    WriteFailed, // creating or writing a file failed
};

struct UnzipResult {
    UnzipError Error = UnzipError::None;
    QString Detail;    // the offending entry name or file path
    QStringList Files; // bare names written, in archive order
    bool ok() const { return Error == UnzipError::None; }
};

// Empties `folder` (its files, not what links inside it point to) or
// creates it, private to the user. False when that is not possible.
bool PrepareEmptyFolder(const QString &folder);

// Unpacks `archive` into the existing `folder`, which should be empty; when
// two entries share a bare name the first one wins. On failure nothing that
// was written stays behind.
UnzipResult UnzipFlat(QByteArrayView archive, const QString &folder, const UnzipLimits &limits = {});

// The bare file name an entry name is unpacked to: the part after the last
// "/", "\" or ":" (empty for a folder entry).
QByteArray FlatEntryName(const QByteArray &entryName);

} // namespace UpdateInstall
