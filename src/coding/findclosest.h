#pragma once

#include <cmath>
#include <functional>
#include <limits>
#include <span>

namespace sonvera::coding {

// The entry of `entries` whose value (`valueOf` of it) lies closest to
// `asked`; an asked value midway between two entries takes the higher one.
// `entries` must not be empty.
template<typename T, typename ValueOf = std::identity>
constexpr const T &findClosest(std::span<const T> entries, double asked, ValueOf valueOf = {})
{
    const T *best = &entries.front();
    double bestDistance = std::numeric_limits<double>::infinity();
    for (const T &entry : entries) {
        const double value = static_cast<double>(std::invoke(valueOf, entry));
        const double distance = std::abs(value - asked);
        if (distance < bestDistance
            || (distance == bestDistance && value > static_cast<double>(std::invoke(valueOf, *best)))) {
            best = &entry;
            bestDistance = distance;
        }
    }
    return *best;
}

} // namespace sonvera::coding
