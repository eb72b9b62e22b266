#include "partfiles.h"

#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace sonvera {

namespace {

constexpr QByteArrayView kPrefix = ".sonvera-";
constexpr QByteArrayView kSuffix = ".part";
constexpr qsizetype kRandomDigits = 8;

QByteArray newPartFileName()
{
    const quint32 random = QRandomGenerator::system()->generate();
    return kPrefix.toByteArray() + thisWriter().text() + '-'
        + QByteArray::number(random, 16).rightJustified(kRandomDigits, '0') + kSuffix.toByteArray();
}

// True when `name` has the exact form of a part file's name; `tag` is then
// its writer's.
bool readPartFileName(QByteArrayView name, WriterTag &tag)
{
    const qsizetype tagEnd = kPrefix.size() + kWriterTagSize;
    if (name.size() != tagEnd + 1 + kRandomDigits + kSuffix.size() || !name.startsWith(kPrefix)
        || !name.endsWith(kSuffix) || name[tagEnd] != '-')
        return false;
    for (const char c : name.sliced(tagEnd + 1, kRandomDigits)) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    }
    return readWriterTag(name.sliced(kPrefix.size()), tag);
}

} // namespace

PartFile::PartFile(PartFile &&other) noexcept
    : m_path(std::exchange(other.m_path, {})), m_claim(std::move(other.m_claim))
{
}

PartFile &PartFile::operator=(PartFile &&other) noexcept
{
    if (this != &other) {
        m_path = std::exchange(other.m_path, {});
        m_claim = std::move(other.m_claim);
    }
    return *this;
}

PartFile PartFile::create(const QString &folder, int &error)
{
    const QByteArray nativeFolder = QFile::encodeName(folder) + '/';
    // Another name when a sweep took the new file before it was claimed, or
    // (32 random bits) another writer had the same one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QByteArray path = nativeFolder + newPartFileName();
        FileClaim claim = FileClaim::create(path, 0644, error);
        if (claim.isOpen()) {
            PartFile part;
            part.m_path = QFile::decodeName(path);
            part.m_claim = std::move(claim);
            return part;
        }
        if (error != EAGAIN && error != EEXIST)
            return {};
    }
    return {};
}

void PartFile::release()
{
    m_path.clear();
    m_claim.release();
}

void PartFile::remove()
{
    if (!m_path.isEmpty())
        ::unlink(QFile::encodeName(m_path).constData());
    release();
}

int sweepDeadPartFiles(const QString &folder)
{
    const int folderFd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return 0;
    int removed = 0;
    for (const QByteArray &name : entryNames(folderFd)) {
        WriterTag tag;
        if (!readPartFileName(name, tag) || tag.host != thisWriter().host)
            continue;
        const FileClaim claim = FileClaim::takeAbandoned(folderFd, name);
        // Without locks, only the end of the boot it was written in proves
        // that its writer has gone.
        const bool abandoned = claim.isLocked() || (claim.isOpen() && tag.boot != thisWriter().boot);
        if (abandoned && claim.isStillAt(folderFd, name) && ::unlinkat(folderFd, name.constData(), 0) == 0)
            ++removed;
    }
    ::close(folderFd);
    return removed;
}

} // namespace sonvera
