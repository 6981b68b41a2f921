// The last lines written, kept for a support file without their line ends ("\r\n" or "\n").
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "base/ring.h"

namespace quilvo {

class LineRing {
public:
    explicit LineRing(std::size_t capacity) : lines_(capacity) {}

    void Add(const char* line) {
        if (line == nullptr) return;
        std::string kept(line);
        while (!kept.empty() && (kept.back() == '\n' || kept.back() == '\r')) kept.pop_back();
        lines_.Add(std::move(kept));
    }
    // Oldest first.
    std::vector<std::string> Lines() const { return lines_.Items(); }

private:
    Ring<std::string> lines_;
};

}  // namespace quilvo
