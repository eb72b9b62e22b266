// ffmpeg's `-progress` key=value stream as the encoders read it.
#include "ffmpegoutput.h"
#include "fuzzsupport.h"

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::encoders;

namespace {

QString summary(const QList<ProgressBlock> &blocks)
{
    QString text;
    for (const ProgressBlock &b : blocks) {
        text += QString::number(b.frame) + u' ' + QString::number(b.fps, 'g', 17) + u' '
            + QString::number(b.totalSizeBytes) + u' ' + QString::number(b.outTimeSeconds.value_or(-1), 'g', 17)
            + u' ' + QString::number(b.bitrateKbps, 'g', 17) + u' ' + QString::number(b.speed, 'g', 17) + u' '
            + QString::number(b.end) + u'\n';
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
    ProgressReader wholeReader;
    const QList<ProgressBlock> whole = wholeReader.feed(bytes);
    for (const ProgressBlock &block : whole)
        fuzz::require(!block.outTimeSeconds || *block.outTimeSeconds >= 0, "no position before the start");

    ProgressReader piecesReader;
    QList<ProgressBlock> pieces;
    for (const QByteArrayView piece : fuzz::piecesOf(bytes))
        pieces += piecesReader.feed(piece.toByteArray());
    fuzz::require(summary(pieces) == summary(whole), "the same stream read in pieces gives the same blocks");
    return 0;
}
