// What an encoder program prints, as the engine reads it for the progress
// display and for the name of the file it wrote.
#include "encoderstatus.h"
#include "fuzzsupport.h"
#include "progress.h"

#include <QStringDecoder>

#include <cmath>

using namespace Qt::Literals::StringLiterals;
using namespace sonvera;

namespace {

void requireShowable(const std::optional<ProgressDisplay> &display)
{
    if (!display)
        return;
    fuzz::require(std::isfinite(display->fraction) && display->fraction >= 0 && display->fraction <= 1,
                  "the progress bar gets a fraction between 0 and 1");
    fuzz::require(!display->caption.isEmpty(), "the progress display has a caption");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Both output styles read the same text, cut and decoded as the runner does.
    QStringDecoder decoder(QStringDecoder::Utf8);
    ProgressState mencoder;
    ProgressState ffmpeg;
    QString output;
    for (const QByteArrayView piece : fuzz::piecesOf(fuzz::bytesOf(data, size))) {
        const QString chunk = decoder(piece);
        output += chunk;
        requireShowable(readMencoderProgress(mencoder, chunk));
        requireShowable(readFfmpegProgress(ffmpeg, chunk));
        fuzz::require(ffmpeg.partialLine.size() <= 512, "the unfinished banner line is bounded");
    }

    const std::optional<QString> name = publishedFileName(output);
    fuzz::require(!name || (!name->contains(u'\n') && !name->contains(u'\r')), "a written name is one line");
    // Whatever came before, a last "wrote" line names its file.
    const QString last = output.sliced(std::max(output.lastIndexOf(u'\n'), output.lastIndexOf(u'\r')) + 1);
    const QString named = output + u'\n' + publishedLine(u"coder", last);
    fuzz::require(publishedFileName(named) == last,
                  "the last line naming the written file is read back");
    return 0;
}
