// Work brought back to the user-interface thread through one door: a message-only window that
// runs the closures posted to it, in the order they came, from the thread's message loop.
// Whoever posts (a worker thread, a reply that came inside another loop, a step of a pass that
// must not run where it is asked) needs to know nothing of the program's windows.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <map>

#include "platform/window.h"

namespace quilvo {

class Dispatcher final : public Window<Dispatcher> {
public:
    Dispatcher();
    // The window goes with its object; work not yet run never runs.
    ~Dispatcher();
    Dispatcher(const Dispatcher&) = delete;
    Dispatcher& operator=(const Dispatcher&) = delete;

    // Makes the window, on the thread whose loop is to run the work (its class registered).
    bool Create(HINSTANCE instance);
    HWND Handle() const { return window_; }

    // From any thread: `work` runs on the window's thread from its message loop, after the
    // work posted before it, and never inside a wait for another program (it is held until
    // the wait has ended). False without a window: nothing runs.
    bool Post(std::function<void()> work);
    // On the window's thread: `work` runs as posted work does, once, after ms; a timer of the
    // same id replaces it. False without a window or timer: nothing runs.
    bool After(UINT_PTR id, UINT ms, std::function<void()> work);
    void Cancel(UINT_PTR id);

    // Window<Dispatcher>
    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void OnWindowGone(HWND) noexcept { window_ = nullptr; }

private:
    void RunPosted();
    void RunTimer(UINT_PTR id);

    HWND window_ = nullptr;
    CRITICAL_SECTION lock_;
    std::deque<std::function<void()>> posted_;   // under lock_
    std::map<UINT_PTR, std::function<void()>> timers_;  // the window's thread only
};

}  // namespace quilvo
