#include "statuslines.h"

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

QString convStatusLine(const ConvStatus &s)
{
    return QString::asprintf("Pos:%6.1fs %6lldf (%2d%%) %6.2ffps Trem:%4dmin %4dmb  A-V:0.000 [%d:%d]",
                             s.positionSeconds, static_cast<long long>(s.frames), s.percent, s.fps,
                             s.minutesLeft, s.estimatedMegabytes, s.videoKbps, s.audioKbps);
}

int convPercent(double positionSeconds, std::optional<double> durationSeconds)
{
    if (!durationSeconds || *durationSeconds <= 0)
        return 0;
    const double percent = std::floor(positionSeconds / *durationSeconds * 100);
    return int(std::clamp(percent, 0.0, 99.0));
}

QString hmsText(double seconds)
{
    // Whole hundredths, rounded as ffmpeg's banner rounds them.
    const long long hundredths = std::llround(std::max(seconds, 0.0) * 100);
    const long long secs = hundredths / 100;
    return QString::asprintf("%02lld:%02lld:%02lld.%02lld", secs / 3600, secs / 60 % 60, secs % 60,
                             hundredths % 100);
}

QString durationBannerLine(std::optional<double> durationSeconds, const QString &startText,
                           const QString &bitrateText)
{
    QString line = u"  Duration: "_s + (durationSeconds ? hmsText(*durationSeconds) : u"N/A"_s);
    line += u", start: "_s + (startText.isEmpty() ? u"0.000000"_s : startText);
    line += u", bitrate: "_s + (bitrateText.isEmpty() ? u"N/A"_s : bitrateText);
    return line;
}

QString coderStatusLine(const ProgressBlock &b, bool video, bool last)
{
    QString line;
    if (video) {
        line += QString::asprintf("frame=%5lld fps=%3.0f q=0.0 ", static_cast<long long>(std::max<qint64>(b.frame, 0)),
                                  std::max(b.fps, 0.0));
    }
    line += last ? u"Lsize="_s : u"size="_s;
    line += QString::asprintf("%8lldkB time=%.2f ", static_cast<long long>(std::max<qint64>(b.totalSizeBytes, 0) / 1024),
                              b.outTimeSeconds.value_or(0));
    line += b.bitrateKbps >= 0 ? QString::asprintf("bitrate=%6.1fkbits/s ", b.bitrateKbps) : u"bitrate=N/A "_s;
    line += b.speed >= 0 ? QString::asprintf("speed=%.3gx", b.speed) : u"speed=N/A"_s;
    return line;
}

} // namespace sonvera::encoders
