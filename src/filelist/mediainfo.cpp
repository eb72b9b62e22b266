#include "mediainfo.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// Larger than any picture a video carries: a field beyond it is damage.
constexpr int kMostPixelsPerSide = 1 << 16;
// About 30 years: longer is no real length.
constexpr double kLongestSeconds = 1e9;

// ffprobe writes the length as a text ("33.042000"), "N/A" when it cannot tell.
std::optional<double> durationOf(const QJsonObject &format)
{
    const QJsonValue value = format.value(u"duration"_s);
    bool ok = value.isDouble();
    double seconds = value.toDouble();
    if (value.isString())
        seconds = value.toString().toDouble(&ok);
    if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > kLongestSeconds)
        return std::nullopt;
    return seconds;
}

} // namespace

std::optional<MediaInfo> readProbeReport(QByteArrayView json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject report = document.object();
    const QJsonArray streams = report.value(u"streams"_s).toArray();
    MediaInfo info;
    info.state = MediaInfo::State::Known;
    info.durationSeconds = durationOf(report.value(u"format"_s).toObject());
    for (const QJsonValue &value : streams) {
        const QJsonObject stream = value.toObject();
        if (stream.value(u"codec_type"_s).toString() != u"video")
            continue;
        const int width = stream.value(u"width"_s).toInt();
        const int height = stream.value(u"height"_s).toInt();
        if (width > 0 && height > 0 && width <= kMostPixelsPerSide && height <= kMostPixelsPerSide) {
            info.width = width;
            info.height = height;
            break;
        }
    }
    if (streams.isEmpty() && !info.durationSeconds)
        return std::nullopt;
    return info;
}

QList<ProbeReplyReader::Reply> ProbeReplyReader::read(QByteArrayView bytes)
{
    QList<Reply> replies;
    if (m_broken)
        return replies;
    m_buffer.append(bytes);
    static const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);
    for (;;) {
        const qsizetype end = m_buffer.indexOf('\n');
        if (end < 0) {
            m_broken = m_buffer.size() > kLongestHeader;
            break;
        }
        const QList<QByteArray> fields = m_buffer.left(end).split(' ');
        bool idRead = false;
        bool lengthRead = false;
        const quint64 id = fields.value(0).toULongLong(&idRead);
        const qsizetype pngBytes = fields.value(5).toLongLong(&lengthRead);
        const QByteArray verdict = fields.value(1);
        if (end > kLongestHeader || fields.size() != 6 || !idRead || !lengthRead || pngBytes < 0
            || pngBytes > kMostPngBytes || (verdict != "ok" && verdict != "bad")) {
            m_broken = true;
            break;
        }
        if (m_buffer.size() - end - 1 < pngBytes)
            break; // the picture is still on its way
        Reply reply;
        reply.id = id;
        reply.info.state = verdict == "ok" ? MediaInfo::State::Known : MediaInfo::State::Unreadable;
        if (reply.info.state == MediaInfo::State::Known) {
            bool ok = false;
            const double seconds = fields.at(2).toDouble(&ok);
            if (ok && std::isfinite(seconds) && seconds > 0 && seconds <= kLongestSeconds)
                reply.info.durationSeconds = seconds;
            const int width = fields.at(3).toInt();
            const int height = fields.at(4).toInt();
            if (width > 0 && height > 0 && width <= kMostPixelsPerSide && height <= kMostPixelsPerSide) {
                reply.info.width = width;
                reply.info.height = height;
            }
            const QByteArray png = m_buffer.mid(end + 1, pngBytes);
            if (reply.info.hasPicture() && png.startsWith(kPngSignature))
                reply.info.thumbnailPng = png;
        }
        replies.append(reply);
        m_buffer.remove(0, end + 1 + pngBytes);
    }
    if (m_broken)
        m_buffer.clear();
    return replies;
}

void ProbeReplyReader::reset()
{
    m_buffer.clear();
    m_broken = false;
}

} // namespace sonvera
