// The hand-over frame a later launch (or any local client) sends to the
// running window, read as the socket delivers it: in pieces.
#include "fuzzsupport.h"
#include "handoverframe.h"

using namespace sonvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    const HandOverFrame::Decoded decoded = HandOverFrame::decode(bytes);
    if (decoded.status != HandOverFrame::Decoded::Status::Complete) {
        fuzz::require(decoded.paths.isEmpty(), "only a whole frame gives paths");
        return 0;
    }
    fuzz::require(decoded.frameBytes > 0 && decoded.frameBytes <= bytes.size(), "a frame lies within what was read");
    for (const QByteArray &path : decoded.paths)
        fuzz::require(path.startsWith('/') && !path.contains('\0'), "only absolute paths are taken");
    const QByteArrayView frame = QByteArrayView(bytes).first(decoded.frameBytes);
    fuzz::require(HandOverFrame::encode(decoded.paths) == frame, "a frame is what a launch of ours sends");

    // Cut where a socket may cut it, the frame is incomplete until its last
    // byte: never taken early, never refused.
    qsizetype read = 0;
    for (const QByteArrayView piece : fuzz::piecesOf(frame)) {
        read += piece.size();
        if (read < frame.size())
            fuzz::require(HandOverFrame::decode(frame.first(read)).status == HandOverFrame::Decoded::Status::Incomplete,
                          "a frame cut short waits for the rest");
    }
    return 0;
}
