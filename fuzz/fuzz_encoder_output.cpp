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

    [[maybe_unused]] const std::optional<QString> name = publishedFileName(output);
    [[maybe_unused]] const std::optional<EncoderReport> report = lastFailureReport(output);

    // Whatever came before, and whatever a name holds (line breaks, quotes,
    // control characters), the encoder's last line is read back as written.
    fuzz::require(unquotedText(quotedText(output)) == output, "quoted text comes back unchanged");
    const QString wrote = output + u'\n' + publishedLine(u"coder", output);
    fuzz::require(output.isEmpty() || publishedFileName(wrote) == output, "the name in the last line is the file written");
    EncoderReport failure{FailureCode::SourceTruncated, {}};
    failure.facts.output = output;
    failure.facts.detail = output.left(64);
    const QString failed = output + u'\n' + failureReportLine(u"conv", failure);
    const std::optional<EncoderReport> back = lastFailureReport(failed);
    fuzz::require(back && back->code == failure.code && back->facts == failure.facts, "the last failure line is read back");
    return 0;
}
