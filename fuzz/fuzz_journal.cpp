// The journal of the batch list, as a crash left it on disk.
#include "batchjournal.h"
#include "fuzzsupport.h"

using namespace sonvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    JournalContents contents;
    if (!BatchJournal::decode(bytes, contents)) {
        fuzz::require(contents == JournalContents{}, "a refused journal gives nothing");
        return 0;
    }
    for (const JournalEntry &entry : contents.entries)
        fuzz::require(!entry.path.isEmpty(), "every restored row names a file");
    // What is offered back is written back whole: the next crash loses
    // nothing. A journal of the current format comes back byte for byte.
    const QByteArray written = BatchJournal::encode(contents);
    JournalContents again;
    fuzz::require(BatchJournal::decode(written, again) && again == contents, "a journal read back is written back whole");
    constexpr qsizetype kHeaderBytes = 14 + 4; // "SonveraJournal" and the version
    if (written.first(kHeaderBytes) == bytes.first(kHeaderBytes))
        fuzz::require(written == bytes, "a journal of the current format is written back byte for byte");
    return 0;
}
