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
    return u"Output format: 0-8 or "_s + names.join(u", "_s) + u" (default 0, rmvb)."_s;
}

CliParseResult usageError(const QString &message)
{
    return {std::nullopt, u"sonvera-cli: "_s + message + u"\nTry 'sonvera-cli --help'."_s, 2};
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
    parser.setApplicationDescription(
        u"Sonvera's headless batch converter: converts the given files one after another (or several at "
        "once, with --jobs), with the same encoders, presets and output names as the window.\n\n"
        "Each file's output is named after it: base name, \"-\", the time of day (hour, minute, second), "
        "extension. An existing file is never overwritten.\n\n"
        "Exit status: 0 when every file converted, 1 when any file failed, 2 for a usage error or when no "
        "input file was given or found, 130 when stopped (Ctrl-C, SIGTERM, SIGHUP), 141 when the standard "
        "output was closed. A stopped run leaves the unfinished files unconverted, with nothing half written."_s);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show this help."_s);
    const QCommandLineOption version(u"version"_s, u"Show the version."_s);
    const QCommandLineOption format({u"f"_s, u"format"_s}, formatHelp(), u"F"_s);
    const QCommandLineOption videoBitrate(u"video-bitrate"_s, u"Video bitrate in kbit/s (overrides the preset)."_s, u"T"_s);
    const QCommandLineOption frameRate(u"frame-rate"_s, u"Frame rate (overrides the preset)."_s, u"T"_s);
    const QCommandLineOption size(u"size"_s, u"Picture size WxH, or 原始大小 to keep the source's (overrides the preset)."_s, u"T"_s);
    const QCommandLineOption audioRate(u"audio-rate"_s, u"Audio sample rate in Hz (overrides the preset)."_s, u"T"_s);
    const QCommandLineOption audioBitrate(u"audio-bitrate"_s, u"Audio bitrate in kbit/s (overrides the preset)."_s, u"T"_s);
    const QCommandLineOption channels(u"channels"_s, u"Audio channels, 1 or 2."_s, u"1|2"_s);
    const QCommandLineOption output({u"o"_s, u"output"_s}, u"Output folder (default: "_s + defaultOutputFolder + u")."_s, u"DIR"_s);
    const QCommandLineOption cut(u"cut"_s, u"MP3 only: convert just START-END, each in seconds or h:mm:ss."_s, u"START-END"_s);
    const QCommandLineOption dryRun({u"n"_s, u"dry-run"_s}, u"Print each file's command lines, run nothing."_s);
    const QCommandLineOption quiet({u"q"_s, u"quiet"_s}, u"No progress display."_s);
    const QCommandLineOption jobs({u"j"_s, u"jobs"_s},
                                  u"Convert up to N files at once, head of the list first (default 1; 0: one per "
                                  "processor core, here "_s
                                      + QString::number(QThread::idealThreadCount()) + u")."_s,
                                  u"N"_s);
    parser.addOptions({help, version, format, videoBitrate, frameRate, size, audioRate, audioBitrate, channels, output,
                       cut, dryRun, quiet, jobs});
    parser.addPositionalArgument(u"FILE|FOLDER"_s, u"Files to convert; folders are searched for .flv files."_s,
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
            return usageError(u"unknown format '"_s + parser.value(format) + u"'. "_s + formatHelp());
        formatIndex = *parsed;
    }
    options.settings.selectFormat(formatIndex);
    if (parser.isSet(videoBitrate))
        options.settings.videoBitrate = parser.value(videoBitrate);
    if (parser.isSet(frameRate))
        options.settings.frameRate = parser.value(frameRate);
    if (parser.isSet(size))
        options.settings.videoSize = parser.value(size);
    if (parser.isSet(audioRate))
        options.settings.audioRate = parser.value(audioRate);
    if (parser.isSet(audioBitrate))
        options.settings.audioBitrate = parser.value(audioBitrate);
    if (parser.isSet(channels)) {
        const QString value = parser.value(channels);
        if (value != u"1"_s && value != u"2"_s)
            return usageError(u"--channels takes 1 or 2, not '"_s + value + u"'"_s);
        options.settings.channelIndex = value.toInt() - 1;
    }
    if (parser.isSet(output)) {
        if (parser.value(output).isEmpty())
            return usageError(u"--output needs a folder"_s);
        // The folder exactly as given: its bytes, even when they are not UTF-8.
        QByteArray folder = escapedToNative(parser.value(output));
        if (!folder.startsWith('/'))
            folder = QFile::encodeName(QDir::currentPath()) + '/' + folder;
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
            return usageError(u"--jobs takes a number of files, 0 or more, not '"_s + parser.value(jobs) + u"'"_s);
        options.jobs = n == 0 ? std::max(QThread::idealThreadCount(), 1) : n;
    }
    options.dryRun = parser.isSet(dryRun);
    options.quiet = parser.isSet(quiet);
    for (const QString &input : parser.positionalArguments())
        options.inputs << escapedToNative(input);
    if (options.inputs.isEmpty())
        return usageError(u"no input file given"_s);
    return {std::move(options), QString(), 0};
}

} // namespace sonvera
