// An FLV file's tags as the encoders walk them to find where its data ends.
#include "flvtimeline.h"
#include "fuzzsupport.h"

#include <QBuffer>

using namespace sonvera::encoders;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QByteArray bytes = sonvera::fuzz::bytesOf(data, size);
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const std::optional<FlvTimeline> timeline = readFlvTimeline(buffer);
    if (!timeline)
        return 0;
    sonvera::fuzz::require(timeline->wholeBytes <= bytes.size(), "the whole tags lie within the file");
    sonvera::fuzz::require((timeline->firstMs < 0) == (timeline->lastMs < 0), "a first tag is also a last one");
    sonvera::fuzz::require(timeline->spanSeconds() >= 0, "the data lasts no negative time");
    sonvera::fuzz::require(!timeline->declaredSeconds || *timeline->declaredSeconds > 0, "a declared length is above 0");
    // A file cut at its last whole tag ends whole, with the same tags.
    if (!timeline->endsWhole) {
        QByteArray whole = bytes.left(timeline->wholeBytes);
        QBuffer cut(&whole);
        cut.open(QIODevice::ReadOnly);
        const std::optional<FlvTimeline> again = readFlvTimeline(cut);
        sonvera::fuzz::require(again && again->endsWhole && again->lastMs == timeline->lastMs,
                               "cut at its last whole tag, the file is whole");
    }
    return 0;
}
