// ffmpeg's standard error as the encoders read it (`-loglevel level+info`).
#include "ffmpegoutput.h"
#include "fuzzsupport.h"

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::encoders;

namespace {

// Everything a reader finds in the output fed in these pieces, as one text.
QString findings(const QList<QByteArrayView> &pieces)
{
    FfmpegLogReader reader;
    for (const QByteArrayView piece : pieces)
        reader.feed(QByteArray::fromRawData(piece.data(), piece.size()));
    reader.finish();
    fuzz::require(reader.errors().size() <= FfmpegLogReader::kKeptMessages
                      && reader.warnings().size() <= FfmpegLogReader::kKeptMessages,
                  "a bounded number of messages is kept");
    for (const QString &message : reader.errors() + reader.warnings())
        fuzz::require(message.size() <= LineBuffer::kMaxLineBytes, "a kept message is at most one line long");

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

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A pipe cuts the output anywhere: the reader finds the same either way.
    const QByteArray bytes = fuzz::bytesOf(data, size);
    fuzz::require(findings(fuzz::piecesOf(bytes)) == findings({bytes}),
                  "the same output read in pieces gives the same findings");
    return 0;
}
