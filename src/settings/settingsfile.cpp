#include "settingsfile.h"

#include "settingslog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonvera {

namespace {

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

std::optional<SettingsFileBytes> readSettingsFile(const QString &path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0) {
        if (errno != ENOENT)
            qCWarning(lcSettings) << "cannot read" << path << ":" << systemError();
        return std::nullopt;
    }
    // Checked before opening: opening some devices does something by itself.
    if (!S_ISREG(info.st_mode)) {
        qCWarning(lcSettings) << path << "is not a regular file; it is not read";
        return std::nullopt;
    }
    // O_NONBLOCK: should a FIFO take the file's place meanwhile, opening it
    // does not wait for a writer; fstat then refuses it.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        qCWarning(lcSettings) << "cannot read" << path << ":" << systemError();
        return std::nullopt;
    }
    SettingsFileBytes file;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        qCWarning(lcSettings) << path << "is not a regular file; it is not read";
        ::close(fd);
        return std::nullopt;
    }
    // One byte beyond the limit tells whether there is more.
    file.bytes.resize(qsizetype(std::min<qint64>(info.st_size, maxBytes) + 1));
    qsizetype got = 0;
    while (got <= maxBytes) {
        if (got == file.bytes.size())
            file.bytes.resize(qsizetype(std::min<qint64>(qint64(got) * 2, maxBytes + 1)));
        const ssize_t n = ::read(fd, file.bytes.data() + got, size_t(file.bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            qCWarning(lcSettings) << "cannot read" << path << ":" << systemError();
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        got += n;
    }
    ::close(fd);
    file.whole = got <= maxBytes;
    file.bytes.truncate(std::min<qsizetype>(got, qsizetype(maxBytes)));
    return file;
}

bool makeWayForSettingsFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    // A folder at the name is not ours to remove: the write then fails and says so.
    if (::stat(name.constData(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))
        return true;
    if (::unlink(name.constData()) != 0) {
        qCWarning(lcSettings) << "cannot replace" << path << "(not a regular file):" << systemError();
        return false;
    }
    qCWarning(lcSettings) << path << "was not a regular file; it was removed to be written anew";
    return true;
}

bool writeSettingsFile(const QString &path, const QByteArray &bytes)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        qCWarning(lcSettings) << "cannot create the settings folder" << folder;
        return false;
    }
    if (!makeWayForSettingsFile(path))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        qCWarning(lcSettings) << "cannot write" << path << ":" << file.errorString();
        return false;
    }
    return true;
}

} // namespace sonvera
