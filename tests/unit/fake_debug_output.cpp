#include "fake_debug_output.h"

#include <algorithm>

#include "base/debug_output.h"

namespace quilvo {

void DebugOut(const char* line) { fake::Debug().lines.emplace_back(line != nullptr ? line : ""); }

namespace fake {

DebugRecorder& Debug() {
    static DebugRecorder recorder;
    return recorder;
}

std::size_t DebugRecorder::Count(const std::string& line) const {
    return static_cast<std::size_t>(std::count(lines.begin(), lines.end(), line));
}

}  // namespace fake
}  // namespace quilvo
