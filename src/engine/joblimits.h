#pragma once

namespace sonvera {

// The most files converted at once, whatever is asked: the window's
// preferences and sonvera-cli's -j both stop here.
inline constexpr int kMostParallelJobs = 64;

// How many of `asked` files (at least 1) can convert at once in this
// process: at most kMostParallelJobs, and no more than the file descriptors
// it may open allow, since every running encoder holds some of them.
int parallelJobsWithinLimits(int asked);

} // namespace sonvera
