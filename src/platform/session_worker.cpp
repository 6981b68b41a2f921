#include "platform/session_worker.h"

namespace quilvo {

SessionWorker::SessionWorker() {
    InitializeCriticalSection(&lock_);
    wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (wake_ != nullptr) thread_ = CreateThread(nullptr, 0, &SessionWorker::Run, this, 0, nullptr);
}

SessionWorker::~SessionWorker() {
    Stop();
    // A thread that did not end in time still uses the lock: it is left to the process's end.
    if (thread_ == nullptr) DeleteCriticalSection(&lock_);
    if (wake_ != nullptr && thread_ == nullptr) CloseHandle(wake_);
}

void SessionWorker::Push(Job job, HWND window) {
    EnterCriticalSection(&lock_);
    if (!stopping_ && count_ < kCapacity) queue_[(head_ + count_++) % kCapacity] = Item{job, window};
    LeaveCriticalSection(&lock_);
    if (wake_ != nullptr) SetEvent(wake_);
}

void SessionWorker::Stop() {
    EnterCriticalSection(&lock_);
    const bool first = !stopping_;
    stopping_ = true;
    count_ = 0;
    LeaveCriticalSection(&lock_);
    if (!first || thread_ == nullptr) return;
    SetEvent(wake_);
    if (WaitForSingleObject(thread_, kStopWaitMs) == WAIT_OBJECT_0) {
        CloseHandle(thread_);
        thread_ = nullptr;
    }
}

DWORD WINAPI SessionWorker::Run(LPVOID self) {
    static_cast<SessionWorker*>(self)->Loop();
    return 0;
}

void SessionWorker::Loop() {
    for (;;) {
        WaitForSingleObject(wake_, activating_ != nullptr ? kActivateRetryMs : INFINITE);
        Item item = {};
        while (Pop(&item)) Do(item);
        RetryActivation();
        EnterCriticalSection(&lock_);
        const bool stop = stopping_;
        LeaveCriticalSection(&lock_);
        if (stop) return;
    }
}

bool SessionWorker::Pop(Item* item) {
    EnterCriticalSection(&lock_);
    const bool any = count_ > 0;
    if (any) {
        *item = queue_[head_];
        head_ = (head_ + 1) % kCapacity;
        --count_;
    }
    LeaveCriticalSection(&lock_);
    return any;
}

void SessionWorker::Do(const Item& item) {
    // An activation does not wait for the window's thread: it is tried until it lands.
    if (item.job != kActivate && !Answers(item.window)) {
        // A thread that is busy (or was busy a moment ago) still gets its raise, queued behind
        // whatever it was asked before instead of thrown away; its restore is the show command
        // already queued to it, and it takes that when it is free.
        if (item.job == kRaise && IsWindow(item.window)) {
            SetWindowPos(item.window, HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
        }
        return;
    }
    if (item.job == kRestore) {
        ::OpenIcon(item.window);
    } else if (item.job == kRaise) {
        SetWindowPos(item.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    } else if (item.job == kActivate) {
        // Any thread of the foreground process may hand the foreground on. A newer activation
        // replaces an older one still being tried.
        activating_ = item.window;
        activateUntil_ = GetTickCount() + kActivateForMs;
        RetryActivation();
    }
}

bool SessionWorker::RetryActivation() {
    if (activating_ == nullptr) return false;
    // The window may not take the foreground at once (its show still on its way, another
    // program's window activating meanwhile): tried again until it has it, or given up on.
    if (GetForegroundWindow() == activating_ || !IsWindow(activating_) ||
        static_cast<LONG>(GetTickCount() - activateUntil_) >= 0) {
        activating_ = nullptr;
        return false;
    }
    SetForegroundWindow(activating_);
    return true;
}

bool SessionWorker::Answers(HWND window) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread == 0) return false;  // the window is gone
    const DWORD now = GetTickCount();
    for (const ThreadNote& n : silent_)
        if (n.thread == thread && now - n.when < kSilentMs) return false;
    DWORD_PTR ignored = 0;
    if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kProbeMs, &ignored)) return true;
    silent_[nextSilent_] = ThreadNote{thread, GetTickCount()};
    nextSilent_ = (nextSilent_ + 1) % kRemembered;
    return false;
}

}  // namespace quilvo
