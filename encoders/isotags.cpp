#include "isotags.h"

#include <QFile>
#include <QtEndian>

#include <optional>

#include <cerrno>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

// A moov box is the index of the samples: a few hundred kilobytes for hours
// of video. Anything far larger is not a file this program wrote.
constexpr qint64 kMaxIndexBytes = 64 * 1024 * 1024;

struct Box {
    qint64 offset = 0; // of its header
    qint64 size = 0;   // header included
    qint64 header = 8;
    QByteArray type;
};

// The box whose header starts at `at` in `bytes` (whose first byte is at
// `base` in the file), within `end`; nothing when it is cut or malformed.
std::optional<Box> boxAt(const QByteArray &bytes, qint64 base, qint64 at, qint64 end)
{
    const qint64 local = at - base;
    if (local < 0 || local + 8 > bytes.size() || at + 8 > end)
        return std::nullopt;
    Box box;
    box.offset = at;
    box.type = bytes.mid(local + 4, 4);
    const quint32 size = qFromBigEndian<quint32>(bytes.constData() + local);
    if (size == 1) {
        if (local + 16 > bytes.size())
            return std::nullopt;
        box.header = 16;
        box.size = qint64(qFromBigEndian<quint64>(bytes.constData() + local + 8));
    } else {
        box.size = size == 0 ? end - at : qint64(size);
    }
    if (box.size < box.header || box.size > end - at)
        return std::nullopt;
    return box;
}

// The boxes that fill [from, end) of `bytes`, or nothing when they do not.
std::optional<QList<Box>> children(const QByteArray &bytes, qint64 base, qint64 from, qint64 end)
{
    QList<Box> boxes;
    for (qint64 at = from; at < end;) {
        const std::optional<Box> box = boxAt(bytes, base, at, end);
        if (!box)
            return std::nullopt;
        boxes << *box;
        at += box->size;
    }
    return boxes;
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray box(QByteArrayView type, const QByteArray &payload)
{
    return bigEndian32(quint32(8 + payload.size())) + type.toByteArray() + payload;
}

QByteArray metaBox(const QList<ItunesTag> &tags)
{
    QByteArray items;
    for (const auto &[item, text] : tags) {
        // Type 1: UTF-8 text, in the default locale.
        items += box(item, box("data", bigEndian32(1) + bigEndian32(0) + text.toUtf8()));
    }
    // The handler that marks the items as iTunes metadata.
    const QByteArray handler = box("hdlr", bigEndian32(0) + bigEndian32(0) + "mdir" + "appl" + QByteArray(9, '\0'));
    return box("meta", bigEndian32(0) + handler + box("ilst", items));
}

// The moov box at the end of the file: its place and its bytes.
std::optional<std::pair<Box, QByteArray>> readIndex(QFile &file, QString &error)
{
    const qint64 end = file.size();
    for (qint64 at = 0; at < end;) {
        if (!file.seek(at)) {
            error = u"cannot read the file"_s;
            return std::nullopt;
        }
        const QByteArray header = file.read(16);
        const std::optional<Box> top = boxAt(header, at, at, end);
        if (!top) {
            error = u"the file is not an ISO media file"_s;
            return std::nullopt;
        }
        if (top->type == "moov") {
            if (top->offset + top->size != end || top->size > kMaxIndexBytes) {
                error = u"its index is not at its end"_s;
                return std::nullopt;
            }
            file.seek(at);
            return std::pair{*top, file.read(top->size)};
        }
        at += top->size;
    }
    error = u"the file has no index"_s;
    return std::nullopt;
}

} // namespace

bool addItunesTags(const QString &path, const QList<ItunesTag> &tags, QString &error, int *errorNumber)
{
    if (errorNumber)
        *errorNumber = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) {
        error = file.errorString();
        return false;
    }
    const auto index = readIndex(file, error);
    if (!index)
        return false;
    const auto &[moov, bytes] = *index;
    const std::optional<QList<Box>> parts = children(bytes, moov.offset, moov.offset + moov.header, moov.offset + moov.size);
    if (!parts || bytes.size() != moov.size) {
        error = u"its index is damaged"_s;
        return false;
    }
    QByteArray content;
    bool placed = false;
    for (const Box &part : *parts) {
        const QByteArray whole = bytes.mid(part.offset - moov.offset, part.size);
        if (part.type != "udta") {
            content += whole;
            continue;
        }
        const std::optional<QList<Box>> items = children(bytes, moov.offset, part.offset + part.header, part.offset + part.size);
        if (!items) {
            error = u"its user data is damaged"_s;
            return false;
        }
        for (const Box &item : *items) {
            if (item.type == "meta")
                return true; // tagged already
        }
        content += box("udta", whole.mid(part.header) + metaBox(tags));
        placed = true;
    }
    if (!placed)
        content += box("udta", metaBox(tags));
    // Only the index grows, at the end: every sample stays where it is.
    const QByteArray grown = box("moov", content);
    errno = 0;
    if (!file.seek(moov.offset) || file.write(grown) != grown.size() || !file.flush()) {
        if (errorNumber)
            *errorNumber = errno ? errno : EIO;
        error = file.errorString();
        return false;
    }
    return true;
}

std::optional<QString> isoStructureProblem(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return file.errorString();
    QString error;
    // readIndex walks every top-level box: each must fit, and the index end the file.
    const auto index = readIndex(file, error);
    if (!index)
        return error;
    const auto &[moov, bytes] = *index;
    if (bytes.size() != moov.size
        || !children(bytes, moov.offset, moov.offset + moov.header, moov.offset + moov.size))
        return u"its index is damaged"_s;
    return std::nullopt;
}

} // namespace sonvera::encoders
