#include "flvtimeline.h"

#include <QFile>
#include <QtEndian>

#include <cstring>

namespace sonvera::encoders {

namespace {

constexpr int kTagHeaderBytes = 11;
constexpr int kSizeFieldBytes = 4; // the previous tag's size, after every tag
constexpr int kAudioTag = 8;
constexpr int kVideoTag = 9;
constexpr int kScriptTag = 18;
// onMetaData is a few hundred bytes; a keyframe index can make it large, but
// the duration comes before it.
constexpr qint64 kMaxScriptBytes = 64 * 1024;

quint32 bigEndian24(const char *bytes)
{
    return quint32(uchar(bytes[0])) << 16 | quint32(uchar(bytes[1])) << 8 | uchar(bytes[2]);
}

// The "duration" number of an onMetaData script tag, in seconds; AMF0 gives
// it as the key (two length bytes, the name) followed by a number marker 0
// and a big-endian double.
std::optional<double> durationIn(const QByteArray &script)
{
    static const QByteArray key("\x00\x08" "duration\x00", 11);
    const qsizetype at = script.indexOf(key);
    if (at < 0 || at + key.size() + 8 > script.size())
        return std::nullopt;
    const quint64 bits = qFromBigEndian<quint64>(script.constData() + at + key.size());
    double seconds = 0;
    std::memcpy(&seconds, &bits, sizeof seconds);
    // Not a number, infinite or absurd (more than a year) is no declaration.
    if (!(seconds > 0 && seconds < 366.0 * 24 * 3600))
        return std::nullopt;
    return seconds;
}

std::optional<FlvTimeline> walkFlv(QIODevice &device, bool untilScript);

} // namespace

std::optional<FlvTimeline> readFlvTimeline(QIODevice &device)
{
    return walkFlv(device, false);
}

namespace {

std::optional<FlvTimeline> walkFlv(QIODevice &device, bool untilScript)
{
    const QByteArray header = device.read(9);
    if (header.size() < 9 || !header.startsWith("FLV"))
        return std::nullopt;
    const qint64 dataOffset = qFromBigEndian<quint32>(header.constData() + 5);
    if (dataOffset < 9)
        return std::nullopt;
    FlvTimeline timeline;
    const qint64 size = device.size();
    // The first tag follows the header and the first (zero) size field.
    qint64 at = dataOffset + kSizeFieldBytes;
    timeline.wholeBytes = std::min(at, size);
    bool scriptRead = false;
    while (at < size) {
        if (size - at < kTagHeaderBytes || !device.seek(at)) {
            timeline.endsWhole = false;
            break;
        }
        const QByteArray tag = device.read(kTagHeaderBytes);
        if (tag.size() < kTagHeaderBytes) {
            timeline.endsWhole = false;
            break;
        }
        const int type = uchar(tag[0]) & 0x1f; // the top bits: filter and reserved
        if (type != kAudioTag && type != kVideoTag && type != kScriptTag)
            break; // not a tag: what follows is no media of this file
        const qint64 dataBytes = bigEndian24(tag.constData() + 1);
        // The timestamp's low 24 bits, then its upper 8.
        const qint64 ms = qint64(bigEndian24(tag.constData() + 4)) | qint64(uchar(tag[7])) << 24;
        const qint64 end = at + kTagHeaderBytes + dataBytes + kSizeFieldBytes;
        if (end > size) {
            timeline.endsWhole = false;
            break;
        }
        if (type == kScriptTag && !scriptRead) {
            scriptRead = true;
            timeline.declaredSeconds = durationIn(device.read(std::min(dataBytes, kMaxScriptBytes)));
            if (untilScript)
                break;
        } else if (type != kScriptTag && dataBytes > 0) {
            timeline.firstMs = timeline.firstMs < 0 ? ms : std::min(timeline.firstMs, ms);
            timeline.lastMs = std::max(timeline.lastMs, ms);
        }
        timeline.wholeBytes = end;
        at = end;
    }
    return timeline;
}

} // namespace

std::optional<FlvTimeline> readFlvTimeline(const QString &path)
{
    QFile file(path);
    // Unbuffered: each header is one small read, and no buffer is refilled
    // for the data skipped between them.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    return readFlvTimeline(file);
}

std::optional<double> flvDeclaredSeconds(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return std::nullopt;
    const std::optional<FlvTimeline> timeline = walkFlv(file, true);
    return timeline ? timeline->declaredSeconds : std::nullopt;
}

} // namespace sonvera::encoders
