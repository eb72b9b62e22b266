// The journal of the batch list, as a crash left it on disk.
#include "batchjournal.h"
#include "fuzzsupport.h"

using namespace sonvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    QList<JournalEntry> entries;
    if (!BatchJournal::decode(bytes, entries)) {
        fuzz::require(entries.isEmpty(), "a refused journal gives no rows");
        return 0;
    }
    for (const JournalEntry &entry : entries)
        fuzz::require(!entry.path.isEmpty(), "every restored row names a file");
    // The list offered back is exactly what was written: the next write of the
    // same list gives the same bytes.
    fuzz::require(BatchJournal::encode(entries) == bytes, "a journal that is read back writes the same bytes");
    return 0;
}
