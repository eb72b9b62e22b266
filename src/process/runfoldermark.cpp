#include "runfoldermark.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonvera {

namespace {

// A real folder (no symbolic link) owned by this user.
bool isOwnFolder(const QByteArray &path, struct stat &st)
{
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
}

bool isMarked(const QByteArray &folder)
{
    struct stat st {};
    if (!isOwnFolder(folder, st) || (st.st_mode & 077) != 0)
        return false;
    const QByteArray marker = folder + '/' + kRunFolderMarkerName;
    struct stat mark {};
    return ::lstat(marker.constData(), &mark) == 0 && S_ISREG(mark.st_mode) && mark.st_uid == ::geteuid()
        && (mark.st_mode & 077) == 0 && mark.st_nlink == 1;
}

} // namespace

bool markRunFolder(const QString &runFolder)
{
    const QByteArray marker = QFile::encodeName(runFolder) + '/' + kRunFolderMarkerName;
    const int fd = ::open(marker.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool isInOwnRunFolder(const QString &folder)
{
    const QByteArray path = QFile::encodeName(QFileInfo(folder).absoluteFilePath());
    if (isMarked(path))
        return true;
    struct stat st {};
    const qsizetype slash = path.lastIndexOf('/');
    return slash > 0 && isOwnFolder(path, st) && isMarked(path.left(slash));
}

} // namespace sonvera
