#pragma once

#include <QtGlobal>

#include <optional>

namespace sonvera {

// The time a batch still needs, from the rate measured so far: work done per
// millisecond of the batch (work in seconds of media, or in files where the
// length is not known). Nothing is shown before there is a measurement, and
// the figure never drops by more than the time that passed since it was last
// shown, so one fast file does not make it jump; once all the work is done it
// is 0.
class TimeLeftEstimate {
public:
    // The work done and the whole work of the batch so far, at `elapsedMs`
    // into it. Returns the time left in ms, or nothing while too little is
    // done to tell.
    std::optional<qint64> update(qint64 elapsedMs, double doneWork, double totalWork);
    void reset() { m_lastShown.reset(); }

    // Below this share of the work an estimate is a guess.
    static constexpr double kMinimumShare = 0.02;

private:
    std::optional<qint64> m_lastShown;
    qint64 m_lastElapsed = 0;
};

} // namespace sonvera
