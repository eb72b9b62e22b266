#include "clioptions.h"

#include "cutoption.h"
#include "formats.h"
#include "pathtext.h"
#include "settinguse.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

QString formatHelp()
{
    QStringList names;
    for (const FormatInfo &format : formatCatalogue())
        names << format.cliName.toString();
    const QString text = QCoreApplication::translate("sonvera::CliOptions", "输出格式：0-8 或 %1（默认 0，即 rmvb）。");
    return text.arg(names.join(u", "_s));
}

CliParseResult usageError(const QString &message)
{
    const QString text =
        QCoreApplication::translate("sonvera::CliOptions", "sonvera-cli: %1\n运行 'sonvera-cli --help' 查看用法。");
    return {std::nullopt, text.arg(message), 2};
}

// A --size value: "original" (in any letter case) stands for the keep-source
// entry, which is Chinese in every language.
QString sizeValue(const QString &value)
{
    return value.compare(u"original"_s, Qt::CaseInsensitive) == 0 ? kKeepSourceSize.toString() : value;
}

} // namespace

std::optional<int> parseFormatName(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (ok)
        return formatAt(number) ? std::optional<int>(number) : std::nullopt;
    const auto catalogue = formatCatalogue();
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        if (text.compare(catalogue[i].cliName, Qt::CaseInsensitive) == 0)
            return static_cast<int>(i);
    }
    return std::nullopt;
}

namespace {

// Every option of the command line.
struct CliOptionSet {
    QCommandLineOption help, version, format, videoBitrate, frameRate, size, audioRate, audioBitrate, channels, output,
        cut, dryRun, quiet, jobs, json, direct, remux, noKeepDates, keepTree, noSpaceCheck;
};

QString optionText(const char *source)
{
    return QCoreApplication::translate("sonvera::CliOptions", source);
}

CliOptionSet makeOptions(const QString &defaultOutputFolder)
{
    const auto text = optionText;
    return {
        {{u"h"_s, u"help"_s}, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "显示本帮助。"))},
        {u"version"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "显示版本。"))},
        {{u"f"_s, u"format"_s}, formatHelp(), u"F"_s},
        {u"video-bitrate"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "视频比特率，单位 kbit/s（覆盖预设）。")),
         u"T"_s},
        {u"frame-rate"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "帧率（覆盖预设）。")), u"T"_s},
        {u"size"_s,
         text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                                "画面尺寸 宽x高，或者 original（原始大小）保持源文件的尺寸（覆盖预设）。")),
         u"T"_s},
        {u"audio-rate"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "声音采样率，单位 Hz（覆盖预设）。")), u"T"_s},
        {u"audio-bitrate"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "声音比特率，单位 kbit/s（覆盖预设）。")),
         u"T"_s},
        {u"channels"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "声道数，1 或 2。")), u"1|2"_s},
        {{u"o"_s, u"output"_s},
         text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "输出文件夹（默认：%1）。")).arg(defaultOutputFolder),
         u"DIR"_s},
        {u"cut"_s,
         text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "仅用于 MP3：只转换 START-END 这一段，时间写作秒数或 h:mm:ss。")),
         u"START-END"_s},
        {{u"n"_s, u"dry-run"_s}, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "显示每个文件的命令行，不执行。"))},
        {{u"q"_s, u"quiet"_s}, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "不显示进度。"))},
        {{u"j"_s, u"jobs"_s},
         text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                                "最多同时转换 N 个文件，从列表开头起（默认 1；0 表示每个处理器核心一个，本机为 %1）。"))
             .arg(QThread::idealThreadCount()),
         u"N"_s},
        {u"json"_s,
         text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                                "在标准输出上每个事件写一行 JSON（started、progress、converted、failed），供脚本读取；"
                                "其他文字写到标准错误。"))},
        {u"direct"_s,
         text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                                "RMVB、RM、MOV、手机 MP4 和 3GP 一步转换：直接读源文件，不经过中间文件，更快，画质也更好。"))},
        {u"remux"_s,
         text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                                "源文件的音视频流能直接放进输出格式时（H.264/AAC 放进 MP4 和 MOV，MP3 声音放进 MP3）原样复制，"
                                "不重新编码；此时不使用尺寸和比特率参数。不能复制的文件照常转换。"))},
        {u"no-keep-dates"_s,
         text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "输出文件的修改时间为转换时间（默认：与源文件相同）。"))},
        {u"keep-tree"_s,
         text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                                "文件夹中的文件输出到输出文件夹下相同的子文件夹中（默认：都放在输出文件夹中）。"))},
        {u"no-space-check"_s,
         text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                                "即使估计磁盘空间不够也开始转换（默认：空间不够时不开始，退出码 2）。"))},
    };
}

// The settings given on the command line, over the preset of the chosen format.
std::optional<QString> applySettingOptions(const QCommandLineParser &parser, const CliOptionSet &o,
                                           ConversionSettings &settings)
{
    const std::array<std::pair<const QCommandLineOption *, QString ConversionSettings::*>, 4> texts{{
        {&o.videoBitrate, &ConversionSettings::videoBitrate},
        {&o.frameRate, &ConversionSettings::frameRate},
        {&o.audioRate, &ConversionSettings::audioRate},
        {&o.audioBitrate, &ConversionSettings::audioBitrate},
    }};
    for (const auto &[option, field] : texts) {
        if (parser.isSet(*option))
            settings.*field = parser.value(*option);
    }
    if (parser.isSet(o.size))
        settings.videoSize = sizeValue(parser.value(o.size));
    if (parser.isSet(o.channels)) {
        const QString value = parser.value(o.channels);
        if (value != u"1"_s && value != u"2"_s)
            return optionText(QT_TRANSLATE_NOOP("sonvera::CliOptions", "--channels 只能是 1 或 2，不能是 '%1'")).arg(value);
        settings.channelIndex = value.toInt() - 1;
    }
    return std::nullopt;
}

// A setting given that the chosen format would not use: refused, naming the
// option and why, instead of being replaced in silence.
std::optional<QString> unusedOptionError(const QCommandLineParser &parser, const CliOptionSet &o,
                                         const ConversionSettings &settings)
{
    const std::array<std::pair<const QCommandLineOption *, Setting>, 7> given{{
        {&o.videoBitrate, Setting::VideoBitrate},
        {&o.frameRate, Setting::FrameRate},
        {&o.size, Setting::VideoSize},
        {&o.audioRate, Setting::AudioRate},
        {&o.audioBitrate, Setting::AudioBitrate},
        {&o.channels, Setting::Channels},
        {&o.cut, Setting::Clip},
    }};
    for (const auto &[option, setting] : given) {
        const std::optional<UnusedBecause> why = parser.isSet(*option) ? unusedSetting(settings, setting) : std::nullopt;
        if (why) {
            const QString named = u"--"_s + option->names().constLast() + u' ' + parser.value(*option);
            return optionText(QT_TRANSLATE_NOOP("sonvera::CliOptions", "%1 不适用：%2"))
                .arg(named, unusedSettingText(*why, *formatAt(settings.formatIndex)));
        }
    }
    return std::nullopt;
}

// The rest of the options, which say how to run rather than how to code.
std::optional<QString> applyRunOptions(const QCommandLineParser &parser, const CliOptionSet &o, CliOptions &options)
{
    if (parser.isSet(o.output)) {
        if (parser.value(o.output).isEmpty())
            return optionText(QT_TRANSLATE_NOOP("sonvera::CliOptions", "--output 需要一个文件夹"));
        // The folder exactly as given: its bytes, even when they are not UTF-8.
        options.outputFolder = NativePath::fromEscaped(parser.value(o.output)).absolute();
        options.settings.outputFolder = options.outputFolder.shown();
    }
    if (parser.isSet(o.jobs)) {
        bool ok = false;
        const int n = parser.value(o.jobs).toInt(&ok);
        if (!ok || n < 0)
            return optionText(QT_TRANSLATE_NOOP("sonvera::CliOptions", "--jobs 需要一个文件数，0 或更大，不是 '%1'"))
                .arg(parser.value(o.jobs));
        options.jobs = n == 0 ? std::max(QThread::idealThreadCount(), 1) : n;
    }
    options.dryRun = parser.isSet(o.dryRun);
    options.quiet = parser.isSet(o.quiet);
    options.json = parser.isSet(o.json);
    options.choices.direct = parser.isSet(o.direct);
    options.choices.remux = parser.isSet(o.remux);
    options.choices.keepDates = !parser.isSet(o.noKeepDates);
    options.choices.keepTree = parser.isSet(o.keepTree);
    options.spaceCheck = !parser.isSet(o.noSpaceCheck);
    if (options.dryRun && options.json)
        return optionText(QT_TRANSLATE_NOOP("sonvera::CliOptions", "--json 不能与 --dry-run 一起使用：试运行不转换，没有事件"));
    return std::nullopt;
}

} // namespace

CliParseResult parseCliArguments(const QStringList &arguments, const QString &defaultOutputFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "sonvera::CliOptions",
        "Sonvera 的命令行批量转换工具：用与窗口相同的编码器、预设和输出文件名，逐个（或者用 --jobs "
        "同时几个）转换给出的文件。\n\n"
        "每个输出文件以源文件命名：基本名、\"-\"、转换时刻的时分秒、扩展名。从不覆盖已有的文件。\n\n"
        "退出码：0 全部转换成功，1 有文件转换失败，2 用法错误或者没有给出、没有找到输入文件，130 被停止"
        "（Ctrl-C、SIGTERM、SIGHUP），141 标准输出被关闭。停止时没有转换完的文件保持原样，不留下写了一半的文件。"));
    const CliOptionSet o = makeOptions(defaultOutputFolder);
    parser.addOptions({o.help, o.version, o.format, o.videoBitrate, o.frameRate, o.size, o.audioRate, o.audioBitrate,
                       o.channels, o.output, o.cut, o.direct, o.remux, o.noKeepDates, o.keepTree, o.dryRun, o.quiet, o.jobs,
                       o.json, o.noSpaceCheck});
    parser.addPositionalArgument(
        u"FILE|FOLDER"_s,
        optionText(QT_TRANSLATE_NOOP("sonvera::CliOptions", "要转换的文件；文件夹会被搜索其中的 .flv 文件。")),
        u"FILE|FOLDER..."_s);

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(o.help))
        return {std::nullopt, parser.helpText(), 0};
    if (parser.isSet(o.version))
        return {std::nullopt, u"sonvera-cli "_s + QCoreApplication::applicationVersion(), 0};

    CliOptions options;
    options.settings = ConversionSettings::startupDefaults(defaultOutputFolder);
    int formatIndex = 0;
    if (parser.isSet(o.format)) {
        const auto parsed = parseFormatName(parser.value(o.format));
        if (!parsed)
            return usageError(optionText(QT_TRANSLATE_NOOP("sonvera::CliOptions", "未知的格式 '%1'。%2"))
                                  .arg(parser.value(o.format), formatHelp()));
        formatIndex = *parsed;
    }
    options.settings.selectFormat(formatIndex);
    if (const std::optional<QString> error = applySettingOptions(parser, o, options.settings))
        return usageError(*error);
    if (parser.isSet(o.cut)) {
        QString why;
        options.cut = parseCutOption(parser.value(o.cut), &why);
        if (!options.cut)
            return usageError(why);
    }
    if (const std::optional<QString> error = unusedOptionError(parser, o, options.settings))
        return usageError(*error);
    if (const std::optional<QString> error = applyRunOptions(parser, o, options))
        return usageError(*error);
    for (const QString &input : parser.positionalArguments())
        options.inputs << NativePath::fromEscaped(input);
    if (options.inputs.isEmpty())
        return usageError(optionText(QT_TRANSLATE_NOOP("sonvera::CliOptions", "没有给出输入文件")));
    return {std::move(options), QString(), 0};
}

} // namespace sonvera
