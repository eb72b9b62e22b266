// What ffprobe prints about a file added to the list, read for its length and picture size.
#include "fuzzsupport.h"
#include "mediainfo.h"

#include <cmath>

using namespace sonvera;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<MediaInfo> info = readProbeReport(fuzz::bytesOf(data, size));
    if (!info)
        return 0;
    fuzz::require(info->state == MediaInfo::State::Known, "a report read is a known file");
    fuzz::require(!info->durationSeconds || (std::isfinite(*info->durationSeconds) && *info->durationSeconds > 0),
                  "a length is a positive number of seconds");
    fuzz::require((info->width > 0) == (info->height > 0) && info->width >= 0 && info->height >= 0,
                  "a picture has both sides or none");
    fuzz::require(info->thumbnailPng.isEmpty() && info->fileBytes == -1, "the report says nothing of the file itself");
    return 0;
}
