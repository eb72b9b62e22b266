#include "ffmpegoutput.h"

#include <QRegularExpression>

#include <algorithm>
#include <cstring>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

std::optional<double> hmsSeconds(QStringView text)
{
    const QList<QStringView> parts = text.split(u':');
    if (parts.size() != 3)
        return std::nullopt;
    bool okH = false, okM = false, okS = false;
    const double h = parts[0].toDouble(&okH);
    const double m = parts[1].toDouble(&okM);
    const double s = parts[2].toDouble(&okS);
    if (!okH || !okM || !okS)
        return std::nullopt;
    return h * 3600 + m * 60 + s;
}

// "1492.0kbits/s" or "16.8x": the number at the start; -1 for "N/A".
double leadingNumber(QByteArrayView value)
{
    qsizetype end = 0;
    while (end < value.size() && (std::isdigit(static_cast<unsigned char>(value[end])) || value[end] == '.'))
        ++end;
    bool ok = false;
    const double number = value.first(end).toDouble(&ok);
    return ok ? number : -1;
}

// A "  Stream #0:1: Video: h264 ..." line of a listing, or nothing.
std::optional<StreamInfo> streamOf(const QString &text)
{
    static const QRegularExpression kStream(uR"(^  Stream #\d+:\d+(?:\[[^\]]*\])?(?:\([^)]*\))?: (\w+): (.*)$)"_s);
    const QRegularExpressionMatch m = kStream.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    StreamInfo stream;
    const QString kind = m.captured(1);
    const QString details = m.captured(2);
    stream.codec = details.section(u' ', 0, 0).section(u',', 0, 0);
    static const QRegularExpression kTag(uR"( / 0x([0-9A-Fa-f]+)\))"_s);
    if (const QRegularExpressionMatch tag = kTag.match(details); tag.hasMatch())
        stream.codecTag = tag.captured(1).toInt(nullptr, 16);
    if (kind == u"Video") {
        stream.kind = StreamInfo::Kind::Video;
        static const QRegularExpression kSize(uR"(, (\d+)x(\d+)\b)"_s);
        if (const QRegularExpressionMatch size = kSize.match(details); size.hasMatch())
            stream.size = QSize(size.captured(1).toInt(), size.captured(2).toInt());
        // "25 tbr" is the rate ffmpeg codes at; "1k tbr" means thousands.
        static const QRegularExpression kRate(uR"(, (\d+(?:\.\d+)?)(k?) (tbr|fps)\b)"_s);
        for (QRegularExpressionMatchIterator it = kRate.globalMatch(details); it.hasNext();) {
            const QRegularExpressionMatch rate = it.next();
            if (stream.frameRate <= 0 || rate.captured(3) == u"tbr")
                stream.frameRate = rate.captured(1).toDouble() * (rate.captured(2).isEmpty() ? 1 : 1000);
        }
        stream.attachedPicture = details.contains(u"(attached pic)"_s);
    } else if (kind == u"Audio") {
        stream.kind = StreamInfo::Kind::Audio;
        static const QRegularExpression kRate(uR"(, (\d+) Hz\b)"_s);
        if (const QRegularExpressionMatch rate = kRate.match(details); rate.hasMatch())
            stream.sampleRate = rate.captured(1).toInt();
    }
    return stream;
}

} // namespace

QList<QByteArray> LineBuffer::take(QByteArrayView chunk)
{
    QList<QByteArray> lines;
    if (chunk.isEmpty())
        return lines;
    const char *at = chunk.data();
    const char *const stop = at + chunk.size();
    const auto find = [stop](const char *from, char c) {
        const void *found = std::memchr(from, c, std::size_t(stop - from));
        return found ? static_cast<const char *>(found) : stop;
    };
    // The next "\n" and the next "\r", each looked for again only once passed:
    // each byte is looked at a bounded number of times, however the stream is cut.
    const char *lineFeed = find(at, '\n');
    const char *carriageReturn = find(at, '\r');
    for (;;) {
        const char *end = std::min(lineFeed, carriageReturn);
        if (!m_dropping) {
            const qsizetype room = kMaxLineBytes - m_pending.size();
            m_pending.append(at, std::min<qsizetype>(end - at, room));
            if (end - at > room) {
                lines << std::exchange(m_pending, {});
                m_dropping = true;
            }
        }
        if (end == stop)
            break;
        if (!m_dropping)
            lines << std::exchange(m_pending, {});
        m_dropping = false;
        at = end + 1;
        if (lineFeed < at)
            lineFeed = find(at, '\n');
        if (carriageReturn < at)
            carriageReturn = find(at, '\r');
    }
    return lines;
}

QByteArray LineBuffer::takeRest()
{
    m_dropping = false;
    return std::exchange(m_pending, {});
}

const StreamInfo *InputInfo::video() const
{
    for (const StreamInfo &s : streams) {
        if (s.kind == StreamInfo::Kind::Video && !s.attachedPicture)
            return &s;
    }
    return nullptr;
}

const StreamInfo *InputInfo::audio() const
{
    for (const StreamInfo &s : streams) {
        if (s.kind == StreamInfo::Kind::Audio)
            return &s;
    }
    return nullptr;
}

QString InputInfo::tag(QStringView key) const
{
    for (const auto &[name, value] : tags) {
        if (name.compare(key, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

void FfmpegLogReader::feed(const QByteArray &chunk)
{
    for (const QByteArray &line : m_lines.take(chunk))
        readLine(QString::fromUtf8(line));
}

void FfmpegLogReader::finish()
{
    if (const QByteArray rest = m_lines.takeRest(); !rest.isEmpty())
        readLine(QString::fromUtf8(rest));
    if (m_current >= 0)
        m_inputs[m_current].complete = true;
    m_current = -1;
}

const InputInfo *FfmpegLogReader::input(int index) const
{
    return index >= 0 && index < m_inputs.size() ? &m_inputs[index] : nullptr;
}

void FfmpegLogReader::readLine(QString line)
{
    // "[flv @ 0x55d0c0] [error] message": the context part is optional,
    // the level part is there for every message but continuation lines.
    static const QRegularExpression kPrefix(uR"(^(\[[^\]]* @ 0x[0-9a-f]+\] )?\[(\w+)\] )"_s);
    const QRegularExpressionMatch prefix = kPrefix.match(line);
    if (!prefix.hasMatch()) {
        // A value's further lines come without a level.
        m_inTags = m_inTags && m_current >= 0 && readTagLine(line, false);
        return;
    }
    const bool inTags = std::exchange(m_inTags, false);
    const bool fromComponent = prefix.capturedLength(1) > 0;
    const QString level = prefix.captured(2);
    const QString text = line.mid(prefix.capturedEnd());

    // Messages repeat for every packet of a damaged stream: each text is kept once.
    auto keep = [](QStringList &texts, const QString &message) {
        if (texts.size() < kKeptMessages && !texts.contains(message))
            texts << message;
    };
    if (level == u"error" || level == u"fatal" || level == u"panic") {
        if (!text.trimmed().isEmpty()) {
            m_lastError = text.trimmed();
            keep(m_errors, m_lastError);
        }
        return;
    }
    if (level == u"warning") {
        if (!text.trimmed().isEmpty()) {
            m_lastWarning = text.trimmed();
            keep(m_warnings, m_lastWarning);
        }
        return;
    }
    // The listings come from ffmpeg itself; a component's message (a
    // demuxer's, a decoder's) neither belongs to one nor ends one.
    if (level != u"info" || fromComponent)
        return;

    static const QRegularExpression kInput(uR"(^Input #(\d+), (.*?), from )"_s);
    if (!text.startsWith(u"  "_s)) {
        if (m_current >= 0)
            m_inputs[m_current].complete = true;
        m_current = -1;
        const QRegularExpressionMatch input = kInput.match(text);
        if (input.hasMatch() && input.captured(1).toInt() == m_inputs.size()) {
            m_inputs.append(InputInfo{});
            m_inputs.last().format = input.captured(2);
            m_current = int(m_inputs.size() - 1);
        }
        return;
    }
    if (m_current < 0)
        return;
    InputInfo &info = m_inputs[m_current];
    if (text == u"  Metadata:") {
        m_inTags = true;
        return;
    }
    if (inTags && readTagLine(text, true)) {
        m_inTags = true;
        return;
    }

    static const QRegularExpression kDuration(uR"(^  Duration: ([^,]+)(?:, start: ([^,]+))?(?:, bitrate: (.*))?$)"_s);
    if (const QRegularExpressionMatch m = kDuration.match(text); m.hasMatch()) {
        info.durationSeconds = hmsSeconds(m.captured(1));
        info.startText = m.captured(2);
        info.bitrateText = m.captured(3);
        return;
    }
    if (const std::optional<StreamInfo> stream = streamOf(text))
        info.streams.append(*stream);
}

bool FfmpegLogReader::readTagLine(const QString &text, bool prefixed)
{
    // "    title           : Clip" (the key padded to 16), then
    // "                    : second line" for each further line of a value.
    static const QRegularExpression kTag(uR"(^    (\S.*?) *: (.*)$)"_s);
    static const QRegularExpression kMore(uR"(^ +: (.*)$)"_s);
    QList<std::pair<QString, QString>> &tags = m_inputs[m_current].tags;
    if (!prefixed) {
        const QRegularExpressionMatch more = kMore.match(text);
        if (!more.hasMatch() || tags.isEmpty())
            return false;
        tags.last().second += u'\n' + more.captured(1);
        return true;
    }
    const QRegularExpressionMatch tag = kTag.match(text);
    if (!tag.hasMatch())
        return false;
    tags.append({tag.captured(1), tag.captured(2)});
    return true;
}

QList<ProgressBlock> ProgressReader::feed(const QByteArray &chunk)
{
    QList<ProgressBlock> blocks;
    for (const QByteArray &line : m_lines.take(chunk)) {
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0)
            continue;
        const QByteArrayView key = QByteArrayView(line).first(eq);
        const QByteArrayView value = QByteArrayView(line).sliced(eq + 1).trimmed();
        const bool known = value != "N/A";
        if (key == "frame" && known) {
            m_block.frame = value.toLongLong();
        } else if (key == "fps" && known) {
            m_block.fps = leadingNumber(value);
        } else if (key == "total_size" && known) {
            m_block.totalSizeBytes = value.toLongLong();
        } else if (key == "out_time_us" && known) {
            bool ok = false;
            const qint64 us = value.toLongLong(&ok);
            if (ok)
                m_block.outTimeSeconds = double(std::max<qint64>(us, 0)) / 1e6;
        } else if (key == "bitrate" && known) {
            m_block.bitrateKbps = leadingNumber(value);
        } else if (key == "speed" && known) {
            m_block.speed = leadingNumber(value);
        } else if (key == "progress") {
            m_block.end = value == "end";
            blocks << std::exchange(m_block, {});
        }
    }
    return blocks;
}

} // namespace sonvera::encoders
