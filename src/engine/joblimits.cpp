#include "joblimits.h"

#include <algorithm>

#include <sys/resource.h>

namespace sonvera {

namespace {

// A running encoder holds its output pipe and its process descriptor, and
// two more while it starts; the rest of the program (Qt, the journal, the
// desktop's bus) keeps the reserve.
constexpr rlim_t kDescriptorsPerJob = 4;
constexpr rlim_t kReservedDescriptors = 32;

} // namespace

int parallelJobsWithinLimits(int asked)
{
    int jobs = std::clamp(asked, 1, kMostParallelJobs);
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY) {
        const rlim_t room = limit.rlim_cur > kReservedDescriptors ? limit.rlim_cur - kReservedDescriptors : 0;
        jobs = std::min(jobs, std::max(1, static_cast<int>(std::min<rlim_t>(room / kDescriptorsPerJob, kMostParallelJobs))));
    }
    return jobs;
}

} // namespace sonvera
