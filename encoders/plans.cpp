#include "plans.h"

#include <QFileInfo>

#include <array>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

QString quoted(const QString &text) { return u'"' + text + u'"'; }
QString bits(double kbps) { return QString::number(std::llround(kbps * 1000)); }

// Reads a setting that must be a positive number; `example` ends the message.
std::optional<double> positive(std::optional<double> value, QStringView name, const QString &text,
                               QStringView example, QString &error)
{
    if (text.isEmpty()) {
        error = name + u" is empty; enter "_s + example;
        return std::nullopt;
    }
    if (!value) {
        error = name + u' ' + quoted(text) + u" is not a number; enter "_s + example;
        return std::nullopt;
    }
    if (*value <= 0) {
        error = name + u" must be above 0; enter "_s + example;
        return std::nullopt;
    }
    return value;
}

std::optional<double> positiveDecimal(const QString &text, QStringView name, QStringView example, QString &error)
{
    return positive(parseDecimal(text), name, text, example, error);
}

std::optional<double> positiveKbit(const QString &text, QStringView name, QStringView example, QString &error)
{
    // The "k" was put there by the command line, not typed: the message shows what was typed.
    const bool suffixed = text.endsWith(u'k') || text.endsWith(u'K');
    return positive(parseKbitPerSecond(text), name, suffixed ? text.chopped(1) : text, example, error);
}

std::optional<int> wholeNumber(const QString &text, QStringView name, QStringView example, QString &error)
{
    const std::optional<double> value = parseDecimal(text);
    if (!value || text.contains(u'.') || *value > 1e9) {
        error = name + u' ' + quoted(text) + u" is not a whole number; enter "_s + example;
        return std::nullopt;
    }
    return int(*value);
}

void addWarning(QStringList &warnings, const QString &warning)
{
    if (!warning.isEmpty())
        warnings << warning;
}

} // namespace

QString keptSizeWarning(SizeRule rule, QSize source)
{
    if (!source.isValid())
        return {};
    if (rule == SizeRule::EvenSides && evenSize(source) != source) {
        return u"frame size "_s + sizeText(source) + u" → "_s + sizeText(evenSize(source))
            + u": H.264 needs even sizes"_s;
    }
    if (rule == SizeRule::PadTo16 && paddedTo16(source) != source) {
        return u"frame size "_s + sizeText(source) + u" → "_s + sizeText(paddedTo16(source))
            + u": RealVideo needs multiples of 16; black borders added"_s;
    }
    return {};
}

QString videoFilter(SizeRule rule, QSize scaleTo)
{
    QStringList steps;
    if (scaleTo.isValid())
        steps << u"scale="_s + QString::number(scaleTo.width()) + u':' + QString::number(scaleTo.height());
    if (rule == SizeRule::PadTo16)
        steps << u"pad=ceil(iw/16)*16:ceil(ih/16)*16:(ow-iw)/2:(oh-ih)/2"_s;
    else if (rule == SizeRule::EvenSides && !scaleTo.isValid())
        steps << u"scale=trunc(iw/2)*2:trunc(ih/2)*2"_s;
    return steps.join(u',');
}

ConvPlanResult planConv(const ConvRequest &r)
{
    ConvPlan plan;
    QString error;
    auto failed = [&error] { return ConvPlanResult{std::nullopt, error}; };

    if (r.videoEncoder != u"lavc")
        return {std::nullopt, r.videoEncoder.isEmpty() ? u"no video encoder given; use -ovc lavc"_s
                                                       : u"video encoder "_s + quoted(r.videoEncoder) + u" is not supported; use lavc"_s};
    const QString vcodec = r.lavcOptions.value(u"vcodec"_s);
    if (vcodec != u"mpeg4" && vcodec != u"mpeg1video")
        return {std::nullopt, u"video codec "_s + quoted(vcodec) + u" is not supported; use mpeg4 or mpeg1video"_s};

    const std::optional<double> videoKbps = positiveDecimal(r.lavcOptions.value(u"vbitrate"_s), u"the video bitrate",
                                                            u"kbit/s such as 600", error);
    if (!videoKbps)
        return failed();
    plan.videoKbps = int(std::lround(*videoKbps));

    // The container follows the output's name: a name ending in ".mp4" gets
    // an MP4, whatever -of says, except for the intermediate file.
    const QFileInfo output(r.output);
    const QString ext = output.suffix().toLower();
    const bool intermediate = isIntermediate(r.output);
    if (r.container == u"avi")
        plan.muxer = (!intermediate && (ext == u"mp4" || ext == u"m4v")) ? u"mp4"_s : u"avi"_s;
    else if (r.container == u"lavf")
        plan.muxer = ext == u"avi" ? u"avi"_s : ext == u"mp4" ? u"mp4"_s : u"mpeg"_s;
    else
        return {std::nullopt, r.container.isEmpty() ? u"no container given; use -of avi or -of lavf"_s
                                                    : u"container "_s + quoted(r.container) + u" is not supported; use avi or lavf"_s};

    plan.codecArguments << u"-map"_s << u"0:V:0"_s << u"-map"_s << u"0:a:0?"_s;
    plan.codecArguments << u"-c:v"_s << vcodec << u"-b:v"_s << bits(*videoKbps);
    if (r.outputFps) {
        const std::optional<double> fps = positiveDecimal(*r.outputFps, u"the frame rate",
                                                          u"frames per second such as 24", error);
        if (!fps)
            return failed();
        if (vcodec == u"mpeg1video") {
            const Mapped<FrameRate> rate = mpeg1FrameRate(*fps);
            addWarning(plan.warnings, rate.warning);
            plan.codecArguments << u"-r"_s << rate.value.text();
        } else {
            plan.codecArguments << u"-r"_s << numberText(*fps);
        }
    }
    // MPEG-1's rates 5, 10, 12 and 15 fps are unofficial extensions, which
    // libavcodec writes and every libavcodec-based player reads.
    if (vcodec == u"mpeg1video")
        plan.codecArguments << u"-strict"_s << u"unofficial"_s;

    if (r.audioEncoder == u"mp3lame") {
        const std::optional<double> kbps = positiveDecimal(r.lamePreset.value_or(QString()), u"the audio bitrate",
                                                           u"kbit/s such as 128", error);
        if (!kbps)
            return failed();
        const Mapped<int> fitted = lameAverageBitrate(*kbps);
        addWarning(plan.warnings, fitted.warning);
        plan.audioKbps = fitted.value;
        // LAME's preset 320 is constant bitrate, its other numeric presets an
        // average bitrate.
        plan.codecArguments << u"-c:a"_s << u"libmp3lame"_s << u"-ar"_s << u"44100"_s << u"-ac"_s << u"2"_s;
        if (fitted.value != 320)
            plan.codecArguments << u"-abr"_s << u"1"_s;
        plan.codecArguments << u"-b:a"_s << QString::number(fitted.value) + u'k';
    } else if (r.audioEncoder == u"lavc") {
        const QString acodec = r.lavcOptions.value(u"acodec"_s, u"mp2"_s);
        if (acodec != u"mp2")
            return {std::nullopt, u"audio codec "_s + quoted(acodec) + u" is not supported; use mp2"_s};
        const std::optional<double> kbps = positiveDecimal(r.lavcOptions.value(u"abitrate"_s), u"the audio bitrate",
                                                           u"kbit/s such as 64", error);
        if (!kbps)
            return failed();
        const Mapped<int> fitted = mp2Bitrate(*kbps);
        addWarning(plan.warnings, fitted.warning);
        plan.audioKbps = fitted.value;
        // MP2 below 32 kHz takes at most 160 kbit/s, so it is always 44.1 kHz.
        plan.codecArguments << u"-c:a"_s << u"mp2"_s << u"-ar"_s << u"44100"_s << u"-ac"_s << u"2"_s << u"-b:a"_s
                            << QString::number(fitted.value) + u'k';
    } else {
        return {std::nullopt, r.audioEncoder.isEmpty() ? u"no audio encoder given; use -oac mp3lame or -oac lavc"_s
                                                       : u"audio encoder "_s + quoted(r.audioEncoder) + u" is not supported; use mp3lame or lavc"_s};
    }
    // AVI keeps no start times: a late sound starts with silence, and the
    // picture gets a frame at every tick (ffmpeg would otherwise leave gaps
    // that AVI places wrongly when the first frame is not at 0). Nor does it
    // take negative times: shifting every stream past LAME's first packet (at
    // -26 ms) would move the video by a whole frame, half a second at 2 fps,
    // while the sound's place in AVI is its byte count anyway.
    // Without a rate asked for, the source's is kept, but ffmpeg guesses
    // 1000 fps for irregular timestamps: at most 60 frames a second are made.
    const bool avi = plan.muxer == u"avi";
    plan.codecArguments << u"-af"_s << audioTimingFilter(avi);
    if (avi)
        plan.codecArguments << u"-fps_mode"_s << u"cfr"_s << u"-avoid_negative_ts"_s << u"disabled"_s;
    if (avi && !r.outputFps)
        plan.codecArguments << u"-fpsmax"_s << u"60"_s;
    return {plan, {}};
}

bool isIntermediate(const QString &outputPath)
{
    return QFileInfo(outputPath).fileName() == u"tmp.mp4";
}

CoderPlanResult planCoder(const CoderRequest &r, bool amrAvailable)
{
    CoderPlan plan;
    QString error;
    auto failed = [&error] { return CoderPlanResult{std::nullopt, error}; };

    const QString ext = QFileInfo(r.output).suffix().toLower();
    const QString kind = r.format ? *r.format : ext;
    if (kind == u"mp3")
        plan.container = CoderContainer::Mp3;
    else if (kind == u"rm" || kind == u"rmvb")
        plan.container = CoderContainer::RealMedia;
    else if (kind == u"mov")
        plan.container = CoderContainer::Mov;
    else if (kind == u"mp4" || kind == u"m4v")
        plan.container = CoderContainer::Mp4;
    else if (kind == u"3gp")
        plan.container = CoderContainer::ThreeGp;
    else if (r.format)
        return {std::nullopt, u"output format "_s + quoted(*r.format) + u" is not supported; use rm, mp3, mov, mp4 or 3gp"_s};
    else
        return {std::nullopt, u"cannot tell the output type from the name; use .mp3, .rm, .rmvb, .mov, .mp4 or .3gp"_s};
    const CoderContainer c = plan.container;

    plan.video = c != CoderContainer::Mp3 && !r.noVideo;
    plan.audio = !r.noAudio;
    if (!plan.video && !plan.audio)
        return {std::nullopt, u"-vn and -an leave nothing to write"_s};

    // Clip range, read as input options so that ffmpeg seeks instead of decoding the skipped part.
    if (r.clipStart) {
        const std::optional<double> s = parseDecimal(*r.clipStart);
        if (!s)
            return {std::nullopt, u"the clip start "_s + quoted(*r.clipStart) + u" is not a number of seconds"_s};
        plan.clipStart = s;
    }
    if (r.clipEnd) {
        const std::optional<double> e = parseDecimal(*r.clipEnd);
        if (!e)
            return {std::nullopt, u"the clip end "_s + quoted(*r.clipEnd) + u" is not a number of seconds"_s};
        if (*e <= plan.clipStart.value_or(0))
            return {std::nullopt, u"the clip end "_s + *r.clipEnd + u" s does not lie after its start "_s
                                      + numberText(plan.clipStart.value_or(0)) + u" s"_s};
        plan.clipEnd = e;
    }
    if (plan.clipStart)
        plan.inputOptions << u"-ss"_s << numberText(*plan.clipStart);
    if (plan.clipEnd)
        plan.inputOptions << u"-to"_s << numberText(*plan.clipEnd);

    if (plan.video) {
        QString codec = r.videoCodec.value_or(c == CoderContainer::RealMedia ? u"rv10"_s
                                              : c == CoderContainer::Mov || c == CoderContainer::Mp4 ? u"libx264"_s
                                                                                                      : u"mpeg4"_s);
        if (codec == u"h264" || codec == u"x264")
            codec = u"libx264"_s;
        const bool real = codec == u"rv10" || codec == u"rv20";
        const bool fits = c == CoderContainer::RealMedia ? real
                                                         : (codec == u"libx264" || codec == u"mpeg4"
                                                            || (codec == u"h263" && c == CoderContainer::ThreeGp));
        if (!fits)
            return {std::nullopt, u"video codec "_s + quoted(codec) + u" does not go into this output type"_s};
        const SizeRule rule = real ? SizeRule::PadTo16 : codec == u"libx264" ? SizeRule::EvenSides : SizeRule::AsIs;
        plan.keptSizeRule = rule;

        QSize scaleTo;
        if (r.size) {
            const std::optional<QSize> asked = parseFrameSize(*r.size);
            if (!asked) {
                return {std::nullopt, r.size->isEmpty() ? u"the frame size is empty; pick one such as 320x240"_s
                                                        : u"the frame size "_s + quoted(*r.size) + u" is not WIDTHxHEIGHT; pick one such as 320x240"_s};
            }
            plan.keepsSize = false;
            scaleTo = rule == SizeRule::EvenSides ? evenSize(*asked) : *asked;
            // A size too large for RealVideo is fitted now; a kept one once the source is known.
            if (const std::optional<QSize> smaller = real ? realVideoFittedSize(*asked) : std::nullopt) {
                plan.warnings << realVideoFittedSizeWarning(*asked, *smaller);
                scaleTo = *smaller;
            } else {
                addWarning(plan.warnings, keptSizeWarning(rule, *asked));
            }
        }
        plan.videoCodec = codec;
        if (r.videoBitrate) {
            plan.videoKbps = positiveKbit(*r.videoBitrate, u"the video bitrate", u"kbit/s such as 256", error);
            if (!plan.videoKbps)
                return failed();
        }
        if (real) {
            const Mapped<int> fitted = realVideoBitrate(plan.videoKbps.value_or(200));
            if (plan.videoKbps)
                addWarning(plan.warnings, fitted.warning);
            plan.realVideoKbps = fitted.value;
        }
        plan.scaleTo = scaleTo;
        plan.videoArguments = coderVideoArguments(plan, nullptr);
    }

    if (plan.audio) {
        QString codec = r.audioCodec.value_or(c == CoderContainer::Mp3         ? u"libmp3lame"_s
                                              : c == CoderContainer::RealMedia ? u"ac3"_s
                                                                               : u"aac"_s);
        if (codec == u"mp3")
            codec = u"libmp3lame"_s;
        const bool amr = codec == u"amr_nb" || codec == u"libopencore_amrnb" || codec == u"amrnb";
        const bool fits = c == CoderContainer::Mp3         ? codec == u"libmp3lame"
                          : c == CoderContainer::RealMedia ? codec == u"ac3"
                          : c == CoderContainer::Mov       ? codec == u"aac" || codec == u"libmp3lame"
                                                           : codec == u"aac" || amr;
        if (!fits)
            return {std::nullopt, u"audio codec "_s + quoted(codec) + u" does not go into this output type"_s};
        if (amr && !amrAvailable)
            return {std::nullopt, u"AMR-NB audio is written by coder2, not by coder"_s};

        std::optional<int> rate;
        if (r.sampleRate) {
            rate = wholeNumber(*r.sampleRate, u"the audio sample rate", u"Hz such as 44100", error);
            if (!rate)
                return failed();
            if (*rate <= 0)
                return {std::nullopt, u"the audio sample rate must be above 0; enter Hz such as 44100"_s};
        }
        std::optional<double> kbps;
        if (r.audioBitrate) {
            kbps = positiveKbit(*r.audioBitrate, u"the audio bitrate", u"kbit/s such as 128", error);
            if (!kbps)
                return failed();
        }
        std::optional<int> channels;
        if (r.channels) {
            channels = wholeNumber(*r.channels, u"the channel count", u"1 or 2", error);
            if (!channels)
                return failed();
        }

        if (amr) {
            if (rate && *rate != 8000)
                plan.warnings << u"audio sample rate "_s + QString::number(*rate) + u" Hz → 8000 Hz: AMR-NB is 8000 Hz"_s;
            if (channels && *channels > 1)
                plan.warnings << u"channels "_s + QString::number(*channels) + u" → 1: AMR-NB is mono"_s;
            const Mapped<AmrMode> mode = amrMode(kbps.value_or(12.2));
            if (kbps)
                addWarning(plan.warnings, mode.warning);
            plan.amr = mode.value;
        } else {
            plan.audioArguments << u"-c:a"_s << codec;
            int maxChannels = 8;
            if (codec == u"libmp3lame") {
                maxChannels = 2;
                if (rate) {
                    const Mapped<int> fitted = lameSampleRate(*rate);
                    addWarning(plan.warnings, fitted.warning);
                    rate = fitted.value;
                }
                if (kbps) {
                    const Mapped<int> fitted = lameBitrate(*kbps, rate.value_or(44100));
                    addWarning(plan.warnings, fitted.warning);
                    kbps = fitted.value;
                }
            } else if (codec == u"ac3") {
                maxChannels = 6;
                if (rate) {
                    const Mapped<int> fitted = ac3SampleRate(*rate);
                    addWarning(plan.warnings, fitted.warning);
                    rate = fitted.value;
                }
                if (kbps) {
                    const Mapped<int> fitted = ac3Bitrate(*kbps);
                    addWarning(plan.warnings, fitted.warning);
                    kbps = fitted.value;
                }
            } else if (rate) {
                static constexpr std::array<int, 13> kAacRates{7350, 8000, 11025, 12000, 16000, 22050, 24000,
                                                               32000, 44100, 48000, 64000, 88200, 96000};
                int best = kAacRates.front();
                for (int entry : kAacRates) {
                    if (std::abs(entry - *rate) < std::abs(best - *rate) || (std::abs(entry - *rate) == std::abs(best - *rate) && entry > best))
                        best = entry;
                }
                if (best != *rate)
                    plan.warnings << u"audio sample rate "_s + QString::number(*rate) + u" Hz → "_s + QString::number(best) + u" Hz: AAC takes no "_s + QString::number(*rate) + u" Hz"_s;
                rate = best;
            }
            if (rate)
                plan.audioArguments << u"-ar"_s << QString::number(*rate);
            if (kbps)
                plan.audioArguments << u"-b:a"_s << bits(*kbps);
            // 0 channels keeps the source's count.
            if (channels && *channels > 0) {
                const Mapped<int> fitted = channelCount(*channels, maxChannels);
                addWarning(plan.warnings, fitted.warning);
                plan.audioArguments << u"-ac"_s << QString::number(fitted.value);
            }
            plan.audioArguments << u"-af"_s << audioTimingFilter(false);
        }
    }

    switch (c) {
    case CoderContainer::Mp3: plan.muxer = u"mp3"_s; break;
    case CoderContainer::RealMedia: plan.muxer = u"rm"_s; break;
    case CoderContainer::Mov: plan.muxer = u"mov"_s; break;
    case CoderContainer::Mp4:
        // ffmpeg's mp4 muxer refuses AMR; its 3gp muxer writes the same
        // ISO file layout and takes it.
        plan.muxer = plan.amr ? u"3gp"_s : u"mp4"_s;
        if (plan.amr)
            plan.warnings << u"container MP4 → 3GP-branded MP4: the plain MP4 layout cannot hold AMR-NB audio"_s;
        break;
    case CoderContainer::ThreeGp: plan.muxer = u"3gp"_s; break;
    }
    return {plan, {}};
}

QStringList coderVideoArguments(const CoderPlan &plan, const StreamInfo *source, QStringList *warnings)
{
    const bool real = plan.keptSizeRule == SizeRule::PadTo16;
    const QSize sourceSize = source ? source->size : QSize();
    auto warn = [warnings](const QString &warning) {
        if (warnings && !warning.isEmpty())
            *warnings << warning;
    };
    QStringList args{u"-c:v"_s, plan.videoCodec};
    QString filter;
    const std::optional<QSize> fitted = real && plan.keepsSize ? realVideoFittedSize(sourceSize) : std::nullopt;
    if (fitted) {
        filter = u"scale="_s + QString::number(fitted->width()) + u':' + QString::number(fitted->height());
        warn(realVideoFittedSizeWarning(sourceSize, *fitted));
    } else {
        filter = videoFilter(plan.keptSizeRule, plan.scaleTo);
        if (plan.keepsSize)
            warn(keptSizeWarning(plan.keptSizeRule, sourceSize));
    }
    if (!filter.isEmpty())
        args << u"-vf"_s << filter;
    if (plan.videoCodec == u"libx264")
        args << u"-pix_fmt"_s << u"yuv420p"_s;
    if (real) {
        // A RealMedia packet holds at most 64 kB: the rate control's buffer
        // keeps every frame below that, as far as the frame rate lets it.
        const Mapped<int> kbps = realVideoBitrateAt(plan.realVideoKbps, source ? source->frameRate : 0);
        warn(kbps.warning);
        args << u"-b:v"_s << QString::number(kbps.value) + u'k' << u"-maxrate"_s << QString::number(2 * kbps.value) + u'k'
             << u"-bufsize"_s << QString::number(kRealVideoBufferKbit) + u'k';
    } else if (plan.videoKbps) {
        args << u"-b:v"_s << bits(*plan.videoKbps);
    }
    return args;
}

QString audioTimingFilter(bool fromZero)
{
    // Gaps under 0.1 s (aresample's min_hard_comp) are timestamp jitter and stay as they are.
    return fromZero ? u"aresample=async=1:first_pts=0"_s : u"aresample=async=1"_s;
}

std::optional<double> clippedDuration(const CoderPlan &plan, std::optional<double> sourceSeconds)
{
    const double start = plan.clipStart.value_or(0);
    if (!sourceSeconds) {
        if (plan.clipEnd)
            return *plan.clipEnd - start;
        return std::nullopt;
    }
    const double end = std::min(plan.clipEnd.value_or(*sourceSeconds), *sourceSeconds);
    return std::max(end - start, 0.0);
}

QString ffmpegFileUrl(const QString &path)
{
    return u"file:"_s + QFileInfo(path).absoluteFilePath();
}

} // namespace sonvera::encoders
