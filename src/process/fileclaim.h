#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QByteArrayView>

namespace sonvera {

// How a run proves that a file or folder it made is still in use, to other
// runs on this machine (whatever their PID namespace) and on others that
// share the folder: it holds an exclusive advisory lock (flock) on a file for
// as long as it needs it. The kernel drops the lock when the run ends in any
// way, SIGKILL and crashes included, so a file nobody holds a lock on has
// been abandoned. A lock proves that only where both sides see the same
// locks: always within one kernel, across machines only where the shared file
// system passes locks on (NFS with its lock service does, a `nolock` mount
// does not). So the names a run makes also carry who made them (WriterTag),
// and a sweep only ever considers what this host made.

// The host and the kernel boot a name was made under, each as 8 lowercase
// hex digits. The host digits come from /etc/machine-id and the host name
// (PID namespaces that share both are one host: their locks are one kernel's);
// the boot digits from the kernel's boot id, new at every start.
struct WriterTag {
    QByteArray host;
    QByteArray boot;

    QByteArray text() const { return host + '-' + boot; } // "3fa2c1d0-9b1e77a2"
};

// The length of WriterTag::text().
inline constexpr qsizetype kWriterTagSize = 17;

// This process's tag, worked out once.
const WriterTag &thisWriter();

// Reads a tag from the first kWriterTagSize bytes of `text` ("HOST-BOOT");
// false when they do not have that form.
bool readWriterTag(QByteArrayView text, WriterTag &tag);

// The names in the folder `folderFd`, without "." and "..", as their bytes.
QByteArrayList entryNames(int folderFd);

// An exclusive flock on an open regular file, held until release() or the
// object goes. This class never deletes the file itself.
class FileClaim final {
public:
    FileClaim() = default;
    FileClaim(FileClaim &&other) noexcept;
    FileClaim &operator=(FileClaim &&other) noexcept;
    ~FileClaim() { release(); }

    // Creates `path`, which must not exist, with `mode` and locks it. A sweep
    // that meets the new file before it is locked may take it away: the claim
    // then fails with EAGAIN and the caller tries another name. On a file
    // system without locks the file is made and kept open unlocked
    // (isLocked() false), and no sweep can prove it abandoned.
    static FileClaim create(const QByteArray &path, int mode, int &error);

    // Opens `name` in the folder `folderFd` when it is a regular file of this
    // user, and takes its lock when nobody holds it: proof that its maker has
    // ended. Holds nothing when someone holds the lock (or the file is not
    // such a file); open but unlocked when the file system has no locks.
    static FileClaim takeAbandoned(int folderFd, const QByteArray &name);

    bool isOpen() const { return m_fd >= 0; }
    bool isLocked() const { return m_fd >= 0 && m_locked; }
    // True while `name` in `folderFd` (AT_FDCWD for a path) is still the file
    // this claim has open, and not something that took its name since.
    bool isStillAt(int folderFd, const QByteArray &name) const;
    void release();

private:
    FileClaim(int fd, bool locked) : m_fd(fd), m_locked(locked) {}

    int m_fd = -1;
    bool m_locked = false;
};

} // namespace sonvera
