// Records every debug line the code under test writes, in place of the debugger channel.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quilvo::fake {

struct DebugRecorder {
    std::vector<std::string> lines;

    void Clear() { lines.clear(); }
    std::size_t Count(const std::string& line) const;
};

DebugRecorder& Debug();

}  // namespace quilvo::fake
