#include "timeleft.h"

#include <algorithm>
#include <cmath>

namespace sonvera {

std::optional<qint64> TimeLeftEstimate::update(qint64 elapsedMs, double doneWork, double totalWork)
{
    if (totalWork <= 0 || elapsedMs <= 0 || doneWork < totalWork * kMinimumShare)
        return m_lastShown;
    qint64 left = 0;
    // All the work done is the end of the wait, however fast it came.
    if (doneWork < totalWork) {
        const double rate = doneWork / static_cast<double>(elapsedMs);
        left = static_cast<qint64>(std::llround((totalWork - doneWork) / rate));
        if (m_lastShown)
            left = std::max(left, *m_lastShown - (elapsedMs - m_lastElapsed));
        left = std::max<qint64>(left, 0);
    }
    m_lastShown = left;
    m_lastElapsed = elapsedMs;
    return left;
}

} // namespace sonvera
