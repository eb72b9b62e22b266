#include "appoptions.h"

#include <algorithm>

namespace sonvera {

std::optional<ClipRange> AppOptions::mp3Clip() const
{
    if (cutterEnabled != 1)
        return std::nullopt;
    // Minutes have no lower limit in the dialog; a start before the source's
    // beginning means the beginning, and the command line says so plainly.
    const ClipRange range{std::max(cutStartSeconds, 0), cutEndSeconds};
    if (!range.isUsable())
        return std::nullopt;
    return range;
}

} // namespace sonvera
