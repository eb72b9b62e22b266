#include "handoverframe.h"

#include <QtEndian>

namespace sonvera::HandOverFrame {

namespace {

constexpr quint32 kMagic = 0x53565231; // "SVR1"
constexpr quint32 kNullArray = 0xffffffff; // QDataStream's length of a null QByteArray

void appendNumber(QByteArray &out, quint32 value)
{
    const quint32 big = qToBigEndian(value);
    out.append(reinterpret_cast<const char *>(&big), sizeof big);
}

// The number at `at`, when four bytes are there.
bool readNumber(QByteArrayView bytes, qsizetype at, quint32 &value)
{
    if (bytes.size() - at < 4)
        return false;
    value = qFromBigEndian<quint32>(bytes.data() + at);
    return true;
}

} // namespace

QByteArray encode(const QByteArrayList &paths)
{
    QByteArray out;
    appendNumber(out, kMagic);
    appendNumber(out, quint32(paths.size()));
    for (const QByteArray &path : paths) {
        appendNumber(out, quint32(path.size()));
        out.append(path);
    }
    return out;
}

Decoded decode(QByteArrayView bytes)
{
    const Decoded incomplete{bytes.size() > kMaxFrameBytes ? Decoded::Status::Malformed : Decoded::Status::Incomplete,
                             {}, 0};
    const Decoded malformed{Decoded::Status::Malformed, {}, 0};
    quint32 magic = 0;
    quint32 count = 0;
    if (!readNumber(bytes, 0, magic))
        return incomplete;
    if (magic != kMagic)
        return malformed;
    if (!readNumber(bytes, 4, count))
        return incomplete;
    // Each path takes at least its length and one byte.
    if (count > kMaxFrameBytes / 5)
        return malformed;
    // The paths are copied only once the whole frame is there: a frame that
    // arrives in many pieces is read again with each one.
    QList<QByteArrayView> paths;
    Decoded decoded{Decoded::Status::Complete, {}, 8};
    for (quint32 i = 0; i < count; ++i) {
        quint32 length = 0;
        if (!readNumber(bytes, decoded.frameBytes, length))
            return incomplete;
        if (length == 0 || length == kNullArray || length > kMaxFrameBytes)
            return malformed;
        const qsizetype start = decoded.frameBytes + 4;
        if (bytes.size() - start < qsizetype(length))
            return incomplete;
        const QByteArrayView path = bytes.sliced(start, qsizetype(length));
        if (path.front() != '/' || path.contains('\0'))
            return malformed;
        paths << path;
        decoded.frameBytes = start + qsizetype(length);
        if (decoded.frameBytes > kMaxFrameBytes)
            return malformed;
    }
    decoded.paths.reserve(paths.size());
    for (QByteArrayView path : std::as_const(paths))
        decoded.paths << path.toByteArray();
    return decoded;
}

} // namespace sonvera::HandOverFrame
