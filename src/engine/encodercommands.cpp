#include "encodercommands.h"

#include "pathtext.h"

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

} // namespace

QString intermediateFilePath(const QString &workFolder)
{
    return workFolder + u"/tmp.mp4";
}

EncoderCommand buildFirstStageCommand(const QString &sourcePath, const QString &outputFolder,
                                      const ConversionSettings &s, const CommandContext &context)
{
    const FormatInfo *format = formatAt(s.formatIndex);
    if (!format)
        return {};

    CommandWriter w(context.programFolder, format->encoderImage, format->outputStyle);
    switch (format->firstStage) {
    case FirstStageRecipe::Intermediate: {
        const QString tmp = intermediateFilePath(context.workFolder);
        w.fixed(u" ").quoted(sourcePath)
            .fixed(u" -oac mp3lame -lameopts preset=320 -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=1200 -of avi -o ")
            .path(tmp);
        return w.finish(tmp);
    }
    case FirstStageRecipe::Mpeg4Video:
    case FirstStageRecipe::Mpeg1Video: {
        // Both write the output directly; only their codec options differ.
        const QString out = outputPathFor(outputFolder, sourcePath, format->extension, context);
        w.fixed(u" ").quoted(sourcePath);
        if (format->firstStage == FirstStageRecipe::Mpeg4Video) {
            w.fixed(u" -oac mp3lame -lameopts preset=").value(s.audioBitrate)
                .fixed(u" -ovc lavc -lavcopts vcodec=mpeg4:vbitrate=").value(s.videoBitrate)
                .fixed(u" -of avi -o ");
        } else {
            w.fixed(u" -oac lavc -lavcopts acodec=mp2:abitrate=").value(s.audioBitrate)
                .fixed(u" -ovc lavc -lavcopts vcodec=mpeg1video:vbitrate=").value(s.videoBitrate)
                .fixed(u":vpass=1 -ofps ").value(s.frameRate)
                .fixed(u" -of lavf -lavfopts format=yuv4mpeg -o ");
        }
        w.quoted(out);
        return w.finish(out);
    }
    case FirstStageRecipe::Mp3Audio: {
        const QString out = outputPathFor(outputFolder, sourcePath, format->extension, context);
        w.fixed(u" -i ").quoted(sourcePath)
            .fixed(u" -y -vn -ar ").value(s.audioRate)
            .fixed(u" -ab ").value(s.audioBitrate)
            .fixed(u"k -ac ").value(QString::number(s.channelCount()))
            .fixed(u" ");
        if (context.mp3Clip && context.mp3Clip->isUsable()) {
            w.fixed(u"-ss ").value(QString::number(context.mp3Clip->startSeconds))
                .fixed(u" -to ").value(QString::number(context.mp3Clip->endSeconds))
                .fixed(u" ");
        }
        w.quoted(out);
        return w.finish(out);
    }
    }
    return {};
}

EncoderCommand buildSecondStageCommand(const QString &sourcePath, const QString &outputFolder,
                                       const ConversionSettings &s, const CommandContext &context)
{
    const FormatInfo *format = formatAt(s.formatIndex);
    if (!format || !format->isTwoStage())
        return {};

    const QString out = outputPathFor(withTrailingSlash(outputFolder), sourcePath, format->extension, context);
    const bool keepSize = s.videoSize == kKeepSourceSize;
    const bool real = format->secondStage == SecondStageRecipe::RealMedia;
    const bool mov = format->secondStage == SecondStageRecipe::QuickTime;

    CommandWriter w(context.programFolder, format->stageTwoImage, OutputStyle::Ffmpeg);
    w.fixed(u" -i ").path(intermediateFilePath(context.workFolder)).fixed(u" -y ");
    if (keepSize) {
        if (real)
            w.fixed(u"-vcodec rv10 -b 1200k -f rm  -ab 128k -ac 2 ");
        else if (mov)
            w.fixed(u"-ac 2 -ar 48000 -ab 128k ");
        else
            w.fixed(u"-s 320x240 -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k ");
    } else {
        w.fixed(u"-s ").value(s.videoSize);
        if (real) {
            w.fixed(u" -vcodec rv10 -b ").value(s.videoBitrate)
                .fixed(u"k -f rm -ar ").value(s.audioRate)
                .fixed(u" -ab ").value(s.audioBitrate)
                .fixed(u"k -ac ").value(QString::number(s.channelCount()))
                .fixed(u" ");
        } else if (mov) {
            w.fixed(u" -ac 2 -ar 48000 -ab 128k ");
        } else {
            w.fixed(u" -vcodec mpeg4 -acodec amr_nb -ac 1 -ar 8000 -ab 12.2k ");
        }
    }
    w.quoted(out);
    return w.finish(out);
}

} // namespace sonvera
