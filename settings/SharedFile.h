#pragma once

#include <QByteArray>
#include <QString>

// A small file that several users may read and write, like a settings file
// in a shared folder.
namespace SharedFile {

// An flock on "<path>.lock" beside the file while the object lives, shared
// or exclusive. When that lock file can be neither opened nor created, the
// file itself is locked. Waits at most waitMs for another holder.
class Lock {
public:
    static constexpr int DefaultWaitMs = 10000;
    Lock(const QString &path, bool exclusive, int waitMs = DefaultWaitMs);
    ~Lock();
    Lock(const Lock &) = delete;
    Lock &operator=(const Lock &) = delete;
    // False when another holder kept it for the whole wait. With nothing to
    // lock on (no lock file possible and no file yet) it counts as held.
    bool held() const { return held_; }

private:
    int fd_ = -1;
    bool held_ = true;
};

// Writes the complete bytes so that the file is never left half-written. A
// file of our own is replaced by a new one with the same mode and group. A
// file of another owner, a link, or one the folder does not let us replace
// (a sticky or write-protected folder) is overwritten in place: the space is
// reserved first, then the whole content is written, cut to length and
// synced, so that owner and mode stay; should writing fail on the way, the
// old content is put back. A file we may not write is left alone. The caller
// holds the exclusive lock.
bool Write(const QString &path, const QByteArray &bytes);

} // namespace SharedFile
