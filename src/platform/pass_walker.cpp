#include "platform/pass_walker.h"

#include <utility>

#include "core/wait_scope.h"

namespace quilvo {

bool PassWalker::StartThread() {
    wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    idle_ = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    if (wake_ != nullptr && idle_ != nullptr) thread_ = CreateThread(nullptr, 0, &Main, this, 0, nullptr);
    if (thread_ != nullptr) return true;
    if (wake_ != nullptr) CloseHandle(wake_);
    if (idle_ != nullptr) CloseHandle(idle_);
    wake_ = idle_ = nullptr;
    return false;
}

bool PassWalker::Start(std::function<void()> walk, std::function<void()> done) {
    if (stopped_ || (thread_ == nullptr && !StartThread())) return false;
    Await();
    walk_ = std::move(walk);
    done_ = std::move(done);
    ResetEvent(idle_);
    SetEvent(wake_);
    return true;
}

void PassWalker::Await() {
    if (thread_ == nullptr) return;
    WaitScope waiting;
    while (MsgWaitForMultipleObjects(1, &idle_, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void PassWalker::Stop() {
    stopped_ = true;
    if (thread_ == nullptr) return;
    stopping_ = true;
    SetEvent(wake_);
    Await();
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    CloseHandle(wake_);
    CloseHandle(idle_);
    thread_ = wake_ = idle_ = nullptr;
}

DWORD WINAPI PassWalker::Main(LPVOID param) {
    auto& self = *static_cast<PassWalker*>(param);
    for (;;) {
        WaitForSingleObject(self.wake_, INFINITE);
        if (self.walk_) {
            self.walk_();
            self.walk_ = nullptr;
            if (self.done_) self.done_();
            self.done_ = nullptr;
        }
        // Idle only now: the next Start may hand over other work.
        SetEvent(self.idle_);
        if (self.stopping_) return 0;
    }
}

}  // namespace quilvo
