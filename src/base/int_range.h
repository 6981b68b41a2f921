// 32-bit coordinates and extents computed without overflow. Other programs' windows may report
// any rectangle, so sums and differences of their coordinates are taken in 64 bits and the
// result is clamped to the 32-bit range.
#pragma once

#include <cstdint>
#include <limits>

namespace quilvo {

constexpr std::int32_t ClampToInt32(std::int64_t value) {
    constexpr std::int64_t kLowest = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kHighest = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value < kLowest ? kLowest : (value > kHighest ? kHighest : value));
}

// hi - lo, the extent between two edges (negative when they are the wrong way round), clamped.
constexpr std::int32_t SpanOf(std::int32_t lo, std::int32_t hi) {
    return ClampToInt32(static_cast<std::int64_t>(hi) - lo);
}

}  // namespace quilvo
