#include "core/front_queries.h"

#include <algorithm>
#include <cstring>

namespace quilvo {
namespace {

constexpr int kIndexBits = 16;
constexpr FrontToken kIndexMask = (FrontToken{1} << kIndexBits) - 1;

}  // namespace

FrontQueryPool::FrontQueryPool() {
    std::memset(entries_, 0, sizeof entries_);
    // Generations start at 1, so that no token is ever 0.
    for (Entry& e : entries_) e.generation = 1;
}

std::uint32_t FrontQueryPool::BeginPass(std::uint32_t now) {
    static_assert(kPassNeed <= kCapacity, "a pass must find room for a full table");
    ReleaseExpired(now);
    ReleaseOldestUntilFree(kPassNeed);
    passTick_ = now;
    return ++pass_;
}

void FrontQueryPool::ReleaseExpired(std::uint32_t now) {
    if (free_ == kCapacity) return;
    // Unsigned: the age is right across a wrap of the tick count.
    for (Entry& e : entries_)
        if (e.inUse && now - e.opened >= kLifetimeMs) Release(e);
}

// A pass's records all go together, so a window's six are given back together and the window
// is either owed nothing or owed all it was last asked.
void FrontQueryPool::ReleaseOldestUntilFree(int need) {
    while (free_ < need) {
        std::uint32_t oldest = 0;  // in passes before the current one
        for (const Entry& e : entries_)
            if (e.inUse) oldest = std::max(oldest, pass_ - e.pass);
        for (Entry& e : entries_)
            if (e.inUse && pass_ - e.pass == oldest) Release(e);
    }
}

FrontToken FrontQueryPool::Open(AnswerSink* sink, WindowHandle window, int code) {
    if (free_ == 0) return 0;
    for (int n = 0; n < kCapacity; ++n) {
        const int i = (cursor_ + n) % kCapacity;
        Entry& e = entries_[i];
        if (e.inUse) continue;
        cursor_ = (i + 1) % kCapacity;
        e.inUse = true;
        e.code = code;
        e.pass = pass_;
        e.opened = passTick_;
        e.window = window;
        e.sink = sink;
        --free_;
        return (e.generation << kIndexBits) | static_cast<FrontToken>(i);
    }
    return 0;
}

FrontQueryPool::Entry* FrontQueryPool::Find(FrontToken token) {
    const FrontToken index = token & kIndexMask;
    if (token == 0 || index >= static_cast<FrontToken>(kCapacity)) return nullptr;
    Entry& e = entries_[index];
    if (!e.inUse || e.generation != (token >> kIndexBits)) return nullptr;
    return &e;
}

void FrontQueryPool::Release(Entry& e) {
    e.inUse = false;
    ++e.generation;  // any token still naming this record is stale from now on
    e.sink = nullptr;
    ++free_;
}

std::uint32_t FrontQueryPool::Complete(FrontToken token, const char* answer) {
    Entry* e = Find(token);
    if (e == nullptr) return 0;
    AnswerSink* sink = e->sink;
    const WindowHandle window = e->window;
    const int code = e->code;
    const std::uint32_t pass = e->pass;
    // Given back first: the sink may look at what is still pending.
    Release(*e);
    if (sink != nullptr) sink->OnAnswer(window, code, answer != nullptr && answer[0] != '\0' ? answer : nullptr, pass);
    return pass;
}

void FrontQueryPool::Cancel(FrontToken token) {
    if (Entry* e = Find(token)) Release(*e);
}

bool FrontQueryPool::Outstanding(WindowHandle window) const {
    if (free_ == kCapacity) return false;
    for (const Entry& e : entries_)
        if (e.inUse && e.window == window) return true;
    return false;
}

int FrontQueryPool::Pending(std::uint32_t pass) const {
    int n = 0;
    if (free_ == kCapacity) return 0;
    for (const Entry& e : entries_)
        if (e.inUse && e.pass == pass) ++n;
    return n;
}

void FrontQueryPool::ReleaseGone(bool (*gone)(WindowHandle window, void* context), void* context) {
    if (free_ == kCapacity) return;
    for (Entry& e : entries_)
        if (e.inUse && gone(e.window, context)) Release(e);
}

void FrontQueryPool::Forget(const AnswerSink* sink) {
    for (Entry& e : entries_)
        if (e.inUse && e.sink == sink) e.sink = nullptr;
}

}  // namespace quilvo
