// The session worker: restores iconic session windows, brings session windows to the top of
// the z-order and hands them the foreground, one after the other, on a thread of its own that
// the program starts with it and stops at Exit.
#pragma once

#include <windows.h>

namespace quilvo {

// Restores iconic session windows and brings session windows to the top of the z-order, one
// after the other, in the order asked, on a thread of its own. Both can be made only by calls
// that wait for the window's thread (OpenIcon, SetWindowPos without SWP_ASYNCWINDOWPOS); from
// the program's one user-interface thread that wait froze the program while a session was
// busy, and a message sent to the program meanwhile could run a rebuild under the command
// still on the stack. Queued to the sessions' own threads instead, the restores and raises of
// a box's sessions (each on its own front-end thread) would land in whatever order those
// threads get to them, and the chosen or first session would not reliably end on top. This
// thread makes them one after the other, and only this thread waits.
//
// A window whose thread does not answer a bare message within kProbeMs is skipped (the show
// command queued to it still lands when it is free), and that thread is not asked again for
// kSilentMs, so fifty sessions behind one busy thread cost this thread one probe, not fifty.
class SessionWorker {
public:
    // kSettle only waits until the window's thread has taken what was queued to it before (a
    // show command), so that a later raise of another window lands after it. kActivate makes
    // the window the foreground window once its thread has taken its show: made before, the
    // activation of a window still hidden could be lost, and the show's own come second.
    enum Job : unsigned char { kSettle, kRestore, kRaise, kActivate };

    // Starts the thread.
    SessionWorker();
    // Stops the thread (Stop).
    ~SessionWorker();
    SessionWorker(const SessionWorker&) = delete;
    SessionWorker& operator=(const SessionWorker&) = delete;

    // Never waits: the job is done on the worker thread. After Stop it is dropped.
    void Push(Job job, HWND window);
    // Jobs still queued are dropped; the job in hand is waited for up to kStopWaitMs (a hung
    // session may hold it longer; the thread then ends with the process). Exit calls this.
    void Stop();

private:
    static constexpr int kCapacity = 256;
    static constexpr DWORD kProbeMs = 250;
    static constexpr DWORD kSilentMs = 2000;
    static constexpr int kRemembered = 16;
    static constexpr DWORD kStopWaitMs = 1000;
    // An activation is tried again until the window has the foreground, for at most this long.
    static constexpr DWORD kActivateForMs = 3000;
    static constexpr DWORD kActivateRetryMs = 100;
    struct Item {
        Job job;
        HWND window;
    };
    struct ThreadNote {
        DWORD thread;
        DWORD when;
    };

    static DWORD WINAPI Run(LPVOID self);
    void Loop();
    bool Pop(Item* item);
    void Do(const Item& item);
    bool Answers(HWND window);
    // Tries the pending activation once more; true while it is still pending.
    bool RetryActivation();

    CRITICAL_SECTION lock_;
    HANDLE wake_ = nullptr;
    HANDLE thread_ = nullptr;
    bool stopping_ = false;  // under lock_
    Item queue_[kCapacity] = {};
    int head_ = 0;
    int count_ = 0;
    ThreadNote silent_[kRemembered] = {};  // worker thread only
    int nextSilent_ = 0;
    HWND activating_ = nullptr;  // worker thread only: the newest activation not yet seen landed
    DWORD activateUntil_ = 0;
};


}  // namespace quilvo
