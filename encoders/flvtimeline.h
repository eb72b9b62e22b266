#pragma once

#include <QIODevice>
#include <QString>

#include <optional>

namespace sonvera::encoders {

// Where an FLV file's data really lies, from its tag headers alone: the
// first and last timestamps of its sound and picture, whether its last tag
// is whole (a download cut short stops inside one), and the length its
// onMetaData declares. Timestamps are the file's own, in milliseconds: a
// recording may start late or jump, which shortens nothing.
struct FlvTimeline {
    qint64 firstMs = -1;      // the earliest sound or picture tag; -1 when there is none
    qint64 lastMs = -1;       // the latest whole sound or picture tag; -1 when there is none
    bool endsWhole = true;    // false: the file stops inside a tag (its header, data or size field)
    qint64 wholeBytes = 0;    // where the last whole tag ends, bytes from the file's start
    std::optional<double> declaredSeconds; // onMetaData's "duration" when above 0

    // The time the file's data covers, seconds (last minus first; 0 when no tag).
    double spanSeconds() const { return firstMs < 0 ? 0 : double(lastMs - firstMs) / 1000; }
};

// Walks the tags of the FLV data in `device` (read sequentially from its
// start; only headers and the first script tag are read, so a long file
// costs a few reads per tag). Nothing when the data is not FLV. Never reads
// more than the device holds; a damaged tag header (an unknown type) ends
// the walk as the end of the file's media.
std::optional<FlvTimeline> readFlvTimeline(QIODevice &device);
// The same for the file at `path`; nothing when it cannot be read or is not FLV.
std::optional<FlvTimeline> readFlvTimeline(const QString &path);

// The length the onMetaData of the FLV file at `path` declares, when above 0;
// only the tags before the first script tag are read.
std::optional<double> flvDeclaredSeconds(const QString &path);

} // namespace sonvera::encoders
