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

} // namespace sonvera
