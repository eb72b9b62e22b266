// preferences.ini as the program finds it at start-up.
#include "fuzzsupport.h"
#include "preferences.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

using namespace sonvera;

namespace {
QTemporaryDir *folder = nullptr;
quint64 runs = 0;
} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialise();
    folder = new QTemporaryDir;
    fuzz::require(folder->isValid(), "a scratch folder can be made");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString settings = folder->path();
    QFile file(Preferences::pathIn(settings));
    fuzz::require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch file can be written");
    file.write(fuzz::bytesOf(data, size));
    // QSettings keeps what it read of a file and reads it again only when its
    // size or time changed: every input gets a time of its own.
    file.setFileTime(QDateTime::fromSecsSinceEpoch(qint64(++runs), Qt::UTC), QFileDevice::FileModificationTime);
    file.close();

    const Preferences loaded = Preferences::load(settings);
    fuzz::require(loaded.parallelJobs >= 0 && loaded.effectiveJobs() >= 1, "at least one file at a time");
    fuzz::require(loaded.save(settings), "preferences.ini can be written");
    fuzz::require(Preferences::load(settings) == loaded, "preferences come back the same at the next start");
    return 0;
}
