// The last lines written, kept for a support file: a fixed number of slots, the oldest line
// overwritten by the newest. Not locked: the caller that shares one between threads locks it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quilvo {

class LineRing {
public:
    explicit LineRing(std::size_t capacity) : lines_(capacity) {}

    // Kept without its line ends ("\r\n" or "\n").
    void Add(const char* line) {
        if (lines_.empty() || line == nullptr) return;
        std::string& slot = lines_[next_];
        slot.assign(line);
        while (!slot.empty() && (slot.back() == '\n' || slot.back() == '\r')) slot.pop_back();
        next_ = (next_ + 1) % lines_.size();
        if (count_ < lines_.size()) ++count_;
    }
    // Oldest first.
    std::vector<std::string> Lines() const {
        std::vector<std::string> out;
        out.reserve(count_);
        for (std::size_t i = 0; i < count_; ++i) out.push_back(lines_[(next_ + lines_.size() - count_ + i) % lines_.size()]);
        return out;
    }

private:
    std::vector<std::string> lines_;
    std::size_t next_ = 0;
    std::size_t count_ = 0;
};

}  // namespace quilvo
