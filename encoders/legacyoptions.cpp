#include "legacyoptions.h"

#include "formatcodings.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace sonvera::encoders {

namespace {

// The options that carry a setting: what the setting is called where the
// user types it, for messages, and its name in a failure line.
struct SettingName {
    QStringView option;
    QStringView words;
    QStringView key;
};
constexpr std::array<SettingName, 8> kSettingNames{{
    {u"-ofps", u"the frame rate", u"frame-rate"},
    {u"-b", u"the video bitrate", u"video-bitrate"},
    {u"-ab", u"the audio bitrate", u"audio-bitrate"},
    {u"-ar", u"the audio sample rate", u"audio-rate"},
    {u"-ac", u"the channel count", u"channels"},
    {u"-s", u"the frame size", u"size"},
    {u"-ss", u"the clip start", u"clip"},
    {u"-to", u"the clip end", u"clip"},
}};

UsageError emptyValue(const QString &file, QStringView option)
{
    for (const SettingName &name : kSettingNames) {
        if (name.option == option)
            return {file, name.words + u" is empty; enter a value"_s, settingFacts(name.key.toString())};
    }
    return {file, u"option "_s + option + u" is empty; enter a value"_s, {}};
}

// Splits "k=v:k=v" into `into`; a later key replaces an earlier one.
void mergeOptionList(QStringView list, QMap<QString, QString> &into)
{
    for (QStringView item : list.split(u':')) {
        if (item.isEmpty())
            continue;
        const qsizetype eq = item.indexOf(u'=');
        if (eq < 0)
            into.insert(item.toString(), QString());
        else
            into.insert(item.left(eq).toString(), item.mid(eq + 1).toString());
    }
}

QString listValue(QStringView list, const QString &key)
{
    QMap<QString, QString> values;
    mergeOptionList(list, values);
    return values.value(key);
}

// conv's options, each with where its value goes.
struct ConvOption {
    QStringView name;
    void (*apply)(ConvRequest &request, const QString &value);
};
constexpr std::array<ConvOption, 8> kConvOptions{{
    {u"-oac", [](ConvRequest &r, const QString &v) { r.audioEncoder = v; }},
    {u"-lameopts", [](ConvRequest &r, const QString &v) {
         QMap<QString, QString> lame;
         mergeOptionList(v, lame);
         if (lame.contains(u"preset"_s))
             r.lamePreset = lame.value(u"preset"_s);
     }},
    {u"-ovc", [](ConvRequest &r, const QString &v) { r.videoEncoder = v; }},
    {u"-lavcopts", [](ConvRequest &r, const QString &v) { mergeOptionList(v, r.lavcOptions); }},
    {u"-ofps", [](ConvRequest &r, const QString &v) { r.outputFps = v; }},
    {u"-of", [](ConvRequest &r, const QString &v) { r.container = v; }},
    {u"-lavfopts", [](ConvRequest &r, const QString &v) { r.lavfFormat = listValue(v, u"format"_s); }},
    {u"-o", [](ConvRequest &, const QString &) {}}, // read before the others: the first one counts
}};

const ConvOption *convOption(QStringView arg)
{
    for (const ConvOption &option : kConvOptions) {
        if (option.name == arg)
            return &option;
    }
    return nullptr;
}

} // namespace

EncoderFlags takeEncoderFlags(QStringList &arguments)
{
    EncoderFlags flags;
    while (!arguments.isEmpty()) {
        if (arguments.last() == coding::words::kRemuxFlag)
            flags.remux = true;
        else if (arguments.last() == coding::words::kRemuxOnlyFlag)
            flags.remuxOnly = true;
        else
            break;
        arguments.removeLast();
    }
    return flags;
}

ConvParse parseConvArguments(const QStringList &args)
{
    ConvRequest r;
    bool haveSource = false;
    bool haveOutput = false;
    // The output is known before the options are read, so that every
    // message can name it.
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == u"-o") {
            r.output = args[i + 1];
            break;
        }
    }
    const QString about = r.output;

    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        const ConvOption *option = convOption(arg);
        if (!option) {
            if (haveSource)
                return {std::nullopt, {about, u"unexpected argument \""_s + arg + u"\"; conv takes one source file"_s, {}}};
            r.source = arg;
            haveSource = true;
            continue;
        }
        // -o takes any path; a setting followed by another option had an empty text.
        const bool last = i + 1 >= args.size();
        if (last || (arg != u"-o" && convOption(args[i + 1])))
            return {std::nullopt, emptyValue(about, arg)};
        option->apply(r, args[++i]);
        haveOutput = haveOutput || arg == u"-o";
    }
    if (!haveSource || r.source.isEmpty())
        return {std::nullopt, {about, u"no source file given"_s, {}}};
    if (!haveOutput || r.output.isEmpty())
        return {std::nullopt, {r.source, u"no output file given; use -o"_s, {}}};
    return {r, {}};
}

namespace {

// The options that take a setting, and where each one's text goes.
struct SettingOption {
    QStringView name;
    std::optional<QString> CoderRequest::*field;
};
constexpr std::array<SettingOption, 10> kSettingOptions{{
    {u"-s", &CoderRequest::size},
    {u"-vcodec", &CoderRequest::videoCodec},
    {u"-acodec", &CoderRequest::audioCodec},
    {u"-b", &CoderRequest::videoBitrate},
    {u"-ab", &CoderRequest::audioBitrate},
    {u"-ar", &CoderRequest::sampleRate},
    {u"-ac", &CoderRequest::channels},
    {u"-f", &CoderRequest::format},
    {u"-ss", &CoderRequest::clipStart},
    {u"-to", &CoderRequest::clipEnd},
}};

const SettingOption *settingOption(QStringView arg)
{
    for (const SettingOption &option : kSettingOptions) {
        if (option.name == arg)
            return &option;
    }
    return nullptr;
}

// Options followed by a value: the input and the settings.
bool takesValue(QStringView arg)
{
    return arg == u"-i" || settingOption(arg);
}

} // namespace

CoderParse parseCoderArguments(const QStringList &args)
{
    static const QStringList kFlags{u"-y"_s, u"-vn"_s, u"-an"_s};
    if (args.isEmpty())
        return {std::nullopt, {{}, u"no input and no output file given"_s, {}}};

    CoderRequest r;
    const QString &output = args.last();
    if (takesValue(output) || kFlags.contains(output))
        return {std::nullopt, {{}, u"no output file given; it must be the last argument"_s, {}}};
    r.output = output;

    const qsizetype end = args.size() - 1; // the output's position
    for (qsizetype i = 0; i < end; ++i) {
        const QString &arg = args[i];
        if (arg == u"-y") {
            r.overwrite = true;
            continue;
        }
        if (arg == u"-vn") {
            r.noVideo = true;
            continue;
        }
        if (arg == u"-an") {
            r.noAudio = true;
            continue;
        }
        if (!takesValue(arg)) {
            if (arg.startsWith(u'-'))
                return {std::nullopt, {output, u"unknown option \""_s + arg + u'"', {}}};
            return {std::nullopt, {output, u"unexpected argument \""_s + arg + u"\" before the output file"_s, {}}};
        }
        // The input path is taken whatever it looks like; a setting followed
        // by another option or by the output had an empty text.
        if (i + 1 >= end || (arg != u"-i" && (takesValue(args[i + 1]) || kFlags.contains(args[i + 1]))))
            return {std::nullopt, arg == u"-i" ? UsageError{output, u"no input file given (-i)"_s, {}} : emptyValue(output, arg)};
        const QString value = args[++i];
        if (arg == u"-i")
            r.input = value;
        else
            r.*(settingOption(arg)->field) = value;
    }
    if (r.input.isEmpty())
        return {std::nullopt, {output, u"no input file given (-i)"_s, {}}};
    return {r, {}};
}

} // namespace sonvera::encoders
