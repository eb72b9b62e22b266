#include "pathtext.h"

#include <QDir>
#include <QStringDecoder>

namespace sonvera {

QString fileNameOf(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    return (slash < 0 ? path : path.mid(slash + 1)).toString();
}

QString folderOf(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    return slash == 0 ? QStringLiteral("/") : path.left(slash).toString();
}

QString withTrailingSlash(const QString &folder)
{
    return folder.isEmpty() || folder.endsWith(u'/') ? folder : folder + u'/';
}

QString trimmedSpaces(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.sliced(begin, end - begin).toString();
}

QString shownSafely(QStringView text)
{
    const auto unsafe = [](char16_t c) {
        return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F
            || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
    };
    qsizetype first = 0;
    while (first < text.size() && !unsafe(text[first].unicode()))
        ++first;
    if (first == text.size())
        return text.toString(); // the usual case: nothing to escape
    QString out = text.left(first).toString();
    out.reserve(text.size() + 8);
    for (qsizetype i = first; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (!unsafe(c)) {
            out += QChar(c);
            continue;
        }
        switch (c) {
        case u'\a': out += u"\\a"; break;
        case u'\b': out += u"\\b"; break;
        case u'\t': out += u"\\t"; break;
        case u'\n': out += u"\\n"; break;
        case u'\v': out += u"\\v"; break;
        case u'\f': out += u"\\f"; break;
        case u'\r': out += u"\\r"; break;
        case 0x1B: out += u"\\e"; break;
        default: out += u'?'; break;
        }
    }
    return out;
}

QString withHomeAsTilde(const QString &path)
{
    const QString home = QDir::homePath();
    if (home.size() > 1 && path.startsWith(home + u'/'))
        return u'~' + path.mid(home.size());
    return path;
}

QString withTildeExpanded(const QString &text)
{
    if (text == u"~")
        return QDir::homePath();
    if (text.startsWith(u"~/"))
        return QDir::homePath() + text.mid(1);
    return text;
}

bool isUtf8(const QByteArray &native)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = utf8.decode(native);
    return !utf8.hasError();
}

QString shownName(const QByteArray &native)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(native);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030", QStringDecoder::Flag::Stateless);
    return gb18030.isValid() ? QString(gb18030.decode(native)) : text;
}

namespace {

// The length of the valid UTF-8 sequence at `at`, or 0 when there is none
// (a stray byte, an overlong form, a surrogate, past U+10FFFF).
qsizetype utf8SequenceAt(const QByteArray &bytes, qsizetype at)
{
    const auto byte = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    char32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (qsizetype i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(at + i) & 0x3Fu);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0;
    return length;
}

} // namespace

QString nativeToEscaped(const QByteArray &native)
{
    QString out;
    for (qsizetype at = 0; at < native.size();) {
        const qsizetype length = utf8SequenceAt(native, at);
        if (length == 0) {
            out += QChar(char16_t(0xDC00 + static_cast<unsigned char>(native[at])));
            ++at;
        } else {
            out += QString::fromUtf8(native.constData() + at, length);
            at += length;
        }
    }
    return out;
}

QByteArray escapedToNative(QStringView escaped)
{
    QByteArray out;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const char16_t c = escaped[i].unicode();
        const bool afterHigh = i > 0 && escaped[i - 1].isHighSurrogate();
        if (c >= 0xDC80 && c <= 0xDCFF && !afterHigh) {
            out += escaped.sliced(runStart, i - runStart).toUtf8();
            out += static_cast<char>(c - 0xDC00);
            runStart = i + 1;
        }
    }
    out += escaped.sliced(runStart).toUtf8();
    return out;
}

} // namespace sonvera
