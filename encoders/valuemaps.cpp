#include "valuemaps.h"

#include "findclosest.h"

#include <algorithm>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

using coding::BitrateBand;
using coding::findClosest;

namespace {

QString changed(QStringView what, const QString &from, const QString &to, const QString &why)
{
    return what + u' ' + from + u" → "_s + to + u": "_s + why;
}

QString kbit(double kbps) { return numberText(kbps) + u" kbit/s"_s; }
QString hz(double rate) { return numberText(rate) + u" Hz"_s; }

// The band of bitrates that applies at `sampleRate`: the one from the
// highest rate at or below it.
const BitrateBand *bandAt(const AudioCoding &coding, int sampleRate)
{
    const BitrateBand *found = nullptr;
    for (const BitrateBand &band : coding.bitrates.values()) {
        if (!found || band.fromHz <= sampleRate)
            found = &band;
    }
    return found;
}

} // namespace

std::optional<double> parseDecimal(QStringView text)
{
    int digits = 0;
    int points = 0;
    for (QChar c : text) {
        if (c >= u'0' && c <= u'9')
            ++digits;
        else if (c == u'.')
            ++points;
        else
            return std::nullopt;
    }
    if (digits == 0 || points > 1)
        return std::nullopt;
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> parseKbitPerSecond(QStringView text)
{
    if (text.endsWith(u'k') || text.endsWith(u'K'))
        return parseDecimal(text.chopped(1));
    const std::optional<double> bare = parseDecimal(text);
    if (!bare)
        return std::nullopt;
    return *bare >= 1000 ? *bare / 1000 : *bare;
}

std::optional<QSize> parseFrameSize(QStringView text)
{
    const qsizetype x = text.indexOf(u'x');
    if (x < 0)
        return std::nullopt;
    const QStringView w = text.left(x);
    const QStringView h = text.mid(x + 1);
    if (w.contains(u'.') || h.contains(u'.'))
        return std::nullopt;
    const std::optional<double> width = parseDecimal(w);
    const std::optional<double> height = parseDecimal(h);
    if (!width || !height || *width < 2 || *height < 2 || *width > 8192 || *height > 8192)
        return std::nullopt;
    return QSize(int(*width), int(*height));
}

QString numberText(double value)
{
    return QString::number(value, 'g', 12);
}

Mapped<QString> fitFrameRate(const VideoCoding &coding, double fps)
{
    if (coding.frameRates.isEmpty())
        return {numberText(fps), {}};
    const FrameRate best = findClosest(coding.frameRates.values(), fps, &FrameRate::value);
    if (std::abs(best.value() - fps) < 1e-9)
        return {best.text(), {}};
    const QString to = best.den == 1 ? best.text() : QString::number(best.value(), 'f', 3) + u" = "_s + best.text();
    return {best.text(), changed(u"frame rate", numberText(fps) + u" fps"_s, to + u" fps"_s,
                                 coding.shownName + u" takes no " + numberText(fps) + u" fps")};
}

Mapped<double> fitVideoBitrate(const VideoCoding &coding, double kbps)
{
    if (coding.maxKbps <= 0)
        return {kbps, {}};
    const double fitted = double(std::lround(std::clamp(kbps, 1.0, double(coding.maxKbps))));
    if (fitted == kbps)
        return {fitted, {}};
    return {fitted, changed(u"video bitrate", kbit(kbps), kbit(fitted),
                            coding.shownName + u" takes 1 to " + QString::number(coding.maxKbps)
                                + u" kbit/s in whole numbers")};
}

Mapped<int> fitSampleRate(const AudioCoding &coding, int rate)
{
    if (coding.fixedSampleRate > 0) {
        if (rate == coding.fixedSampleRate)
            return {rate, {}};
        return {coding.fixedSampleRate, changed(u"audio sample rate", hz(rate), hz(coding.fixedSampleRate),
                                                coding.shownName + u" is " + hz(coding.fixedSampleRate))};
    }
    if (coding.sampleRates.isEmpty())
        return {rate, {}};
    const int best = findClosest(coding.sampleRates.values(), rate);
    if (best == rate)
        return {best, {}};
    return {best, changed(u"audio sample rate", hz(rate), hz(best), coding.shownName + u" takes no " + hz(rate))};
}

Mapped<double> fitAudioBitrate(const AudioCoding &coding, double kbps, int sampleRate)
{
    const int rate = coding.fixedSampleRate > 0 ? coding.fixedSampleRate : sampleRate;
    if (const BitrateBand *band = bandAt(coding, rate)) {
        const double best = findClosest(band->kbps.values(), kbps);
        if (best == kbps)
            return {best, {}};
        // Where the bitrates depend on the sample rate, the message says at which.
        const QString at = coding.bitrates.values().size() > 1 ? u" at "_s + hz(rate) : QString();
        return {best, changed(u"audio bitrate", kbit(kbps), kbit(best), coding.shownName + at + u" takes no " + kbit(kbps))};
    }
    if (coding.maxKbps <= 0)
        return {kbps, {}};
    const double fitted = double(std::lround(std::clamp(kbps, double(coding.minKbps), double(coding.maxKbps))));
    if (fitted == kbps)
        return {fitted, {}};
    return {fitted, changed(u"audio bitrate", kbit(kbps), kbit(fitted),
                            coding.shownName + u" at "_s + hz(rate) + u" takes "_s + QString::number(coding.minKbps)
                                + u" to "_s + QString::number(coding.maxKbps) + u" kbit/s in whole numbers"_s)};
}

int bitrateIndex(const AudioCoding &coding, double kbps, int sampleRate)
{
    const BitrateBand *band = bandAt(coding, coding.fixedSampleRate > 0 ? coding.fixedSampleRate : sampleRate);
    if (!band)
        return -1;
    const auto values = band->kbps.values();
    const auto at = std::find(values.begin(), values.end(), kbps);
    return at == values.end() ? -1 : int(at - values.begin());
}

Mapped<int> fitChannels(const AudioCoding &coding, int asked)
{
    if (coding.fixedChannels > 0) {
        if (asked <= coding.fixedChannels)
            return {coding.fixedChannels, {}};
        return {coding.fixedChannels,
                changed(u"channels", QString::number(asked), QString::number(coding.fixedChannels),
                        coding.shownName + (coding.fixedChannels == 1 ? u" is mono"_s : u" has "_s + QString::number(coding.fixedChannels) + u" channels"_s))};
    }
    if (asked <= coding.maxChannels)
        return {asked, {}};
    return {coding.maxChannels, changed(u"channels", QString::number(asked), QString::number(coding.maxChannels),
                                        coding.shownName + u" takes at most " + QString::number(coding.maxChannels) + u" channels")};
}

Mapped<int> bitrateForFrameBuffer(int kbps, double fps, int bufferKbit)
{
    if (!(fps > 0))
        return {kbps, {}};
    // A margin for the frame rate's rounding in ffmpeg's listing.
    const int most = std::max(1, int(std::floor(bufferKbit * fps * 0.95)));
    if (kbps <= most)
        return {kbps, {}};
    return {most, changed(u"video bitrate", kbit(kbps), kbit(most),
                          u"at "_s + numberText(std::round(fps * 100) / 100)
                              + u" fps a RealVideo frame must stay under 64 kB"_s)};
}

std::optional<QSize> sizeWithinMacroblocks(QSize size, int maxMacroblocks)
{
    const QSize padded = paddedTo16(size);
    if (!size.isValid() || (padded.width() / 16) * (padded.height() / 16) <= maxMacroblocks)
        return std::nullopt;
    // Widths and heights in macroblocks: for each width the heights nearest
    // the source's shape; the largest frame within the shape's tolerance
    // wins, or, should none be that close, the closest shape.
    const double shape = double(size.width()) / size.height();
    constexpr double kTolerance = 0.0025;
    QSize best;
    double bestError = std::numeric_limits<double>::infinity();
    auto better = [&](int w, int h, double error) {
        if (!best.isValid())
            return true;
        const bool within = error <= kTolerance;
        const bool bestWithin = bestError <= kTolerance;
        if (within != bestWithin)
            return within;
        if (!within)
            return error < bestError;
        return w * h > best.width() * best.height();
    };
    for (int w = 1; w <= maxMacroblocks; ++w) {
        const double exact = w / shape;
        for (int h : {int(std::floor(exact)), int(std::ceil(exact))}) {
            if (h < 1 || w * h > maxMacroblocks)
                continue;
            const double error = std::abs(double(w) / h / shape - 1);
            if (better(w, h, error)) {
                best = QSize(w, h);
                bestError = error;
            }
        }
    }
    return best * 16;
}

QString macroblockWarning(QSize from, QSize to, QStringView codec, int maxMacroblocks)
{
    return u"frame size "_s + sizeText(from) + u" → "_s + sizeText(to) + u": "_s + codec + u" codes at most "_s
        + QString::number(maxMacroblocks) + u" blocks of 16x16 pixels a frame"_s;
}

QSize paddedTo16(QSize size)
{
    return {(size.width() + 15) / 16 * 16, (size.height() + 15) / 16 * 16};
}

QSize evenSize(QSize size)
{
    return {size.width() / 2 * 2, size.height() / 2 * 2};
}

QString sizeText(QSize size)
{
    return QString::number(size.width()) + u'x' + QString::number(size.height());
}

} // namespace sonvera::encoders
