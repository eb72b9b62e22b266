#include "clioptions.h"

#include "cutoption.h"
#include "formats.h"
#include "pathtext.h"

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
    const auto text = [](const char *source) { return QCoreApplication::translate("sonvera::CliOptions", source); };
    const QCommandLineOption help({u"h"_s, u"help"_s},
                                  text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "显示本帮助。")));
    const QCommandLineOption version(u"version"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "显示版本。")));
    const QCommandLineOption format({u"f"_s, u"format"_s}, formatHelp(), u"F"_s);
    const QCommandLineOption videoBitrate(
        u"video-bitrate"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "视频比特率，单位 kbit/s（覆盖预设）。")),
        u"T"_s);
    const QCommandLineOption frameRate(u"frame-rate"_s,
                                       text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "帧率（覆盖预设）。")), u"T"_s);
    const QCommandLineOption size(
        u"size"_s,
        text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                               "画面尺寸 宽x高，或者 original（原始大小）保持源文件的尺寸（覆盖预设）。")),
        u"T"_s);
    const QCommandLineOption audioRate(
        u"audio-rate"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "声音采样率，单位 Hz（覆盖预设）。")), u"T"_s);
    const QCommandLineOption audioBitrate(
        u"audio-bitrate"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "声音比特率，单位 kbit/s（覆盖预设）。")),
        u"T"_s);
    const QCommandLineOption channels(u"channels"_s, text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "声道数，1 或 2。")),
                                      u"1|2"_s);
    const QCommandLineOption output(
        {u"o"_s, u"output"_s},
        text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "输出文件夹（默认：%1）。")).arg(defaultOutputFolder), u"DIR"_s);
    const QCommandLineOption cut(
        u"cut"_s,
        text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "仅用于 MP3：只转换 START-END 这一段，时间写作秒数或 h:mm:ss。")),
        u"START-END"_s);
    const QCommandLineOption dryRun({u"n"_s, u"dry-run"_s},
                                    text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "显示每个文件的命令行，不执行。")));
    const QCommandLineOption quiet({u"q"_s, u"quiet"_s},
                                   text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "不显示进度。")));
    const QCommandLineOption jobs(
        {u"j"_s, u"jobs"_s},
        text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                               "最多同时转换 N 个文件，从列表开头起（默认 1；0 表示每个处理器核心一个，本机为 %1）。"))
            .arg(QThread::idealThreadCount()),
        u"N"_s);
    const QCommandLineOption direct(
        u"direct"_s,
        text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                               "RMVB、RM、MOV、手机 MP4 和 3GP 一步转换：直接读源文件，不经过中间文件，更快，画质也更好。")));
    const QCommandLineOption remux(
        u"remux"_s,
        text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                               "源文件的音视频流能直接放进输出格式时（H.264/AAC 放进 MP4 和 MOV，MP3 声音放进 MP3）原样复制，"
                               "不重新编码；此时不使用尺寸和比特率参数。不能复制的文件照常转换。")));
    const QCommandLineOption noKeepDates(
        u"no-keep-dates"_s,
        text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "输出文件的修改时间为转换时间（默认：与源文件相同）。")));
    const QCommandLineOption keepTree(
        u"keep-tree"_s,
        text(QT_TRANSLATE_NOOP("sonvera::CliOptions",
                               "文件夹中的文件输出到输出文件夹下相同的子文件夹中（默认：都放在输出文件夹中）。")));
    parser.addOptions({help, version, format, videoBitrate, frameRate, size, audioRate, audioBitrate, channels, output,
                       cut, direct, remux, noKeepDates, keepTree, dryRun, quiet, jobs});
    parser.addPositionalArgument(
        u"FILE|FOLDER"_s,
        text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "要转换的文件；文件夹会被搜索其中的 .flv 文件。")),
        u"FILE|FOLDER..."_s);

    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help))
        return {std::nullopt, parser.helpText(), 0};
    if (parser.isSet(version))
        return {std::nullopt, u"sonvera-cli "_s + QCoreApplication::applicationVersion(), 0};

    CliOptions options;
    options.settings = ConversionSettings::startupDefaults(defaultOutputFolder);
    int formatIndex = 0;
    if (parser.isSet(format)) {
        const auto parsed = parseFormatName(parser.value(format));
        if (!parsed)
            return usageError(text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "未知的格式 '%1'。%2"))
                                  .arg(parser.value(format), formatHelp()));
        formatIndex = *parsed;
    }
    options.settings.selectFormat(formatIndex);
    if (parser.isSet(videoBitrate))
        options.settings.videoBitrate = parser.value(videoBitrate);
    if (parser.isSet(frameRate))
        options.settings.frameRate = parser.value(frameRate);
    if (parser.isSet(size))
        options.settings.videoSize = sizeValue(parser.value(size));
    if (parser.isSet(audioRate))
        options.settings.audioRate = parser.value(audioRate);
    if (parser.isSet(audioBitrate))
        options.settings.audioBitrate = parser.value(audioBitrate);
    if (parser.isSet(channels)) {
        const QString value = parser.value(channels);
        if (value != u"1"_s && value != u"2"_s)
            return usageError(
                text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "--channels 只能是 1 或 2，不能是 '%1'")).arg(value));
        options.settings.channelIndex = value.toInt() - 1;
    }
    if (parser.isSet(output)) {
        if (parser.value(output).isEmpty())
            return usageError(text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "--output 需要一个文件夹")));
        // The folder exactly as given: its bytes, even when they are not UTF-8.
        const QByteArray folder = absoluteNative(escapedToNative(parser.value(output)));
        options.outputFolder = folder;
        options.settings.outputFolder = isUtf8(folder) ? QString::fromUtf8(folder) : shownName(folder);
    }
    if (parser.isSet(cut)) {
        QString why;
        options.cut = parseCutOption(parser.value(cut), &why);
        if (!options.cut)
            return usageError(why);
    }
    if (parser.isSet(jobs)) {
        bool ok = false;
        const int n = parser.value(jobs).toInt(&ok);
        if (!ok || n < 0)
            return usageError(text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "--jobs 需要一个文件数，0 或更大，不是 '%1'"))
                                  .arg(parser.value(jobs)));
        options.jobs = n == 0 ? std::max(QThread::idealThreadCount(), 1) : n;
    }
    options.choices.direct = parser.isSet(direct);
    options.choices.remux = parser.isSet(remux);
    options.choices.keepDates = !parser.isSet(noKeepDates);
    options.choices.keepTree = parser.isSet(keepTree);
    options.dryRun = parser.isSet(dryRun);
    options.quiet = parser.isSet(quiet);
    for (const QString &input : parser.positionalArguments())
        options.inputs << escapedToNative(input);
    if (options.inputs.isEmpty())
        return usageError(text(QT_TRANSLATE_NOOP("sonvera::CliOptions", "没有给出输入文件")));
    return {std::move(options), QString(), 0};
}

} // namespace sonvera
