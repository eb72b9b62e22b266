#pragma once

#include <QtGlobal>

#include <cerrno>

#include <unistd.h>

namespace sonvera::encoders {

// Writes all SIZE bytes at OFFSET of FD, going on after an interrupted call.
// False with errno set when a write fails (ENOSPC on a full disk).
inline bool writeAllAt(int fd, const char *data, qint64 size, qint64 offset)
{
    for (qint64 done = 0; done < size;) {
        const ssize_t n = ::pwrite(fd, data + done, size_t(size - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Reads all SIZE bytes at OFFSET of FD; a file that ends first fails with EIO.
inline bool readAllAt(int fd, char *data, qint64 size, qint64 offset)
{
    for (qint64 done = 0; done < size;) {
        const ssize_t n = ::pread(fd, data + done, size_t(size - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO; // the file shrank under us
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace sonvera::encoders
