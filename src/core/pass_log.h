// The timings of the last discovery passes, for a support file: how long each walk of the
// desktop took, how long the sessions took to answer, and how many did not answer in time.
// A ring (base/ring.h): recording a pass allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/ring.h"

namespace quilvo {

struct PassTiming {
    std::uint32_t walkMs = 0;     // the walk of the desktop
    std::uint32_t answersMs = 0;  // from the first query sent to the end of the pass
    std::uint32_t slowestMs = 0;  // from the first query sent to the last answer that came
    std::int32_t sessions = 0;    // sessions found
    std::int32_t unanswered = 0;  // still busy when the pass ended
};

class PassLog : public Ring<PassTiming> {
public:
    static constexpr std::size_t kKept = 20;

    PassLog() : Ring(kKept) {}
    // Oldest first.
    std::vector<PassTiming> Passes() const { return Items(); }
};

}  // namespace quilvo
