// ffmpeg's `-progress` key=value stream as the encoders read it.
#include "ffmpegoutput.h"
#include "fuzzsupport.h"

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;
using namespace sonvera::encoders;

namespace {

// The blocks a reader finds in the stream fed in these pieces, as one text.
QString blocks(const QList<QByteArrayView> &pieces)
{
    ProgressReader reader;
    QString text;
    for (const QByteArrayView piece : pieces) {
        for (const ProgressBlock &b : reader.feed(QByteArray::fromRawData(piece.data(), piece.size()))) {
            fuzz::require(!b.outTimeSeconds || *b.outTimeSeconds >= 0, "no position before the start");
            text += QString::number(b.frame) + u' ' + QString::number(b.fps, 'g', 17) + u' '
                + QString::number(b.totalSizeBytes) + u' ' + QString::number(b.outTimeSeconds.value_or(-1), 'g', 17)
                + u' ' + QString::number(b.bitrateKbps, 'g', 17) + u' ' + QString::number(b.speed, 'g', 17) + u' '
                + QString::number(b.end) + u'\n';
        }
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    fuzz::require(blocks(fuzz::piecesOf(bytes)) == blocks({bytes}), "the same stream read in pieces gives the same blocks");
    return 0;
}
