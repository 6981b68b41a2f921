// The walk of a discovery pass on a thread of its own. The walk reads every window of the
// desktop, a few hundred requests to the window system: 25 to 170 ms on a loaded machine, all
// of it time in which the user's clicks and keys would wait if the user-interface thread made it.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

#include "platform/scoped_win.h"

namespace quilvo {

class PassWalker {
public:
    PassWalker() = default;
    ~PassWalker() { Stop(); }
    PassWalker(const PassWalker&) = delete;
    PassWalker& operator=(const PassWalker&) = delete;

    // Makes `walk` on the walker thread (started on first use), then `done` there, once it
    // has ended. A walk still under way is waited for first. False when the thread cannot be
    // had (or after Stop): nothing is made.
    bool Start(std::function<void()> walk, std::function<void()> done);
    // Returns once no walk is under way. Messages sent to this thread meanwhile are taken (the
    // walk reads captions, which a window of this thread gives only when it takes them), but
    // held back from the program's windows as in every wait (WaitScope).
    void Await();
    // Waits for the walk handed over (it is made) and ends the thread. Exit calls this.
    void Stop();

private:
    static DWORD WINAPI Main(LPVOID self);
    bool StartThread();

    ScopedKernelHandle wake_;  // auto-reset: a walk has been handed over, or the thread is to end
    ScopedKernelHandle idle_;  // manual-reset: set while no walk is under way
    ScopedKernelHandle thread_;
    std::function<void()> walk_;
    std::function<void()> done_;
    std::atomic<bool> stopping_{false};
    bool stopped_ = false;
};

}  // namespace quilvo
