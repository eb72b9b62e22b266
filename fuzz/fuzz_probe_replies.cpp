// What the probe helper (data/probe) writes back for each file, read as its
// output arrives, in pieces.
#include "fuzzsupport.h"
#include "mediainfo.h"

#include <cmath>

using namespace sonvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input = fuzz::bytesOf(data, size);
    ProbeReplyReader whole;
    const QList<ProbeReplyReader::Reply> replies = whole.read(input);
    ProbeReplyReader pieces;
    QList<ProbeReplyReader::Reply> fromPieces;
    for (const QByteArrayView piece : fuzz::piecesOf(input))
        fromPieces += pieces.read(piece);
    fuzz::require(fromPieces.size() == replies.size() && pieces.broken() == whole.broken(),
                  "the pieces a pipe delivers give what the whole output gives");
    for (qsizetype i = 0; i < replies.size(); ++i) {
        const MediaInfo &info = replies[i].info;
        fuzz::require(replies[i].id == fromPieces[i].id && info.thumbnailPng == fromPieces[i].info.thumbnailPng,
                      "the same replies, piece by piece");
        fuzz::require(info.state != MediaInfo::State::Unknown, "a reply knows whether the file is media");
        fuzz::require(!info.durationSeconds || (std::isfinite(*info.durationSeconds) && *info.durationSeconds > 0),
                      "a length is a positive number of seconds");
        fuzz::require((info.width > 0) == (info.height > 0) && info.width >= 0 && info.height >= 0,
                      "a picture has both sides or none");
        fuzz::require(info.thumbnailPng.isEmpty() || (info.hasPicture() && info.thumbnailPng.startsWith("\x89PNG")),
                      "a thumbnail is a PNG of a picture");
        fuzz::require(info.thumbnailPng.size() <= ProbeReplyReader::kMostPngBytes, "a thumbnail stays small");
        fuzz::require(info.fileBytes == -1, "the reply says nothing of the file's size");
    }
    return 0;
}
