#include "platform/pass_walker.h"

#include <utility>

#include "core/wait_scope.h"

namespace quilvo {

bool PassWalker::StartThread() {
    // Events left from a try that got no thread are closed as these replace them.
    wake_ = ScopedKernelHandle(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    idle_ = ScopedKernelHandle(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    if (wake_ && idle_) thread_ = ScopedKernelHandle(CreateThread(nullptr, 0, &Main, this, 0, nullptr));
    return static_cast<bool>(thread_);
}

bool PassWalker::Start(std::function<void()> walk, std::function<void()> done) {
    if (stopped_ || (!thread_ && !StartThread())) return false;
    Await();
    walk_ = std::move(walk);
    done_ = std::move(done);
    ResetEvent(idle_.get());
    SetEvent(wake_.get());
    return true;
}

void PassWalker::Await() {
    if (!thread_) return;
    WaitScope waiting;
    const HANDLE idle = idle_.get();
    while (MsgWaitForMultipleObjects(1, &idle, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void PassWalker::Stop() {
    stopped_ = true;
    if (!thread_) return;
    stopping_ = true;
    SetEvent(wake_.get());
    Await();
    WaitForSingleObject(thread_.get(), INFINITE);
    thread_ = ScopedKernelHandle();
}

DWORD WINAPI PassWalker::Main(LPVOID param) {
    auto& self = *static_cast<PassWalker*>(param);
    for (;;) {
        WaitForSingleObject(self.wake_.get(), INFINITE);
        if (self.walk_) {
            self.walk_();
            self.walk_ = nullptr;
            if (self.done_) self.done_();
            self.done_ = nullptr;
        }
        // Idle only now: the next Start may hand over other work.
        SetEvent(self.idle_.get());
        if (self.stopping_) return 0;
    }
}

}  // namespace quilvo
