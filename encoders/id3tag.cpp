#include "id3tag.h"

#include "positionedio.h"

#include <QFile>
#include <QtEndian>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

constexpr char kLatin1 = 0;
constexpr char kUtf16 = 1;

bool fitsLatin1(const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

// The text in the frame's encoding; `terminated` adds the end mark that
// separates it from what follows.
QByteArray encoded(const QString &text, char encoding, bool terminated)
{
    QByteArray bytes;
    if (encoding == kLatin1) {
        bytes = text.toLatin1();
        if (terminated)
            bytes += '\0';
        return bytes;
    }
    bytes = "\xff\xfe"; // UTF-16, little-endian
    for (const QChar c : text) {
        char unit[2];
        qToLittleEndian(c.unicode(), unit);
        bytes.append(unit, 2);
    }
    if (terminated)
        bytes += QByteArray(2, '\0');
    return bytes;
}

QByteArray frame(const char *id, const QByteArray &content)
{
    // ID3v2.3 sizes are plain 32-bit numbers; only the tag's own is synchsafe.
    QByteArray bytes(id, 4);
    char size[4];
    qToBigEndian(quint32(content.size()), size);
    bytes.append(size, 4);
    bytes += QByteArray(2, '\0');
    return bytes + content;
}

} // namespace

QByteArray id3v23Tag(const QString &title, const QString &artist, const QString &comment)
{
    QByteArray frames;
    for (const auto &[id, text] : {std::pair{"TIT2", title}, std::pair{"TPE1", artist}}) {
        if (text.isEmpty())
            continue;
        const char encoding = fitsLatin1(text) ? kLatin1 : kUtf16;
        frames += frame(id, encoding + encoded(text, encoding, false));
    }
    if (!comment.isEmpty()) {
        // An empty description makes it the comment. Readers take English
        // as the comment's usual language (exiftool shows others as
        // "Comment (und)"), and taggers write it whatever the text's is.
        const char encoding = fitsLatin1(comment) ? kLatin1 : kUtf16;
        frames += frame("COMM", encoding + QByteArray("eng") + encoded({}, encoding, true) + encoded(comment, encoding, false));
    }
    if (frames.isEmpty())
        return {};
    QByteArray tag("ID3\x03\x00\x00", 6);
    const quint32 size = quint32(frames.size());
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += char((size >> shift) & 0x7f);
    return tag + frames;
}

bool prependToFile(const QString &path, const QByteArray &head, QString &error, int *errorNumber)
{
    if (errorNumber)
        *errorNumber = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    bool ok = fd >= 0;
    const off_t size = ok ? ::lseek(fd, 0, SEEK_END) : -1;
    ok = ok && size >= 0;
    // From the end backwards, so that no byte is overwritten before it moved.
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (qint64 end = size; ok && end > 0;) {
        const qint64 start = std::max<qint64>(0, end - block.size());
        ok = readAllAt(fd, block.data(), end - start, start) && writeAllAt(fd, block.constData(), end - start, start + head.size());
        end = start;
    }
    ok = ok && writeAllAt(fd, head.constData(), head.size(), 0);
    if (!ok) {
        if (errorNumber)
            *errorNumber = errno;
        error = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (fd >= 0)
        ::close(fd);
    return ok;
}

} // namespace sonvera::encoders
