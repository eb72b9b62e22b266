#include "realmediaindex.h"

#include "positionedio.h"

#include <QFile>
#include <QSet>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

constexpr qint64 kChunkHeader = 10;   // id, size, version
constexpr qint64 kDataHeader = 18;    // ... number of packets, next DATA chunk
constexpr qint64 kIndexHeader = 20;   // ... number of entries, stream, next INDX chunk
constexpr qint64 kIndexEntry = 14;    // version, time, offset, packet number
constexpr qint64 kPropIndexOffset = 38; // PROP's index offset, from the chunk's start
constexpr qint64 kPropStreamCount = 46;
// The sound's packets are all keyframes, some thirty a second: one entry a
// second finds the place as well.
constexpr quint32 kSoundIndexSpacingMs = 1000;

quint16 be16(const QByteArray &bytes, qint64 at) { return qFromBigEndian<quint16>(bytes.constData() + at); }
quint32 be32(const QByteArray &bytes, qint64 at) { return qFromBigEndian<quint32>(bytes.constData() + at); }

void put16(QByteArray &bytes, quint16 value)
{
    char raw[2];
    qToBigEndian(value, raw);
    bytes.append(raw, 2);
}

void put32(QByteArray &bytes, quint32 value)
{
    char raw[4];
    qToBigEndian(value, raw);
    bytes.append(raw, 4);
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes;
    put32(bytes, value);
    return bytes;
}

bool isSound(const RealMediaLayout &layout, quint16 stream)
{
    for (const RealMediaStream &s : layout.streams) {
        if (s.number == stream)
            return s.mimeType.startsWith("audio/");
    }
    return false;
}

bool readPackets(const ByteReader &read, RealMediaLayout &layout, quint32 declaredCount, qint64 end)
{
    qint64 at = layout.dataOffset + kDataHeader;
    while (declaredCount == 0 || quint32(layout.packets.size()) < declaredCount) {
        if (at + 12 > end)
            break;
        const QByteArray header = read(at, 13);
        if (header.size() < 12)
            break;
        const quint16 version = be16(header, 0);
        const qint64 headerSize = version == 0 ? 12 : 13;
        const quint16 length = be16(header, 2);
        // Anything else (ffmpeg's closing zeros among them) ends the packets.
        if (version > 1 || header.size() < headerSize || length < headerSize || at + length > end)
            break;
        RealMediaPacket packet;
        packet.offset = at;
        packet.stream = be16(header, 4);
        packet.timestampMs = be32(header, 6);
        packet.keyframe = (quint8(header[headerSize - 1]) & 0x02) != 0;
        layout.packets.append(packet);
        at += length;
    }
    layout.packetsEnd = at;
    return true;
}

bool readIndexes(const ByteReader &read, RealMediaLayout &layout, QString &error)
{
    QSet<qint64> visited;
    for (qint64 at = layout.indexOffset; at != 0;) {
        if (visited.contains(at) || visited.size() > 0xffff) {
            error = u"its INDX chunks point back at each other"_s;
            return false;
        }
        visited.insert(at);
        const QByteArray header = read(at, kIndexHeader);
        if (header.size() < kIndexHeader || !header.startsWith("INDX")) {
            error = u"PROP's index offset does not lead to an INDX chunk"_s;
            return false;
        }
        RealMediaIndex index;
        index.offset = at;
        const quint32 count = be32(header, 10);
        index.stream = be16(header, 14);
        index.next = be32(header, 16);
        if (be32(header, 4) != kIndexHeader + qint64(count) * kIndexEntry
            || at + kIndexHeader + qint64(count) * kIndexEntry > layout.fileSize) {
            error = u"an INDX chunk's size does not match its entries"_s;
            return false;
        }
        const QByteArray entries = read(at + kIndexHeader, qint64(count) * kIndexEntry);
        if (entries.size() != qint64(count) * kIndexEntry) {
            error = u"an INDX chunk is cut short"_s;
            return false;
        }
        for (qint64 i = 0; i < count; ++i) {
            const qint64 e = i * kIndexEntry;
            index.entries.append({be32(entries, e + 2), be32(entries, e + 6), be32(entries, e + 10)});
        }
        layout.indexes.append(index);
        at = index.next;
    }
    return true;
}

// What keeps the headers from taking one INDX chunk a stream: anything but
// one PROP, one CONT and one MDPR a stream, each with its own number.
std::optional<QString> headerProblem(const RealMediaLayout &layout)
{
    const QList<QByteArray> headers = layout.chunks.mid(1, layout.chunks.indexOf("DATA") - 1);
    if (headers.count("PROP") != 1 || headers.count("CONT") != 1 || headers.count("MDPR") != layout.streams.size()
        || headers.size() != 2 + layout.streams.size())
        return u"the headers are not one PROP, one MDPR a stream and one CONT"_s;
    QSet<quint16> numbers;
    for (const RealMediaStream &stream : layout.streams)
        numbers.insert(stream.number);
    if (numbers.size() != layout.streams.size())
        return u"two MDPR chunks give one stream number"_s;
    return std::nullopt;
}

} // namespace

std::optional<RealMediaLayout> readRealMediaLayout(const ByteReader &read, qint64 size, QString &error)
{
    RealMediaLayout layout;
    layout.fileSize = size;
    const QByteArray start = read(0, kChunkHeader);
    if (start.size() < kChunkHeader || !start.startsWith(".RMF")) {
        error = u"it is not a RealMedia file"_s;
        return std::nullopt;
    }
    bool dataSeen = false;
    qint64 at = 0;
    while (at + 8 <= size) {
        const QByteArray header = read(at, kChunkHeader);
        const QByteArray id = header.left(4);
        const qint64 chunkSize = header.size() >= 8 ? be32(header, 4) : 0;
        // ffmpeg's closing zeros, or whatever else no chunk is, end the walk.
        if (id.contains('\0') || chunkSize < kChunkHeader || header.size() < kChunkHeader)
            break;
        if (id == "DATA" && !dataSeen) {
            dataSeen = true;
            const QByteArray data = read(at, kDataHeader);
            if (data.size() < kDataHeader || chunkSize < kDataHeader) {
                error = u"its DATA chunk is cut short"_s;
                return std::nullopt;
            }
            layout.chunks.append(id);
            layout.dataOffset = at;
            layout.dataSize = quint32(chunkSize);
            readPackets(read, layout, be32(data, 10), std::min(at + chunkSize, size));
            at += chunkSize;
            continue;
        }
        if (at + chunkSize > size) {
            if (dataSeen)
                break; // whatever follows the packets is not a whole chunk
            error = u"its "_s + QString::fromLatin1(id.toHex()) + u" chunk is cut short"_s;
            return std::nullopt;
        }
        if (id == "PROP" && layout.propOffset == 0) {
            const QByteArray prop = read(at, kPropStreamCount + 2);
            if (chunkSize < kPropStreamCount + 4 || prop.size() < kPropStreamCount + 2) {
                error = u"its PROP chunk is too short"_s;
                return std::nullopt;
            }
            layout.propOffset = at;
            layout.indexOffset = be32(prop, kPropIndexOffset);
        } else if (id == "MDPR" && chunkSize >= 41) {
            const QByteArray mdpr = read(at, chunkSize);
            if (mdpr.size() < 41) {
                error = u"its MDPR chunk cannot be read"_s;
                return std::nullopt;
            }
            RealMediaStream stream;
            stream.number = be16(mdpr, 10);
            const qint64 nameEnd = 41 + quint8(mdpr[40]);
            if (nameEnd < mdpr.size())
                stream.mimeType = mdpr.mid(nameEnd + 1, quint8(mdpr[nameEnd]));
            layout.streams.append(stream);
        }
        layout.chunks.append(id);
        at += chunkSize;
    }
    if (layout.propOffset == 0 || !dataSeen) {
        error = u"it has no PROP or no DATA chunk"_s;
        return std::nullopt;
    }
    if (!readIndexes(read, layout, error))
        return std::nullopt;
    return layout;
}

std::optional<QString> seekIndexProblem(const RealMediaLayout &layout)
{
    // The walk stops where the sizes stop leading: with DATA's size right,
    // it reads the INDX chunks too, up to the end of the file.
    qint64 end = layout.dataOffset + qint64(layout.dataSize);
    if (end != layout.packetsEnd)
        return u"the DATA chunk's size is not that of its packets"_s;
    if (const std::optional<QString> problem = headerProblem(layout))
        return problem;
    QList<QByteArray> expected = layout.chunks.mid(0, layout.chunks.indexOf("DATA") + 1);
    for (qsizetype i = 0; i < layout.streams.size(); ++i)
        expected << "INDX";
    if (layout.chunks != expected)
        return u"the chunks after DATA are not one INDX chunk a stream"_s;
    if (layout.indexes.size() != layout.streams.size() || layout.indexOffset != layout.packetsEnd)
        return u"PROP's index offset does not lead to one INDX chunk a stream after the data"_s;
    for (const RealMediaIndex &index : layout.indexes)
        end += kIndexHeader + index.entries.size() * kIndexEntry;
    if (end != layout.fileSize)
        return u"the file does not end with its last INDX chunk"_s;

    QSet<quint16> indexed;
    for (const RealMediaIndex &index : layout.indexes) {
        if (indexed.contains(index.stream))
            return u"two INDX chunks index one stream"_s;
        indexed.insert(index.stream);
        qint64 keyframes = 0;
        for (const RealMediaPacket &packet : layout.packets)
            keyframes += packet.stream == index.stream && packet.keyframe;
        if (keyframes > 0 && index.entries.isEmpty())
            return u"stream "_s + QString::number(index.stream) + u" has keyframes but no index entry"_s;
        if (!isSound(layout, index.stream) && index.entries.size() != keyframes)
            return u"stream "_s + QString::number(index.stream) + u" has keyframes that are not indexed"_s;
        quint32 lastTime = 0;
        for (const RealMediaIndexEntry &entry : index.entries) {
            const auto packet = std::lower_bound(layout.packets.begin(), layout.packets.end(), qint64(entry.offset),
                                                 [](const RealMediaPacket &p, qint64 offset) { return p.offset < offset; });
            if (packet == layout.packets.end() || packet->offset != entry.offset)
                return u"an index entry does not point at a packet"_s;
            if (packet->stream != index.stream || !packet->keyframe || packet->timestampMs != entry.timestampMs
                || entry.packetNumber != packet - layout.packets.begin())
                return u"an index entry does not name a keyframe of its stream with its time and number"_s;
            if (entry.timestampMs < lastTime)
                return u"an index's entries are not in time order"_s;
            lastTime = entry.timestampMs;
        }
    }
    for (const RealMediaStream &stream : layout.streams) {
        if (!indexed.contains(stream.number))
            return u"stream "_s + QString::number(stream.number) + u" has no INDX chunk"_s;
    }
    return std::nullopt;
}

std::optional<RealMediaEdit> planSeekIndex(const RealMediaLayout &layout)
{
    // An index already, chunks after the data that a cut would lose, or
    // headers that cannot take one.
    if (layout.indexOffset != 0 || !layout.indexes.isEmpty() || layout.chunks.indexOf("DATA") != layout.chunks.size() - 1
        || headerProblem(layout))
        return std::nullopt;
    QList<RealMediaIndex> indexes;
    for (const RealMediaStream &stream : layout.streams) {
        RealMediaIndex index;
        index.stream = stream.number;
        const bool sound = isSound(layout, stream.number);
        for (qsizetype i = 0; i < layout.packets.size(); ++i) {
            const RealMediaPacket &p = layout.packets[i];
            if (p.stream != stream.number || !p.keyframe)
                continue;
            if (!index.entries.isEmpty() && p.timestampMs < index.entries.last().timestampMs)
                return std::nullopt; // a stream whose time goes back has no index a player could search
            if (sound && !index.entries.isEmpty()
                && qint64(p.timestampMs) < qint64(index.entries.last().timestampMs) + kSoundIndexSpacingMs)
                continue;
            index.entries.append({p.timestampMs, quint32(p.offset), quint32(i)});
        }
        indexes.append(index);
    }
    qint64 at = layout.packetsEnd;
    for (RealMediaIndex &index : indexes) {
        index.offset = at;
        at += kIndexHeader + index.entries.size() * kIndexEntry;
    }
    // Offsets are 32 bits wide.
    if (at > 0xffffffffLL || indexes.isEmpty())
        return std::nullopt;
    RealMediaEdit edit;
    edit.truncateAt = layout.packetsEnd;
    for (qsizetype i = 0; i < indexes.size(); ++i) {
        const RealMediaIndex &index = indexes[i];
        QByteArray &out = edit.appended;
        out += "INDX";
        put32(out, quint32(kIndexHeader + index.entries.size() * kIndexEntry));
        put16(out, 0);
        put32(out, quint32(index.entries.size()));
        put16(out, index.stream);
        put32(out, i + 1 < indexes.size() ? quint32(indexes[i + 1].offset) : 0);
        for (const RealMediaIndexEntry &entry : index.entries) {
            put16(out, 0);
            put32(out, entry.timestampMs);
            put32(out, entry.offset);
            put32(out, entry.packetNumber);
        }
    }
    edit.patches.append({layout.dataOffset + 4, bigEndian32(quint32(layout.packetsEnd - layout.dataOffset))});
    edit.patches.append({layout.propOffset + kPropIndexOffset, bigEndian32(quint32(layout.packetsEnd))});
    return edit;
}

void applyEdit(QByteArray &bytes, const RealMediaEdit &edit)
{
    bytes.resize(edit.truncateAt);
    bytes += edit.appended;
    for (const auto &[offset, patch] : edit.patches)
        bytes.replace(offset, patch.size(), patch);
}

namespace {

// Reads through a window of the file, so that walking the packets costs a
// read a mebibyte, not one a packet.
class WindowedReader {
public:
    explicit WindowedReader(int fd) : m_fd(fd) {}

    QByteArray operator()(qint64 offset, qint64 length)
    {
        if (offset < m_start || offset + length > m_start + m_window.size()) {
            m_window.resize(std::max<qint64>(length, kWindow));
            const ssize_t got = ::pread(m_fd, m_window.data(), size_t(m_window.size()), off_t(offset));
            m_window.resize(got > 0 ? got : 0);
            m_start = offset;
        }
        return m_window.mid(offset - m_start, length);
    }

private:
    static constexpr qint64 kWindow = 1 << 20;
    int m_fd;
    qint64 m_start = 0;
    QByteArray m_window;
};

std::optional<RealMediaLayout> readFile(int fd, QString &error)
{
    const off_t size = ::lseek(fd, 0, SEEK_END);
    if (size < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    WindowedReader reader(fd);
    return readRealMediaLayout(std::ref(reader), size, error);
}

} // namespace

bool addSeekIndex(const QString &path, QString &error, int *errorNumber)
{
    if (errorNumber)
        *errorNumber = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        if (errorNumber)
            *errorNumber = errno;
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    auto fail = [&](const QString &why, bool fromErrno) {
        if (fromErrno && errorNumber)
            *errorNumber = errno;
        error = fromErrno ? why + QString::fromLocal8Bit(std::strerror(errno)) : why;
        ::close(fd);
        return false;
    };
    const std::optional<RealMediaLayout> layout = readFile(fd, error);
    if (!layout)
        return fail(error, false);
    if (!seekIndexProblem(*layout)) {
        ::close(fd);
        return true;
    }
    const std::optional<RealMediaEdit> edit = planSeekIndex(*layout);
    if (!edit)
        return fail(u"it cannot be indexed: "_s + *seekIndexProblem(*layout), false);
    if (::ftruncate(fd, off_t(edit->truncateAt)) != 0
        || !writeAllAt(fd, edit->appended.constData(), edit->appended.size(), edit->truncateAt))
        return fail(u"the index cannot be written: "_s, true);
    for (const auto &[offset, patch] : edit->patches) {
        if (!writeAllAt(fd, patch.constData(), patch.size(), offset))
            return fail(u"the index cannot be written: "_s, true);
    }
    const std::optional<RealMediaLayout> indexed = readFile(fd, error);
    if (!indexed)
        return fail(u"the indexed file does not read back: "_s + error, false);
    if (const std::optional<QString> problem = seekIndexProblem(*indexed))
        return fail(u"the indexed file does not check: "_s + *problem, false);
    ::close(fd);
    return true;
}

} // namespace sonvera::encoders
