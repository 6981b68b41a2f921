// The timings of the last discovery passes, for a support file: how long each walk of the
// desktop took, how long the sessions took to answer, and how many did not answer in time.
// A fixed ring: recording a pass allocates nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quilvo {

struct PassTiming {
    std::uint32_t walkMs = 0;     // the walk of the desktop
    std::uint32_t answersMs = 0;  // from the first query sent to the end of the pass
    std::uint32_t slowestMs = 0;  // from the first query sent to the last answer that came
    std::int32_t sessions = 0;    // sessions found
    std::int32_t unanswered = 0;  // still busy when the pass ended
};

class PassLog {
public:
    static constexpr std::size_t kKept = 20;

    void Add(const PassTiming& pass) {
        ring_[next_] = pass;
        next_ = (next_ + 1) % kKept;
        if (count_ < kKept) ++count_;
    }
    // Oldest first.
    std::vector<PassTiming> Passes() const {
        std::vector<PassTiming> out;
        out.reserve(count_);
        for (std::size_t i = 0; i < count_; ++i) out.push_back(ring_[(next_ + kKept - count_ + i) % kKept]);
        return out;
    }

private:
    std::array<PassTiming, kKept> ring_ = {};
    std::size_t next_ = 0;
    std::size_t count_ = 0;
};

}  // namespace quilvo
