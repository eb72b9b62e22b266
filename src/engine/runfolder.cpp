#include "runfolder.h"

#include "partfiles.h"
#include "runfoldermark.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonvera {

namespace {

constexpr QByteArrayView kPrefix = "run-";
const QByteArray kClaimName = QByteArrayLiteral("claim");
constexpr qsizetype kNameSize = 4 + kWriterTagSize + 1 + 6; // "run-" HOST-BOOT "-" and mkdtemp's six characters

bool isRunFolderName(const QByteArray &name, WriterTag &tag)
{
    return name.size() == kNameSize && name.startsWith(kPrefix) && name[kNameSize - 7] == '-'
        && readWriterTag(QByteArrayView(name).sliced(kPrefix.size()), tag);
}

// True when the run that made the folder `runFd` (tagged `tag`) has provably
// ended; `claim` then holds the folder's claim, when it has one.
bool isAbandoned(int runFd, const WriterTag &tag, FileClaim &claim)
{
    claim = FileClaim::takeAbandoned(runFd, kClaimName);
    if (claim.isLocked())
        return claim.isStillAt(runFd, kClaimName);
    // Without locks, or made before the run could claim it: only the end of
    // the boot it was made in proves that its run has gone.
    if (tag.boot == thisWriter().boot)
        return false;
    struct stat st {};
    return claim.isOpen() || (::fstatat(runFd, kClaimName.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0 && errno == ENOENT);
}

} // namespace

std::unique_ptr<RunFolder> RunFolder::create(const QString &workFolder)
{
    if (workFolder.isEmpty())
        return nullptr;
    sweepDeadRuns(workFolder);
    const QByteArray prefix = QFile::encodeName(workFolder) + '/' + kPrefix.toByteArray() + thisWriter().text();
    // Another folder when a sweep took the new one before it was claimed.
    for (int attempt = 0; attempt < 8; ++attempt) {
        QByteArray path = prefix + "-XXXXXX";
        if (!::mkdtemp(path.data())) // mode 0700
            return nullptr;
        int error = 0;
        FileClaim claim = FileClaim::create(path + '/' + kClaimName, 0600, error);
        // The marker proves the folder ours to the encoders, which replace an
        // intermediate file only inside such a folder.
        if (claim.isOpen() && markRunFolder(QFile::decodeName(path)))
            return std::unique_ptr<RunFolder>(new RunFolder(QFile::decodeName(path), std::move(claim)));
        if (claim.isOpen()) {
            QDir(QFile::decodeName(path)).removeRecursively();
            return nullptr;
        }
        if (error != EAGAIN) {
            ::rmdir(path.constData());
            return nullptr;
        }
    }
    return nullptr;
}

RunFolder::~RunFolder()
{
    // Still claimed while it goes: no sweep deletes under our feet.
    QDir(m_path).removeRecursively();
}

int sweepDeadRuns(const QString &workFolder)
{
    const QByteArray nativeFolder = QFile::encodeName(workFolder);
    const int folderFd = ::open(nativeFolder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return 0;
    int removed = 0;
    for (const QByteArray &name : entryNames(folderFd)) {
        WriterTag tag;
        if (!isRunFolderName(name, tag) || tag.host != thisWriter().host)
            continue;
        const int runFd = ::openat(folderFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (runFd < 0)
            continue;
        FileClaim claim;
        if (isAbandoned(runFd, tag, claim) && QDir(QFile::decodeName(nativeFolder + '/' + name)).removeRecursively())
            ++removed;
        ::close(runFd);
    }
    ::close(folderFd);
    return removed + sweepDeadPartFiles(workFolder);
}

} // namespace sonvera
