#include "encodercommands.h"

#include "pathtext.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace sonvera {

namespace {

// Builds the text form and the argument list side by side. Blanks inside fixed
// pieces separate arguments; setting texts and paths join the argument being
// written whole, whatever they hold.
class CommandWriter {
public:
    CommandWriter(const QString &programFolder, QStringView encoder, OutputStyle runner)
    {
        m_command.program = programFolder + u"/data/" + encoder;
        m_command.text = m_command.program;
        m_command.encoderImage = encoder.toString();
        m_command.outputStyle = runner;
    }

    CommandWriter &fixed(QStringView piece)
    {
        m_command.text += piece;
        for (QChar c : piece) {
            if (c == u' ')
                endArgument();
            else
                m_current += c;
        }
        return *this;
    }

    CommandWriter &value(QStringView setting)
    {
        m_command.text += setting;
        m_current += setting;
        return *this;
    }

    // A path written bare in the text form, as the intermediate file is.
    CommandWriter &path(QStringView p)
    {
        m_command.text += p;
        return appendPath(p);
    }

    // A path enclosed in double quotes in the text form; the quotes are not
    // part of the argument.
    CommandWriter &quoted(QStringView p)
    {
        m_command.text += u'"' + p + u'"';
        return appendPath(p);
    }

    EncoderCommand finish(const QString &outputPath)
    {
        endArgument();
        m_command.outputPath = outputPath;
        return std::move(m_command);
    }

private:
    CommandWriter &appendPath(QStringView p)
    {
        m_current += p;
        m_forceArgument = true; // an empty path is still an argument
        return *this;
    }

    void endArgument()
    {
        if (!m_current.isEmpty() || m_forceArgument)
            m_command.arguments << m_current;
        m_current.clear();
        m_forceArgument = false;
    }

    EncoderCommand m_command;
    QString m_current;
    bool m_forceArgument = false;
};

QString outputPathFor(const QString &outputFolder, const QString &sourcePath, QStringView extension,
                      const CommandContext &context)
{
    return firstFreeOutputPath(plannedOutputPath(outputFolder, sourcePath, extension.toString(), context.clock),
                               context.fileExists);
}

// What the fields of a row's words stand for in one command.
struct FieldValues {
    const QString &source;
    const QString &output;
    const QString &intermediate;
    const ConversionSettings &settings;
    const CommandContext &context;
    bool sourceForIntermediate = false; // the one-stage route: the run reads the source
};

// The fields that stand for a setting's text, inserted as it is.
struct SettingField {
    QStringView name;
    QString ConversionSettings::*text;
};
constexpr std::array<SettingField, 5> kSettingFields{{
    {u"video-bitrate", &ConversionSettings::videoBitrate},
    {u"frame-rate", &ConversionSettings::frameRate},
    {u"size", &ConversionSettings::videoSize},
    {u"audio-rate", &ConversionSettings::audioRate},
    {u"audio-bitrate", &ConversionSettings::audioBitrate},
}};

void writeField(CommandWriter &w, QStringView name, const FieldValues &v)
{
    for (const SettingField &field : kSettingFields) {
        if (field.name == name) {
            w.value(v.settings.*field.text);
            return;
        }
    }
    if (name == u"intermediate" && v.sourceForIntermediate) {
        w.quoted(v.source);
    } else if (name == u"intermediate") {
        w.path(v.intermediate);
    } else if (name == u"channels") {
        w.value(QString::number(v.settings.channelCount()));
    } else if (name == u"clip" && v.context.mp3Clip && v.context.mp3Clip->isUsable()) {
        w.fixed(u"-ss ").value(QString::number(v.context.mp3Clip->startSeconds))
            .fixed(u" -to ").value(QString::number(v.context.mp3Clip->endSeconds))
            .fixed(u" ");
    }
}

// Writes a row's words: fixed text, and the fields in braces; a field in
// double quotes is a path quoted in the text form.
void writeWords(CommandWriter &w, QStringView words, const FieldValues &v)
{
    qsizetype at = 0;
    while (at < words.size()) {
        const qsizetype open = words.indexOf(u'{', at);
        const qsizetype close = open < 0 ? -1 : words.indexOf(u'}', open);
        if (close < 0) {
            w.fixed(words.sliced(at));
            return;
        }
        const bool quoted = open > at && words[open - 1] == u'"' && close + 1 < words.size() && words[close + 1] == u'"';
        w.fixed(words.sliced(at, (quoted ? open - 1 : open) - at));
        const QStringView name = words.sliced(open + 1, close - open - 1);
        if (quoted)
            w.quoted(name == u"source" ? v.source : v.output);
        else
            writeField(w, name, v);
        at = quoted ? close + 2 : close + 1;
    }
}

EncoderCommand writeCommand(const coding::FormatCoding &row, QStringView words, const FieldValues &v,
                            QStringView flag = {})
{
    const OutputStyle style = row.encoder == coding::Encoder::Conv ? OutputStyle::Mencoder : OutputStyle::Ffmpeg;
    CommandWriter w(v.context.programFolder, coding::encoderName(row.encoder), style);
    w.fixed(u" ");
    writeWords(w, words, v);
    if (!flag.isEmpty())
        w.fixed(u" ").fixed(flag);
    return w.finish(v.output);
}

// The words of a row that reads the intermediate, for a size kept or not.
QStringView secondStageWords(const coding::FormatCoding &row, const ConversionSettings &s)
{
    const bool keepSize = s.videoSize == kKeepSourceSize && !row.keptSizeWords.isEmpty();
    return keepSize ? row.keptSizeWords : row.words;
}

// A two-stage format's second run reading the source itself, ending in `flag`.
EncoderCommand oneStageCommand(const FormatInfo &format, const QString &sourcePath, const QString &outputFolder,
                               const ConversionSettings &s, const CommandContext &context, QStringView flag)
{
    const coding::FormatCoding &row = *format.second;
    const QString output = outputPathFor(withTrailingSlash(outputFolder), sourcePath, row.extension, context);
    const QString intermediate = intermediateFilePath(context.workFolder);
    return writeCommand(row, secondStageWords(row, s), {sourcePath, output, intermediate, s, context, true}, flag);
}

QStringView remuxFlag(const coding::FormatCoding &row, const CommandContext &context)
{
    return context.choices.remux && !row.copy.isEmpty() ? coding::words::kRemuxFlag : QStringView();
}

} // namespace

QString intermediateFilePath(const QString &workFolder)
{
    return workFolder + u'/' + coding::rows::kIntermediate.extension;
}

bool convertsInTwoStages(const ConversionSettings &s, const CommandContext &context)
{
    const FormatInfo *format = formatAt(s.formatIndex);
    return format && format->isTwoStage() && !context.choices.direct;
}

EncoderCommand buildFirstStageCommand(const QString &sourcePath, const QString &outputFolder,
                                      const ConversionSettings &s, const CommandContext &context)
{
    const FormatInfo *format = formatAt(s.formatIndex);
    if (!format)
        return {};
    if (format->isTwoStage() && context.choices.direct)
        return oneStageCommand(*format, sourcePath, outputFolder, s, context, remuxFlag(*format->second, context));
    const coding::FormatCoding &row = *format->first;
    const QString intermediate = intermediateFilePath(context.workFolder);
    // The first run of a two-stage format writes the intermediate, the others the output.
    if (format->isTwoStage()) {
        EncoderCommand command = writeCommand(row, row.words, {sourcePath, intermediate, intermediate, s, context});
        command.role = RunRole::Intermediate;
        return command;
    }
    const QString output = outputPathFor(outputFolder, sourcePath, row.extension, context);
    return writeCommand(row, row.words, {sourcePath, output, intermediate, s, context}, remuxFlag(row, context));
}

EncoderCommand buildSecondStageCommand(const QString &sourcePath, const QString &outputFolder,
                                       const ConversionSettings &s, const CommandContext &context)
{
    const FormatInfo *format = formatAt(s.formatIndex);
    if (!format || !convertsInTwoStages(s, context))
        return {};
    const coding::FormatCoding &row = *format->second;
    const QString output = outputPathFor(withTrailingSlash(outputFolder), sourcePath, row.extension, context);
    const QString intermediate = intermediateFilePath(context.workFolder);
    return writeCommand(row, secondStageWords(row, s), {sourcePath, output, intermediate, s, context});
}

EncoderCommand buildCopyAttemptCommand(const QString &sourcePath, const QString &outputFolder,
                                       const ConversionSettings &s, const CommandContext &context)
{
    const FormatInfo *format = formatAt(s.formatIndex);
    if (!format || !convertsInTwoStages(s, context) || remuxFlag(*format->second, context).isEmpty())
        return {};
    EncoderCommand command = oneStageCommand(*format, sourcePath, outputFolder, s, context, coding::words::kRemuxOnlyFlag);
    command.role = RunRole::CopyAttempt;
    return command;
}

} // namespace sonvera
