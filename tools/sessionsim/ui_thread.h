// A thread of the session simulator that owns windows and runs their message loop.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace sessionsim {

constexpr UINT WM_SIM_RUN_TASKS = WM_APP + 1;  // a window's thread has queued tasks

// A thread with a message loop that owns windows. Other threads hand it work as tasks, queued
// here and announced by a posted message to its root window, so the work runs between the
// messages the thread handles, never inside a cross-thread SendMessage that could block.
class UiThread {
public:
    struct Task {
        std::function<void()> fn;
        HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        ~Task() { CloseHandle(done); }
    };

    ~UiThread() {
        if (handle) CloseHandle(handle);
        if (ready) CloseHandle(ready);
    }

    // Starts the thread, which runs create and then its message loop; false if the thread or
    // its root window could not be made (within 10 s).
    bool Start();
    // Queues fn; returns the task (null if the thread has ended).
    std::shared_ptr<Task> Post(std::function<void()> fn);
    // Runs the queued tasks; called on this thread.
    void Drain();
    // The loop is over: pending tasks will never run.
    void End();

    HANDLE handle = nullptr;
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND root = nullptr;
    std::function<HWND()> create;  // runs first on the new thread and makes the root window

private:
    static DWORD WINAPI ThreadMain(LPVOID param);

    std::mutex mu_;
    std::deque<std::shared_ptr<Task>> queue_;
    bool ended_ = false;
};

}  // namespace sessionsim
