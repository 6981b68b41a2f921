// The last items added, a fixed number of them, the oldest overwritten by the newest. Its
// room is taken when it is made: adding allocates nothing of its own. Not locked: the caller
// that shares one between threads locks it.
#pragma once

#include <cstddef>
#include <utility>
#include <vector>

namespace quilvo {

template <typename T>
class Ring {
public:
    explicit Ring(std::size_t capacity) : items_(capacity) {}

    void Add(T item) {
        if (items_.empty()) return;
        items_[next_] = std::move(item);
        next_ = (next_ + 1) % items_.size();
        if (count_ < items_.size()) ++count_;
    }
    // Oldest first.
    std::vector<T> Items() const {
        std::vector<T> out;
        out.reserve(count_);
        for (std::size_t i = 0; i < count_; ++i) out.push_back(items_[(next_ + items_.size() - count_ + i) % items_.size()]);
        return out;
    }

private:
    std::vector<T> items_;
    std::size_t next_ = 0;
    std::size_t count_ = 0;
};

}  // namespace quilvo
