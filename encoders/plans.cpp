#include "plans.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

using coding::AudioCoding;
using coding::Encoder;
using coding::FormatCoding;
using coding::VideoCoding;
using coding::kFormatCodings;

namespace {

QString quoted(const QString &text) { return u'"' + text + u'"'; }
QString bits(double kbps) { return QString::number(std::llround(kbps * 1000)); }

// A setting as the messages name it: in words, and by its key for the engine.
struct Setting {
    QStringView words;
    QStringView key;
};
constexpr Setting kVideoBitrate{u"the video bitrate", u"video-bitrate"};
constexpr Setting kFrameRate{u"the frame rate", u"frame-rate"};
constexpr Setting kAudioBitrate{u"the audio bitrate", u"audio-bitrate"};
constexpr Setting kAudioRate{u"the audio sample rate", u"audio-rate"};
constexpr Setting kChannels{u"the channel count", u"channels"};
constexpr Setting kSize{u"the frame size", u"size"};

PlanError settingError(Setting setting, const QString &text, const QString &cause)
{
    return {cause, settingFacts(setting.key.toString(), text)};
}

PlanError refused(const QString &cause)
{
    return {cause, {}};
}

// Reads a setting that must be a positive number; `example` ends the message.
std::optional<double> positive(std::optional<double> value, Setting setting, const QString &text,
                               QStringView example, PlanError &error)
{
    if (text.isEmpty()) {
        error = settingError(setting, text, setting.words + u" is empty; enter "_s + example);
        return std::nullopt;
    }
    if (!value) {
        error = settingError(setting, text, setting.words + u' ' + quoted(text) + u" is not a number; enter "_s + example);
        return std::nullopt;
    }
    if (*value <= 0) {
        error = settingError(setting, text, setting.words + u" must be above 0; enter "_s + example);
        return std::nullopt;
    }
    return value;
}

std::optional<double> positiveDecimal(const QString &text, Setting setting, QStringView example, PlanError &error)
{
    return positive(parseDecimal(text), setting, text, example, error);
}

std::optional<double> positiveKbit(const QString &text, Setting setting, QStringView example, PlanError &error)
{
    // The "k" was put there by the command line, not typed: the message shows what was typed.
    const bool suffixed = text.endsWith(u'k') || text.endsWith(u'K');
    return positive(parseKbitPerSecond(text), setting, suffixed ? text.chopped(1) : text, example, error);
}

std::optional<int> wholeNumber(const QString &text, Setting setting, QStringView example, PlanError &error)
{
    const std::optional<double> value = parseDecimal(text);
    if (!value || text.contains(u'.') || *value > 1e9) {
        error = settingError(setting, text, setting.words + u' ' + quoted(text) + u" is not a whole number; enter "_s + example);
        return std::nullopt;
    }
    return int(*value);
}

void addWarning(QStringList &warnings, const QString &warning)
{
    if (!warning.isEmpty())
        warnings << warning;
}

// The names that `member` of the rows written by conv's style (or coder's)
// go by, for messages: "mpeg4 or mpeg1video".
template<typename Coding>
QString namesOf(Coding FormatCoding::*member, bool mencoderStyle)
{
    QStringList names;
    for (const FormatCoding *entry : kFormatCodings) {
        const FormatCoding &row = *entry;
        const Coding &c = row.*member;
        if ((row.encoder == Encoder::Conv) == mencoderStyle && !c.legacyNames.isEmpty()
            && !names.contains(c.legacyNames.values().front().toString()))
            names << c.legacyNames.values().front().toString();
    }
    const QString last = names.isEmpty() ? QString() : names.takeLast();
    return names.isEmpty() ? last : names.join(u", "_s) + u" or "_s + last;
}

// conv writes the codecs its command line names: those of the row for its
// output's name, or of any row conv writes (a command line made by hand).
template<typename Coding>
const Coding *convCoding(const FormatCoding *named, Coding FormatCoding::*member, QStringView name)
{
    if (named && isNamed(named->*member, name))
        return &(named->*member);
    for (const FormatCoding *entry : kFormatCodings) {
        const FormatCoding &row = *entry;
        if (row.encoder == Encoder::Conv && isNamed(row.*member, name))
            return &(row.*member);
    }
    return nullptr;
}

// conv's audio arguments for `kbps` asked of `coding`.
QStringList convAudioArguments(const AudioCoding &coding, double kbps, int &fittedKbps, QStringList &warnings)
{
    const Mapped<double> fitted = fitAudioBitrate(coding, kbps, coding.fixedSampleRate);
    addWarning(warnings, fitted.warning);
    fittedKbps = int(std::lround(fitted.value));
    QStringList args{u"-c:a"_s, coding.ffmpegEncoder.toString(), u"-ar"_s, QString::number(coding.fixedSampleRate),
                     u"-ac"_s, QString::number(coding.fixedChannels)};
    // LAME's preset 320 is constant bitrate, its other numeric presets an average bitrate.
    if (coding.averageBitrate && fittedKbps != coding.maxKbps)
        args << u"-abr"_s << u"1"_s;
    return args << u"-b:a"_s << QString::number(fittedKbps) + u'k';
}

// The muxer of conv's output: the row's for its name, otherwise as -of says.
std::optional<QString> convMuxer(const ConvRequest &r, const FormatCoding *named)
{
    if (r.container != u"avi" && r.container != u"lavf")
        return std::nullopt;
    if (named)
        return named->muxer.toString();
    return r.container == u"avi" ? u"avi"_s : u"mpeg"_s;
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

QStringList frameRateArguments(const VideoCoding &coding, const QString &rate)
{
    for (const coding::RepeatedRate &repeated : coding.repeatedRates.values()) {
        if (repeated.rate.text() == rate) {
            // The frames at the rate asked for, each repeated up to the declared rate.
            const QString declared = repeated.declared.text();
            return {u"-vf"_s, u"fps="_s + rate + u",fps="_s + declared, u"-r"_s, declared};
        }
    }
    return {u"-r"_s, rate};
}

bool isIntermediate(const QString &outputPath)
{
    return QFileInfo(outputPath).fileName() == coding::formatCoding(u"intermediate")->extension;
}

ConvPlanResult planConv(const ConvRequest &r)
{
    ConvPlan plan;
    PlanError error;
    auto failed = [&error] { return ConvPlanResult{std::nullopt, error}; };

    if (r.videoEncoder != u"lavc")
        return {std::nullopt, refused(r.videoEncoder.isEmpty() ? u"no video encoder given; use -ovc lavc"_s
                                                               : u"video encoder "_s + quoted(r.videoEncoder) + u" is not supported; use lavc"_s)};
    const FormatCoding *named = coding::codingForOutput(true, r.output);
    const QString vcodec = r.lavcOptions.value(u"vcodec"_s);
    const VideoCoding *video = convCoding(named, &FormatCoding::video, vcodec);
    if (!video)
        return {std::nullopt, refused(u"video codec "_s + quoted(vcodec) + u" is not supported; use "_s + namesOf(&FormatCoding::video, true))};

    const std::optional<double> videoKbps = positiveDecimal(r.lavcOptions.value(u"vbitrate"_s), kVideoBitrate,
                                                            u"kbit/s such as 600", error);
    if (!videoKbps)
        return failed();
    plan.videoKbps = int(std::lround(*videoKbps));

    const std::optional<QString> muxer = convMuxer(r, named);
    if (!muxer)
        return {std::nullopt, refused(r.container.isEmpty() ? u"no container given; use -of avi or -of lavf"_s
                                                            : u"container "_s + quoted(r.container) + u" is not supported; use avi or lavf"_s)};
    plan.muxer = *muxer;

    plan.codecArguments << u"-map"_s << u"0:V:0"_s << u"-map"_s << u"0:a:0?"_s;
    plan.codecArguments << u"-c:v"_s << video->ffmpegEncoder.toString() << u"-b:v"_s << bits(*videoKbps);
    if (r.outputFps) {
        const std::optional<double> fps = positiveDecimal(*r.outputFps, kFrameRate, u"frames per second such as 24", error);
        if (!fps)
            return failed();
        const Mapped<QString> rate = fitFrameRate(*video, *fps);
        addWarning(plan.warnings, rate.warning);
        plan.codecArguments << frameRateArguments(*video, rate.value);
    }
    for (QStringView option : video->ffmpegOptions.values())
        plan.codecArguments << option.toString();

    // -oac mp3lame names LAME; -oac lavc the codec of -lavcopts acodec=, MP2 by default.
    if (r.audioEncoder != u"mp3lame" && r.audioEncoder != u"lavc") {
        return {std::nullopt, refused(r.audioEncoder.isEmpty() ? u"no audio encoder given; use -oac mp3lame or -oac lavc"_s
                                                               : u"audio encoder "_s + quoted(r.audioEncoder) + u" is not supported; use mp3lame or lavc"_s)};
    }
    const bool lame = r.audioEncoder == u"mp3lame";
    const QString acodec = lame ? r.audioEncoder : r.lavcOptions.value(u"acodec"_s, u"mp2"_s);
    const AudioCoding *audio = convCoding(named, &FormatCoding::audio, acodec);
    if (!audio || (!lame && isNamed(*audio, u"mp3lame")))
        return {std::nullopt, refused(u"audio codec "_s + quoted(acodec) + u" is not supported; use mp2"_s)};
    const std::optional<double> audioKbps = lame
        ? positiveDecimal(r.lamePreset.value_or(QString()), kAudioBitrate, u"kbit/s such as 128", error)
        : positiveDecimal(r.lavcOptions.value(u"abitrate"_s), kAudioBitrate, u"kbit/s such as 64", error);
    if (!audioKbps)
        return failed();
    plan.codecArguments << convAudioArguments(*audio, *audioKbps, plan.audioKbps, plan.warnings);

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

namespace {

// The row coder writes for its output, or why there is none.
const FormatCoding *coderRow(const CoderRequest &r, PlanError &error)
{
    if (const FormatCoding *row = coding::codingForOutput(false, r.output, r.format.value_or(QString())))
        return row;
    QStringList muxers;
    QStringList extensions;
    for (const FormatCoding *entry : kFormatCodings) {
        const FormatCoding &row = *entry;
        if (row.encoder == Encoder::Conv)
            continue;
        if (!muxers.contains(row.muxer.toString()))
            muxers << row.muxer.toString();
        extensions << row.extension.toString();
    }
    if (r.format)
        error = refused(u"output format "_s + quoted(*r.format) + u" is not supported; use "_s + muxers.join(u", "_s));
    else
        error = refused(u"cannot tell the output type from the name; use "_s + extensions.join(u", "_s));
    return nullptr;
}

// The clip range, read as input options so that ffmpeg seeks instead of decoding the skipped part.
bool planClip(const CoderRequest &r, CoderPlan &plan, PlanError &error)
{
    auto clipError = [&error](const QString &text, const QString &cause) {
        error = {cause, settingFacts(u"clip"_s, text)};
        return false;
    };
    if (r.clipStart) {
        plan.clipStart = parseDecimal(*r.clipStart);
        if (!plan.clipStart)
            return clipError(*r.clipStart, u"the clip start "_s + quoted(*r.clipStart) + u" is not a number of seconds"_s);
        plan.inputOptions << u"-ss"_s << numberText(*plan.clipStart);
    }
    if (r.clipEnd) {
        plan.clipEnd = parseDecimal(*r.clipEnd);
        if (!plan.clipEnd)
            return clipError(*r.clipEnd, u"the clip end "_s + quoted(*r.clipEnd) + u" is not a number of seconds"_s);
        if (*plan.clipEnd <= plan.clipStart.value_or(0))
            return clipError(*r.clipEnd, u"the clip end "_s + *r.clipEnd + u" s does not lie after its start "_s
                                             + numberText(plan.clipStart.value_or(0)) + u" s"_s);
        plan.inputOptions << u"-to"_s << numberText(*plan.clipEnd);
    }
    return true;
}

bool planVideo(const CoderRequest &r, const VideoCoding &coding, CoderPlan &plan, PlanError &error)
{
    const QString codec = r.videoCodec.value_or(coding.legacyNames.values().front().toString());
    if (!isNamed(coding, codec)) {
        error = refused(u"video codec "_s + quoted(codec) + u" does not go into this output type"_s);
        return false;
    }
    plan.videoCoding = &coding;
    if (r.size) {
        const std::optional<QSize> asked = parseFrameSize(*r.size);
        if (!asked) {
            error = settingError(kSize, *r.size, r.size->isEmpty() ? u"the frame size is empty; pick one such as 320x240"_s
                                                                   : u"the frame size "_s + quoted(*r.size) + u" is not WIDTHxHEIGHT; pick one such as 320x240"_s);
            return false;
        }
        plan.keepsSize = false;
        plan.scaleTo = coding.keptSize == SizeRule::EvenSides ? evenSize(*asked) : *asked;
        // A size too large for the codec is fitted now; a kept one once the source is known.
        const std::optional<QSize> smaller = coding.maxMacroblocks > 0 ? sizeWithinMacroblocks(*asked, coding.maxMacroblocks) : std::nullopt;
        if (smaller) {
            plan.warnings << macroblockWarning(*asked, *smaller, coding.shownName, coding.maxMacroblocks);
            plan.scaleTo = *smaller;
        } else {
            addWarning(plan.warnings, keptSizeWarning(coding.keptSize, *asked));
        }
    }
    if (r.videoBitrate) {
        plan.videoKbps = positiveKbit(*r.videoBitrate, kVideoBitrate, u"kbit/s such as 256", error);
        if (!plan.videoKbps)
            return false;
        const Mapped<double> fitted = fitVideoBitrate(coding, *plan.videoKbps);
        addWarning(plan.warnings, fitted.warning);
        plan.videoKbps = fitted.value;
    } else if (coding.defaultKbps > 0) {
        plan.videoKbps = coding.defaultKbps;
    }
    plan.videoArguments = coderVideoArguments(plan, nullptr);
    return true;
}

struct AudioAsked {
    std::optional<int> rate;
    std::optional<double> kbps;
    std::optional<int> channels;
};

std::optional<AudioAsked> readAudioSettings(const CoderRequest &r, PlanError &error)
{
    AudioAsked asked;
    if (r.sampleRate) {
        asked.rate = wholeNumber(*r.sampleRate, kAudioRate, u"Hz such as 44100", error);
        if (!asked.rate)
            return std::nullopt;
        if (*asked.rate <= 0) {
            error = settingError(kAudioRate, *r.sampleRate, u"the audio sample rate must be above 0; enter Hz such as 44100"_s);
            return std::nullopt;
        }
    }
    if (r.audioBitrate) {
        asked.kbps = positiveKbit(*r.audioBitrate, kAudioBitrate, u"kbit/s such as 128", error);
        if (!asked.kbps)
            return std::nullopt;
    }
    if (r.channels) {
        asked.channels = wholeNumber(*r.channels, kChannels, u"1 or 2", error);
        if (!asked.channels)
            return std::nullopt;
    }
    return asked;
}

bool planAudio(const CoderRequest &r, const AudioCoding &coding, bool amrAvailable, CoderPlan &plan, PlanError &error)
{
    const QString codec = r.audioCodec.value_or(coding.legacyNames.values().front().toString());
    if (!isNamed(coding, codec)) {
        error = refused(u"audio codec "_s + quoted(codec) + u" does not go into this output type"_s);
        return false;
    }
    // Debian's ffmpeg has no AMR-NB encoder: coder2 codes it itself.
    const bool amr = coding.ffmpegEncoder.isEmpty();
    if (amr && !amrAvailable) {
        error = refused(u"AMR-NB audio is written by coder2, not by coder"_s);
        return false;
    }
    std::optional<AudioAsked> asked = readAudioSettings(r, error);
    if (!asked)
        return false;
    if (asked->rate || coding.fixedSampleRate > 0) {
        const Mapped<int> fitted = fitSampleRate(coding, asked->rate.value_or(coding.fixedSampleRate));
        addWarning(plan.warnings, fitted.warning);
        asked->rate = fitted.value;
        plan.rateChosen = true;
    }
    if (asked->kbps) {
        const Mapped<double> fitted = fitAudioBitrate(coding, *asked->kbps, asked->rate.value_or(44100));
        addWarning(plan.warnings, fitted.warning);
        asked->kbps = fitted.value;
    }
    // 0 channels keeps the source's count.
    std::optional<int> channels;
    if (asked->channels && *asked->channels > 0) {
        const Mapped<int> fitted = fitChannels(coding, *asked->channels);
        addWarning(plan.warnings, fitted.warning);
        channels = fitted.value;
    }
    if (amr) {
        const auto table = coding.bitrates.values().front().kbps.values();
        const double kbps = asked->kbps.value_or(table.back());
        plan.amr = AmrMode{bitrateIndex(coding, kbps, coding.fixedSampleRate), kbps};
        return true;
    }
    plan.audioArguments << u"-c:a"_s << coding.ffmpegEncoder.toString();
    if (asked->rate)
        plan.audioArguments << u"-ar"_s << QString::number(*asked->rate);
    if (asked->kbps)
        plan.audioArguments << u"-b:a"_s << bits(*asked->kbps);
    if (channels)
        plan.audioArguments << u"-ac"_s << QString::number(*channels);
    // RealMedia keeps no start time: a late sound starts with silence, as in AVI.
    plan.audioArguments << u"-af"_s << audioTimingFilter(plan.muxer == u"rm");
    return true;
}

} // namespace

CoderPlanResult planCoder(const CoderRequest &r, bool amrAvailable)
{
    CoderPlan plan;
    PlanError error;
    const FormatCoding *row = coderRow(r, error);
    if (!row)
        return {std::nullopt, error};
    plan.row = row;
    plan.muxer = row->muxer.toString();
    plan.fromSource = !isIntermediate(r.input);
    plan.audioOnly = row->video.isNone();
    plan.video = !plan.audioOnly && !r.noVideo;
    plan.audio = !r.noAudio;
    if (!plan.video && !plan.audio)
        return {std::nullopt, refused(u"-vn and -an leave nothing to write"_s)};
    if (!planClip(r, plan, error) || (plan.video && !planVideo(r, row->video, plan, error))
        || (plan.audio && !planAudio(r, row->audio, amrAvailable, plan, error)))
        return {std::nullopt, error};
    if (plan.amr && row->extension == u".mp4")
        plan.warnings << u"container MP4 → 3GP-branded MP4: the plain MP4 layout cannot hold AMR-NB audio"_s;
    return {plan, {}};
}

QStringList coderVideoArguments(const CoderPlan &plan, const StreamInfo *source, QStringList *warnings)
{
    const VideoCoding &coding = *plan.videoCoding;
    const QSize sourceSize = source ? source->size : QSize();
    auto warn = [warnings](const QString &warning) {
        if (warnings && !warning.isEmpty())
            *warnings << warning;
    };
    QStringList args{u"-c:v"_s, coding.ffmpegEncoder.toString()};
    QString filter;
    const std::optional<QSize> fitted = coding.maxMacroblocks > 0 && plan.keepsSize
        ? sizeWithinMacroblocks(sourceSize, coding.maxMacroblocks)
        : std::nullopt;
    if (fitted) {
        filter = u"scale="_s + QString::number(fitted->width()) + u':' + QString::number(fitted->height());
        warn(macroblockWarning(sourceSize, *fitted, coding.shownName, coding.maxMacroblocks));
    } else {
        filter = videoFilter(coding.keptSize, plan.scaleTo);
        if (plan.keepsSize)
            warn(keptSizeWarning(coding.keptSize, sourceSize));
    }
    if (!filter.isEmpty())
        args << u"-vf"_s << filter;
    // A source read directly may have irregular timestamps, for which ffmpeg
    // guesses 1000 fps: at most 60 frames a second are made, as conv does
    // for the intermediate (whose 60 or fewer stay as they are).
    args << u"-fpsmax"_s << u"60"_s;
    for (QStringView option : coding.ffmpegOptions.values())
        args << option.toString();
    const auto fromSource = coding.fromSourceOptions.values();
    for (std::size_t i = 0; plan.fromSource && i + 1 < fromSource.size(); i += 2) {
        if (fromSource[i] != u"-crf" || !plan.videoKbps)
            args << fromSource[i].toString() << fromSource[i + 1].toString();
    }
    if (coding.frameBufferKbit > 0) {
        // The rate control's buffer keeps every frame within it, as far as
        // the frame rate lets it.
        const Mapped<int> kbps = bitrateForFrameBuffer(int(plan.videoKbps.value_or(coding.defaultKbps)),
                                                       source ? source->frameRate : 0, coding.frameBufferKbit);
        warn(kbps.warning);
        args << u"-b:v"_s << QString::number(kbps.value) + u'k' << u"-maxrate"_s << QString::number(2 * kbps.value) + u'k'
             << u"-bufsize"_s << QString::number(coding.frameBufferKbit) + u'k';
    } else if (plan.videoKbps) {
        args << u"-b:v"_s << bits(*plan.videoKbps);
    }
    return args;
}

QStringList coderAudioArguments(const CoderPlan &plan, const StreamInfo *source, QStringList *warnings)
{
    QStringList args = plan.audioArguments;
    if (plan.rateChosen || plan.amr || !source || source->sampleRate <= 0 || args.size() < 2)
        return args;
    const Mapped<int> fitted = fitSampleRate(plan.row->audio, source->sampleRate);
    if (fitted.value == source->sampleRate)
        return args;
    if (warnings)
        *warnings << fitted.warning;
    args.insert(2, u"-ar"_s);
    args.insert(3, QString::number(fitted.value));
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

std::optional<QString> copyMismatch(const coding::StreamCopy &copy, bool video, const InputInfo &input)
{
    auto listed = [](const auto &names, const QString &codec) {
        return std::find(names.begin(), names.end(), codec) != names.end();
    };
    const StreamInfo *picture = input.video();
    const StreamInfo *sound = input.audio();
    if (video && !picture)
        return u"the source has no video"_s;
    if (video && !listed(copy.video.values(), picture->codec))
        return u"its video is "_s + picture->codec;
    if (!video && !sound)
        return u"the source has no sound"_s;
    if (sound && !listed(copy.audio.values(), sound->codec))
        return u"its sound is "_s + sound->codec;
    return std::nullopt;
}

QStringList copyArguments(bool video)
{
    QStringList args;
    if (video)
        args << u"-map"_s << u"0:V:0"_s << u"-map"_s << u"0:a:0?"_s;
    else
        args << u"-map"_s << u"0:a:0"_s;
    return args << u"-c"_s << u"copy"_s;
}

QStringList metadataArguments(const coding::FormatCoding &row, const InputInfo &input)
{
    const QString artist = input.tag(u"artist");
    if (row.muxer == u"rm" && !artist.isEmpty() && input.tag(u"author").isEmpty())
        return {u"-metadata"_s, u"author="_s + artist};
    return {};
}

QString ffmpegFileUrl(const QString &path)
{
    return u"file:"_s + QFileInfo(path).absoluteFilePath();
}

} // namespace sonvera::encoders
