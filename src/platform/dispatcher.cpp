#include "platform/dispatcher.h"

#include <utility>

#include "platform/held_messages.h"
#include "platform/window_names.h"
#include "resources/resource_ids.h"

namespace quilvo {

namespace {

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& lock) : lock_(lock) { EnterCriticalSection(&lock_); }
    ~Locked() { LeaveCriticalSection(&lock_); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& lock_;
};

// A full message queue refuses a post for a moment; a thread of its own may wait for room.
constexpr DWORD kFullQueueRetryMs = 50;

}  // namespace

Dispatcher::Dispatcher() { InitializeCriticalSection(&lock_); }

Dispatcher::~Dispatcher() {
    DestroyDetached(window_, this);
    DeleteCriticalSection(&lock_);
}

bool Dispatcher::Create(HINSTANCE instance) {
    window_ = CreateWindowExA(0, kDispatcherClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    return window_ != nullptr;
}

bool Dispatcher::Post(std::function<void()> work) {
    HWND window = window_;
    if (window == nullptr) return false;
    bool first = false;
    {
        Locked locked(lock_);
        first = posted_.empty();
        posted_.push_back(std::move(work));
    }
    // One message runs everything queued by then: only the first of a run of posts sends one.
    if (!first) return true;
    const bool here = GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId();
    while (!PostMessageA(window, WM_QUILVO_RUN, 0, 0)) {
        // The window's own thread cannot wait for its queue to drain; the work then runs with
        // the next message that gets through.
        if (here || !IsWindow(window)) break;
        Sleep(kFullQueueRetryMs);
    }
    return true;
}

bool Dispatcher::After(UINT_PTR id, UINT ms, std::function<void()> work) {
    if (window_ == nullptr || SetTimer(window_, id, ms, nullptr) == 0) return false;
    timers_[id] = std::move(work);
    return true;
}

void Dispatcher::Cancel(UINT_PTR id) {
    if (window_ != nullptr) KillTimer(window_, id);
    timers_.erase(id);
}

void Dispatcher::RunPosted() {
    // What was posted until now; work posted while it runs waits for a message of its own, so
    // that what the user does is taken in between (a pass that continues itself step by step).
    std::deque<std::function<void()>> due;
    {
        Locked locked(lock_);
        due.swap(posted_);
    }
    for (std::function<void()>& work : due) work();
}

void Dispatcher::RunTimer(UINT_PTR id) {
    KillTimer(window_, id);
    auto it = timers_.find(id);
    if (it == timers_.end()) return;
    std::function<void()> work = std::move(it->second);
    timers_.erase(it);
    work();
}

LRESULT Dispatcher::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_QUILVO_RUN:
            // Inside a wait for another program the work would run under the code that waits:
            // it is held and posted again, once, when the wait has ended.
            if (!HoldWhileWaiting(wnd, msg, wp, lp)) RunPosted();
            return 0;
        case WM_TIMER:
            if (!HoldWhileWaiting(wnd, msg, wp, lp)) RunTimer(wp);
            return 0;
        default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

}  // namespace quilvo
