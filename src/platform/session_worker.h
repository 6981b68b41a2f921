// The session worker: makes the program's shows, restores, raises and activations of session
// windows on worker threads of its own, in the order the schedule in core/window_jobs.h gives.
#pragma once

#include <windows.h>

#include <memory>

#include "base/handle.h"
#include "core/diagnostics.h"

namespace quilvo {

struct WorkerShared;  // what the owner and the worker threads share (session_worker.cpp)

// ShowWindow, OpenIcon and SetWindowPos on another program's window return only once that
// window's thread has done them, and a session's thread may be busy for seconds or hung. Made
// from the program's one user-interface thread, such a call froze the program; queued to the
// sessions' threads (ShowWindowAsync), the calls of a box's sessions landed in whatever order
// those threads got to them, and nothing told when a queued call had landed. Here each call is
// made by a worker thread and returns when it has landed, so the schedule knows the order in
// which they land, and a call that has to wait for a busy window holds only that worker (one
// more is started, so that there is always one free for the other windows; once the busy
// spell is over, those started for it end again, down to one).
class SessionWorker {
public:
    // A worker beyond the one kept free ends once it has had nothing to do for this long: the
    // threads started while sessions were busy are given back after the busy spell.
    static constexpr DWORD kIdleEndMs = 10000;

    // Starts the first worker thread. Tests shorten `idleEndMs`.
    explicit SessionWorker(DWORD idleEndMs = kIdleEndMs);
    // Stops the workers (Stop).
    ~SessionWorker();
    SessionWorker(const SessionWorker&) = delete;
    SessionWorker& operator=(const SessionWorker&) = delete;

    // None of these waits. After Stop they are ignored.
    void Show(WindowHandle window, int showCode);
    void OpenIcon(WindowHandle window);  // restores the window if it is iconic when the call is made
    // Restores the window if it is iconic, shows it if it is hidden, when the call is made:
    // after its earlier calls have landed.
    void BringUp(WindowHandle window);
    void Raise(WindowHandle window);  // to the top of the z-order, without activation
    // Hands the window the foreground once its own shows and raise have landed; tried again
    // until it has it, for at most 3 s, then its taskbar button flashes; flashed at once when
    // the system refuses it (another program is in front: core/foreground.h).
    void Activate(WindowHandle window);

    // The program's own window is about to take the foreground: posts `message` to `window`
    // once every call asked before has landed (or stalled on a busy window), so that none of
    // them takes the foreground from it, and gives up an activation still being tried. False
    // when that is so already: no message comes.
    bool NotifyWhenSettled(WindowHandle window, UINT message);

    // Jobs not yet made are dropped, except the shows, which are queued to their windows
    // without waiting (so that no window the program meant to show stays hidden); the calls in
    // hand are waited for up to kStopWaitMs (a hung session may hold one longer: that worker
    // then ends with the process). Exit calls this.
    void Stop();

    int Workers() const;  // the worker threads running now
    // The threads and lanes as they stand, for the diagnostics file.
    WorkerFacts Facts() const;

private:
    static constexpr DWORD kStopWaitMs = 1000;
    std::shared_ptr<WorkerShared> shared_;
};

}  // namespace quilvo
