// ffmpeg's standard error as the encoders read it (`-loglevel level+info`).
#include "ffmpegoutput.h"
#include "fuzzsupport.h"

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::encoders;

namespace {

// Everything a reader has found, as one text to compare.
QString summary(const FfmpegLogReader &reader)
{
    QString text = reader.lastProblem() + u'\n' + reader.errors().join(u'\n') + u'\n' + reader.warnings().join(u'\n');
    for (int i = 0; const InputInfo *input = reader.input(i); ++i) {
        text += u"\ninput "_s + input->format + u' ' + QString::number(input->durationSeconds.value_or(-1), 'g', 17)
            + u' ' + input->startText + u' ' + input->bitrateText + u' ' + QString::number(input->complete);
        for (const StreamInfo &stream : input->streams) {
            text += u"\n stream "_s + QString::number(int(stream.kind)) + u' ' + stream.codec + u' '
                + QString::number(stream.codecTag) + u' ' + QString::number(stream.size.width()) + u'x'
                + QString::number(stream.size.height()) + u' ' + QString::number(stream.frameRate, 'g', 17) + u' '
                + QString::number(stream.sampleRate) + u' ' + QString::number(stream.attachedPicture);
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialise();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    FfmpegLogReader whole;
    whole.feed(bytes);
    whole.finish();
    fuzz::require(whole.errors().size() <= FfmpegLogReader::kKeptMessages
                      && whole.warnings().size() <= FfmpegLogReader::kKeptMessages,
                  "a bounded number of messages is kept");
    for (const QString &message : whole.errors() + whole.warnings())
        fuzz::require(message.size() <= LineBuffer::kMaxLineBytes, "a kept message is at most one line long");

    // A pipe cuts the output anywhere: the reader finds the same either way.
    FfmpegLogReader pieces;
    for (const QByteArrayView piece : fuzz::piecesOf(bytes))
        pieces.feed(piece.toByteArray());
    pieces.finish();
    fuzz::require(summary(pieces) == summary(whole), "the same output read in pieces gives the same findings");
    return 0;
}
