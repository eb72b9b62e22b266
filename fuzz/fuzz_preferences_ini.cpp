// preferences.ini as the program finds it at start-up.
#include "fuzzsupport.h"
#include "preferences.h"

using namespace sonvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // QSettings keeps what it read of a file and reads it again only when its
    // size or time changed: every input gets a time of its own.
    static qint64 runs = 0;
    const QString folder = fuzz::scratchFolder();
    fuzz::writeFile(Preferences::pathIn(folder), fuzz::bytesOf(data, size),
                    QDateTime::fromSecsSinceEpoch(++runs, Qt::UTC));

    const Preferences loaded = Preferences::load(folder);
    fuzz::require(loaded.parallelJobs >= 0 && loaded.effectiveJobs() >= 1, "at least one file at a time");
    fuzz::require(loaded.save(folder), "preferences.ini can be written");
    fuzz::require(Preferences::load(folder) == loaded, "preferences come back the same at the next start");
    return 0;
}
