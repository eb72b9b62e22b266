#include "fileclaim.h"

#include <QCryptographicHash>
#include <QFile>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace sonvera {

namespace {

QByteArray firstLine(const char *path)
{
    QFile file(QString::fromLatin1(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readLine(256).trimmed();
}

QByteArray eightHexDigits(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha1).toHex().left(8);
}

bool isLowerHex(QByteArrayView digits)
{
    for (const char c : digits) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return true;
}

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

const WriterTag &thisWriter()
{
    static const WriterTag tag = [] {
        char host[HOST_NAME_MAX + 1] = {};
        ::gethostname(host, sizeof host - 1);
        QByteArray machine = firstLine("/etc/machine-id");
        if (machine.isEmpty())
            machine = firstLine("/var/lib/dbus/machine-id");
        return WriterTag{eightHexDigits(machine + '\n' + host),
                         eightHexDigits(firstLine("/proc/sys/kernel/random/boot_id"))};
    }();
    return tag;
}

bool readWriterTag(QByteArrayView text, WriterTag &tag)
{
    if (text.size() < kWriterTagSize || text[8] != '-' || !isLowerHex(text.first(8)) || !isLowerHex(text.sliced(9, 8)))
        return false;
    tag = {text.first(8).toByteArray(), text.sliced(9, 8).toByteArray()};
    return true;
}

QByteArrayList entryNames(int folderFd)
{
    QByteArrayList names;
    const int fd = ::dup(folderFd);
    DIR *dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0)
            ::close(fd);
        return names;
    }
    ::rewinddir(dir); // the duplicate shares its position with folderFd
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names << name;
    }
    ::closedir(dir);
    return names;
}

FileClaim::FileClaim(FileClaim &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_locked(std::exchange(other.m_locked, false))
{
}

FileClaim &FileClaim::operator=(FileClaim &&other) noexcept
{
    if (this != &other) {
        release();
        m_fd = std::exchange(other.m_fd, -1);
        m_locked = std::exchange(other.m_locked, false);
    }
    return *this;
}

FileClaim FileClaim::create(const QByteArray &path, int mode, int &error)
{
    // Close-on-exec: the lock is this process's; ffmpeg and other children
    // end with it anyway.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    if (fd < 0) {
        error = errno;
        return {};
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool sweeping = errno == EWOULDBLOCK;
        if (!sweeping)
            return FileClaim(fd, false); // no locks on this file system
        ::close(fd); // a sweep holds it and deletes it
        error = EAGAIN;
        return {};
    }
    FileClaim claim(fd, true);
    // A sweep may have locked and deleted the new file before we locked it.
    if (!claim.isStillAt(AT_FDCWD, path)) {
        error = EAGAIN;
        return {};
    }
    return claim;
}

FileClaim FileClaim::takeAbandoned(int folderFd, const QByteArray &name)
{
    // Only a regular file is opened at all (opening a device can act on it);
    // the check after opening makes sure that it is still the same one.
    struct stat before {};
    if (::fstatat(folderFd, name.constData(), &before, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(before.st_mode)
        || before.st_uid != ::geteuid())
        return {};
    // Read-write: NFS lends an exclusive lock only to a writer.
    const int fd = ::openat(folderFd, name.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !sameFile(before, opened)) {
        ::close(fd);
        return {};
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
        return FileClaim(fd, true);
    if (errno == EWOULDBLOCK) { // its maker still runs
        ::close(fd);
        return {};
    }
    return FileClaim(fd, false);
}

bool FileClaim::isStillAt(int folderFd, const QByteArray &name) const
{
    struct stat held {};
    struct stat named {};
    return m_fd >= 0 && ::fstat(m_fd, &held) == 0 && held.st_nlink > 0
        && ::fstatat(folderFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(held, named);
}

void FileClaim::release()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1)); // closing drops the lock
    m_locked = false;
}

} // namespace sonvera
