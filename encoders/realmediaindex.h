#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace sonvera::encoders {

// A RealMedia file as players seek in it: its top-level chunks, its streams,
// where each data packet lies and the INDX chunks. Offsets are bytes from the
// start of the file, times milliseconds, as the file stores them.
//
// ffmpeg writes no INDX chunk and leaves PROP's index offset at 0: VLC's and
// GStreamer's RealMedia demuxers then refuse every seek. It also declares
// the DATA chunk 18 bytes longer than it is and ends the file with 8 zero
// bytes, so a reader that walks the chunks finds nothing after DATA.

struct RealMediaPacket {
    qint64 offset = 0;       // of its header
    quint16 stream = 0;
    quint32 timestampMs = 0;
    bool keyframe = false;
};

struct RealMediaIndexEntry {
    quint32 timestampMs = 0;
    quint32 offset = 0;       // of the packet's header
    quint32 packetNumber = 0; // the packet's place among all the file's packets, from 0
    friend bool operator==(const RealMediaIndexEntry &, const RealMediaIndexEntry &) = default;
};

struct RealMediaIndex {
    qint64 offset = 0;        // of the INDX chunk
    quint16 stream = 0;
    quint32 next = 0;         // the next INDX chunk's offset; 0 for the last
    QList<RealMediaIndexEntry> entries;
};

struct RealMediaStream {
    quint16 number = 0;
    QByteArray mimeType;      // "video/x-pn-realvideo", "audio/x-pn-realaudio"
};

struct RealMediaLayout {
    qint64 fileSize = 0;
    QList<QByteArray> chunks;  // the top-level chunks' ids in file order, as far as their sizes lead
    qint64 propOffset = 0;     // of the PROP chunk
    quint32 indexOffset = 0;   // as PROP says
    qint64 dataOffset = 0;     // of the DATA chunk
    quint32 dataSize = 0;      // as the DATA chunk says
    qint64 packetsEnd = 0;     // where its last packet ends
    QList<RealMediaStream> streams; // as the MDPR chunks list them
    QList<RealMediaPacket> packets;
    QList<RealMediaIndex> indexes;  // following PROP's index offset and the chain
};

// Reads `length` bytes at `offset`, or fewer at the end.
using ByteReader = std::function<QByteArray(qint64 offset, qint64 length)>;

// Reads the layout of a file of `size` bytes; nothing, with `error`, when it
// is not a RealMedia file or its headers or packets are cut or malformed.
std::optional<RealMediaLayout> readRealMediaLayout(const ByteReader &read, qint64 size, QString &error);

// What is wrong with the layout for a player that seeks: nothing when the
// chunks are .RMF, PROP, MDPR, CONT and DATA followed by one INDX chunk per
// stream, chained from PROP's index offset, DATA's size is its own, and every
// entry names a keyframe packet of its stream at its offset, time and number.
std::optional<QString> seekIndexProblem(const RealMediaLayout &layout);

// The changes that index a file of `layout`: cut the file at `truncateAt`,
// write `appended` there, then each of `patches` at its offset.
struct RealMediaEdit {
    qint64 truncateAt = 0;
    QByteArray appended;
    QList<std::pair<qint64, QByteArray>> patches;
};

// An INDX chunk for each stream, right after the last packet: an entry for
// each keyframe packet (for sound, whose every packet is one, at most one a
// second); DATA gets its true size and PROP the index's offset. Nothing when
// the layout has an index already.
std::optional<RealMediaEdit> planSeekIndex(const RealMediaLayout &layout);

// The same edit made to bytes in memory.
void applyEdit(QByteArray &bytes, const RealMediaEdit &edit);

// Indexes the RealMedia file at `path` in place and reads it back to check
// the result. False, with `error` (and `errorNumber`, the errno of a failed
// write, or 0), when the file is not such a file, cannot be written or does
// not check; it may then be damaged.
bool addSeekIndex(const QString &path, QString &error, int *errorNumber = nullptr);

} // namespace sonvera::encoders
