#include "publish.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// Tries one name. 0 on success, else the errno; EEXIST means "taken".
int publishAs(const QByteArray &from, const QByteArray &to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // The file system cannot rename without replacing: a hard link fails on
    // an existing name just the same.
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno == EEXIST || (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS))
        return errno;
    // No hard links either (FAT, some network shares): claim the name with an
    // exclusive create, then rename over our own empty claim.
    const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return errno;
    ::close(fd);
    if (::rename(from.constData(), to.constData()) == 0)
        return 0;
    const int error = errno;
    ::unlink(to.constData());
    return error;
}

// Opens `path` and runs `sync` on it, again when interrupted: 0, or the errno
// of the open or of the sync.
int openAndSync(const QByteArray &path, int flags, int (*sync)(int))
{
    const int fd = ::open(path.constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = 0;
    while (sync(fd) != 0) {
        if (errno != EINTR) {
            error = errno;
            break;
        }
    }
    ::close(fd);
    return error;
}

} // namespace

int syncFileData(const QByteArray &path)
{
    return openAndSync(path, O_RDONLY | O_NOFOLLOW, ::fdatasync);
}

int syncFolder(const QByteArray &path)
{
    const int error = openAndSync(path, O_RDONLY | O_DIRECTORY, ::fsync);
    // A file system that cannot sync a folder (EINVAL) has nothing to make durable.
    return error == EINVAL ? 0 : error;
}

QString fittedFileName(const QString &stem, const QString &tail, qsizetype maxBytes)
{
    QString cut = stem;
    const qsizetype room = maxBytes - tail.toUtf8().size();
    while (!cut.isEmpty() && cut.toUtf8().size() > room) {
        cut.chop(1);
        if (!cut.isEmpty() && cut.back().isHighSurrogate())
            cut.chop(1); // never split a character
    }
    return cut + tail;
}

namespace {

qsizetype extensionStart(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot > 0 ? dot : fileName.size();
}

} // namespace

QString fittedFileName(const QString &fileName, qsizetype maxBytes)
{
    if (fileName.toUtf8().size() <= maxBytes)
        return fileName;
    const qsizetype dot = extensionStart(fileName);
    return fittedFileName(fileName.left(dot), fileName.mid(dot), maxBytes);
}

QString numberedFileName(const QString &fileName, int n)
{
    // The number and the extension survive shortening: only the stem gives way.
    const qsizetype dot = extensionStart(fileName);
    return fittedFileName(fileName.left(dot), u'-' + QString::number(n) + fileName.mid(dot));
}

PublishResult publishWithoutReplacing(const QString &partPath, const QString &finalPath)
{
    const QByteArray from = QFile::encodeName(partPath);
    const qsizetype slash = finalPath.lastIndexOf(u'/');
    const QString folder = finalPath.left(slash + 1);
    const QString name = finalPath.mid(slash + 1);
    // The data first: a name must never stand for bytes still in memory.
    if (const int error = syncFileData(from))
        return {{}, error};
    for (int n = 1; n < 10000; ++n) {
        const QString candidate = folder + (n == 1 ? name : numberedFileName(name, n));
        const int error = publishAs(from, QFile::encodeName(candidate));
        if (error == 0)
            return {candidate, syncFolder(QFile::encodeName(folder.isEmpty() ? u"."_s : folder))};
        if (error != EEXIST)
            return {{}, error};
    }
    return {{}, EEXIST};
}

} // namespace sonvera
