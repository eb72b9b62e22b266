#include "valuemaps.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <span>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

QString changed(QStringView what, const QString &from, const QString &to, const QString &why)
{
    return what + u' ' + from + u" → "_s + to + u": "_s + why;
}

// The entry of `table` nearest to `value`; a value midway between two
// entries takes the higher one.
template<typename T, std::size_t N>
T nearest(const std::array<T, N> &table, double value)
{
    T best = table.front();
    double bestDistance = std::numeric_limits<double>::infinity();
    for (T entry : table) {
        const double distance = std::abs(double(entry) - value);
        if (distance < bestDistance || (distance == bestDistance && double(entry) > double(best))) {
            best = entry;
            bestDistance = distance;
        }
    }
    return best;
}

QString kbit(double kbps) { return numberText(kbps) + u" kbit/s"_s; }
QString hz(double rate) { return numberText(rate) + u" Hz"_s; }

Mapped<int> fitBitrate(std::span<const int> table, double kbps, const QString &why)
{
    int best = table.front();
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int entry : table) {
        const double distance = std::abs(entry - kbps);
        if (distance < bestDistance || (distance == bestDistance && entry > best)) {
            best = entry;
            bestDistance = distance;
        }
    }
    if (best == kbps)
        return {best, {}};
    return {best, changed(u"audio bitrate", kbit(kbps), kbit(best), why)};
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

QString FrameRate::text() const
{
    return den == 1 ? QString::number(num) : QString::number(num) + u'/' + QString::number(den);
}

Mapped<FrameRate> mpeg1FrameRate(double asked)
{
    static constexpr std::array<FrameRate, 12> kRates{{{24000, 1001}, {24, 1}, {25, 1}, {30000, 1001}, {30, 1},
                                                        {50, 1}, {60000, 1001}, {60, 1}, {5, 1}, {10, 1},
                                                        {12, 1}, {15, 1}}};
    FrameRate best = kRates.front();
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const FrameRate &rate : kRates) {
        const double distance = std::abs(rate.value() - asked);
        if (distance < bestDistance || (distance == bestDistance && rate.value() > best.value())) {
            best = rate;
            bestDistance = distance;
        }
    }
    if (bestDistance < 1e-9)
        return {best, {}};
    const QString to = best.den == 1 ? best.text()
                                     : QString::number(best.value(), 'f', 3) + u" = "_s + best.text();
    return {best, changed(u"frame rate", numberText(asked) + u" fps"_s, to + u" fps"_s,
                          u"MPEG-1 video takes no " + numberText(asked) + u" fps")};
}

Mapped<int> mp2Bitrate(double kbps)
{
    static constexpr std::array<int, 14> kTable{32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384};
    return fitBitrate(kTable, kbps, u"MP2 audio takes no " + kbit(kbps));
}

Mapped<int> lameSampleRate(int rate)
{
    static constexpr std::array<int, 9> kRates{8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
    const int best = nearest(kRates, rate);
    if (best == rate)
        return {best, {}};
    return {best, changed(u"audio sample rate", hz(rate), hz(best), u"MP3 takes no " + hz(rate))};
}

Mapped<int> lameBitrate(double kbps, int sampleRate)
{
    static constexpr std::array<int, 14> kMpeg1{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr std::array<int, 14> kMpeg2{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static constexpr std::array<int, 8> kMpeg25{8, 16, 24, 32, 40, 48, 56, 64};
    const QString why = u"MP3 at " + hz(sampleRate) + u" takes no " + kbit(kbps);
    if (sampleRate >= 32000)
        return fitBitrate(kMpeg1, kbps, why);
    if (sampleRate >= 16000)
        return fitBitrate(kMpeg2, kbps, why);
    return fitBitrate(kMpeg25, kbps, why);
}

Mapped<int> lameAverageBitrate(double kbps)
{
    const int fitted = int(std::lround(std::clamp(kbps, 32.0, 320.0)));
    if (fitted == kbps)
        return {fitted, {}};
    return {fitted, changed(u"audio bitrate", kbit(kbps), kbit(fitted),
                            u"MP3 at 44100 Hz takes 32 to 320 kbit/s in whole numbers"_s)};
}

Mapped<int> ac3SampleRate(int rate)
{
    static constexpr std::array<int, 3> kRates{32000, 44100, 48000};
    const int best = nearest(kRates, rate);
    if (best == rate)
        return {best, {}};
    return {best, changed(u"audio sample rate", hz(rate), hz(best),
                          u"RealMedia audio (AC-3) takes only 32000, 44100 and 48000 Hz"_s)};
}

Mapped<int> ac3Bitrate(double kbps)
{
    static constexpr std::array<int, 19> kTable{32,  40,  48,  56,  64,  80,  96,  112, 128, 160,
                                                192, 224, 256, 320, 384, 448, 512, 576, 640};
    return fitBitrate(kTable, kbps, u"RealMedia audio (AC-3) takes no " + kbit(kbps));
}

Mapped<int> realVideoBitrate(double kbps)
{
    const int fitted = int(std::lround(std::clamp(kbps, 1.0, 5000.0)));
    if (fitted == kbps)
        return {fitted, {}};
    return {fitted, changed(u"video bitrate", kbit(kbps), kbit(fitted),
                            u"RealVideo takes 1 to 5000 kbit/s in whole numbers"_s)};
}

Mapped<AmrMode> amrMode(double kbps)
{
    static constexpr std::array<double, 8> kRates{4.75, 5.15, 5.9, 6.7, 7.4, 7.95, 10.2, 12.2};
    const double best = nearest(kRates, kbps);
    AmrMode mode;
    for (std::size_t i = 0; i < kRates.size(); ++i) {
        if (kRates[i] == best)
            mode = {int(i), best};
    }
    if (best == kbps)
        return {mode, {}};
    return {mode, changed(u"audio bitrate", kbit(kbps), kbit(best),
                          u"AMR-NB takes 4.75, 5.15, 5.9, 6.7, 7.4, 7.95, 10.2 or 12.2 kbit/s"_s)};
}

Mapped<int> channelCount(int asked, int maximum)
{
    if (asked <= maximum)
        return {asked, {}};
    return {maximum, changed(u"channels", QString::number(asked), QString::number(maximum),
                             u"this audio takes at most " + QString::number(maximum) + u" channels")};
}

Mapped<int> realVideoBitrateAt(int kbps, double fps)
{
    if (!(fps > 0))
        return {kbps, {}};
    // A margin for the frame rate's rounding in ffmpeg's listing.
    const int most = std::max(1, int(std::floor(kRealVideoBufferKbit * fps * 0.95)));
    if (kbps <= most)
        return {kbps, {}};
    return {most, changed(u"video bitrate", kbit(kbps), kbit(most),
                          u"at "_s + numberText(std::round(fps * 100) / 100)
                              + u" fps a RealVideo frame must stay under 64 kB"_s)};
}

std::optional<QSize> realVideoFittedSize(QSize size)
{
    const QSize padded = paddedTo16(size);
    if (!size.isValid() || (padded.width() / 16) * (padded.height() / 16) <= kRealVideoMaxMacroblocks)
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
    for (int w = 1; w <= kRealVideoMaxMacroblocks; ++w) {
        const double exact = w / shape;
        for (int h : {int(std::floor(exact)), int(std::ceil(exact))}) {
            if (h < 1 || w * h > kRealVideoMaxMacroblocks)
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

QString realVideoFittedSizeWarning(QSize from, QSize to)
{
    return u"frame size "_s + sizeText(from) + u" → "_s + sizeText(to) + u": RealVideo codes at most "_s
        + QString::number(kRealVideoMaxMacroblocks) + u" blocks of 16x16 pixels a frame"_s;
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
