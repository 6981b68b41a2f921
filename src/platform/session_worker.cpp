#include "platform/session_worker.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "core/window_jobs.h"
#include "platform/scoped_win.h"
#include "platform/win32_foreground.h"
#include "platform/win32_session_marks.h"

namespace quilvo {

// What the owner and the worker threads share. Each worker holds it too, so a worker still
// waiting on a hung window when the owner is gone touches nothing freed.
struct WorkerShared {
    // More than this many windows hung at once wait for one of them; one is rare enough.
    static constexpr int kMaxWorkers = 32;
    static constexpr SIZE_T kWorkerStack = 64 * 1024;
    static constexpr UINT kBusyProbeMs = 50;

    CRITICAL_SECTION lock;
    CONDITION_VARIABLE wake;
    ScopedKernelHandle allEnded{CreateEventA(nullptr, TRUE, FALSE, nullptr)};  // the last worker ended after Stop
    WindowJobs jobs;            // under lock
    int workers = 0;            // under lock
    int idle = 0;               // under lock
    int starting = 0;           // under lock: started, not yet in their loop (free for the next call)
    int watching = 0;           // under lock: looking whether a raised window is still on top (free soon)
    bool stopping = false;      // under lock
    DWORD idleEndMs = SessionWorker::kIdleEndMs;  // set before the first worker starts
    // Under lock: the windows' threads as read when their calls were asked (a window keeps its
    // thread; the list is begun anew when it grows long, as the windows of it may be gone).
    std::unordered_map<WindowHandle, std::uint32_t> threads;
    WindowHandle fenceWindow = kNoWindow;  // under lock: told when the jobs before the fence have landed
    UINT fenceMessage = 0;

    WorkerShared() {
        InitializeCriticalSection(&lock);
        InitializeConditionVariable(&wake);
    }
    ~WorkerShared() { DeleteCriticalSection(&lock); }

    // No worker is free for the next call, and the pool may grow by one. A thread started but
    // not yet in its loop counts as free (in a burst of calls the worker making them started
    // another for each call it took before the new one ran), and so does one looking whether
    // a raised window is still on top, which takes no time. Under the lock.
    bool NoWorkerFree() const { return idle + starting + watching == 0 && workers < kMaxWorkers; }
};

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

// Every hide made here marks the window until a show made here removes the mark, so that no
// road out of the program leaves it hidden (see win32_session_marks.h). A hide is noted just
// before its call, a show's mark goes only after its call: a program ended while a call is in
// hand leaves the window marked, and a job superseded before it was made marks nothing.
void NoteShowOrHide(HWND window, int showCode) {
    if (showCode == SW_HIDE) {
        NoteHideByUs(window);
    } else {
        NoteShowAsked(window);
    }
}

// Restored if iconic (SW_RESTORE keeps a maximised window maximised), shown if hidden: looked at
// only now, once the window's earlier calls (a hide) have landed. A show of ours either way.
void BringUpNow(HWND window) {
    NoteShowAsked(window);
    if (IsIconic(window)) {
        ShowWindow(window, SW_RESTORE);
    } else if (!IsWindowVisible(window)) {
        ShowWindow(window, SW_SHOW);
    }
    NoteShowMade(window);
}

// Makes the call; returns how an activation's try ended (done too when its window is gone).
// Every other call has landed when it returns.
ActivationTry Make(const WindowJob& job) {
    const HWND window = ToHwnd(job.window);
    if (!IsWindow(window)) return ActivationTry::kDone;
    Win32Foreground foreground;
    switch (job.kind) {
        case WindowJob::kShow:
            NoteShowOrHide(window, job.showCode);
            ShowWindow(window, job.showCode);
            if (job.showCode != SW_HIDE) NoteShowMade(window);
            break;
        case WindowJob::kOpenIcon:
            if (!IsIconic(window)) break;
            NoteShowAsked(window);
            ::OpenIcon(window);
            NoteShowMade(window);
            break;
        case WindowJob::kBringUp:
            BringUpNow(window);
            break;
        case WindowJob::kRaise:
            SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            break;
        case WindowJob::kActivate:
            return TryActivation(foreground, job.window);
        case WindowJob::kFlash:
            FlashIfNotInFront(foreground, job.window);
            break;
    }
    return ActivationTry::kDone;
}

DWORD WINAPI WorkerMain(LPVOID param);

// Whether the window's thread answers within kBusyProbeMs (a window that is gone counts as
// answering: its call is not made).
bool Answers(WindowHandle window) {
    if (SendMessageTimeoutA(ToHwnd(window), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, WorkerShared::kBusyProbeMs, nullptr) != 0)
        return true;
    return GetLastError() == ERROR_INVALID_WINDOW_HANDLE;
}

// Starts one more worker; under the lock.
void StartWorker(const std::shared_ptr<WorkerShared>& shared) {
    auto held = std::make_unique<std::shared_ptr<WorkerShared>>(shared);
    // The thread runs on without its handle: nothing waits for it by handle.
    const ScopedKernelHandle thread(CreateThread(nullptr, WorkerShared::kWorkerStack, &WorkerMain, held.get(),
                                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) return;
    held.release();  // the thread's now
    ++shared->workers;
    ++shared->starting;
}

// Whether `top` is above every window of `below` in the z-order (or gone).
bool StaysOnTop(WindowHandle top, const std::vector<WindowHandle>& below) {
    const HWND topWindow = ToHwnd(top);
    if (!IsWindow(topWindow) || !IsWindowVisible(topWindow)) return true;
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == topWindow) return true;
        for (WindowHandle b : below)
            if (ToHwnd(b) == w && IsWindowVisible(w)) return false;
    }
    return true;
}

// A window that came above the top one after the user's own click or Alt+Tab is the user's
// choice, not a late restore: the schedule is told when the last input came.
void TellUserInput(WindowJobs& jobs) {
    LASTINPUTINFO input = {};
    input.cbSize = sizeof input;
    if (GetLastInputInfo(&input)) jobs.UserInput(input.dwTime);
}

// How long an idle worker sleeps: until the schedule may give a job, and no longer than until
// its idle time is over (INFINITE when neither comes).
DWORD IdleWait(const WorkerShared& s, DWORD now, DWORD idleFor) {
    const std::uint32_t jobs = s.jobs.WaitMs(now);
    DWORD wait = jobs == WindowJobs::kNoWait ? INFINITE : jobs;
    if (idleFor < s.idleEndMs) wait = std::min(wait, s.idleEndMs - idleFor);
    return wait;
}

void WorkerLoop(const std::shared_ptr<WorkerShared>& shared) {
    WorkerShared& s = *shared;
    EnterCriticalSection(&s.lock);
    --s.starting;
    DWORD idleSince = GetTickCount();
    for (;;) {
        if (s.stopping) break;
        WindowJob job;
        DWORD now = GetTickCount();
        if (s.fenceWindow != kNoWindow && s.jobs.FenceReached(now)) {
            PostMessageA(ToHwnd(s.fenceWindow), s.fenceMessage, 0, 0);
            s.fenceWindow = kNoWindow;
        }
        TellUserInput(s.jobs);
        WindowHandle top = kNoWindow;
        std::vector<WindowHandle> below;
        if (s.jobs.WatchTop(now, &top, &below)) {
            ++s.watching;
            LeaveCriticalSection(&s.lock);
            const bool stays = StaysOnTop(top, below);
            EnterCriticalSection(&s.lock);
            --s.watching;
            if (!stays) s.jobs.TopCovered(GetTickCount());
            continue;
        }
        if (!s.jobs.Take(now, &job)) {
            const DWORD idleFor = now - idleSince;
            // Another worker is free for the next call: this one, idle for long, is given back.
            // The wake it may have been meant for goes on to the others.
            if (idleFor >= s.idleEndMs && s.idle > 0) {
                WakeConditionVariable(&s.wake);
                break;
            }
            const DWORD wait = IdleWait(s, now, idleFor);
            ++s.idle;
            SleepConditionVariableCS(&s.wake, &s.lock, wait);
            --s.idle;
            continue;
        }
        // This call may wait for a busy window, and the others' calls may be taken once it has
        // been in hand for WindowJobs::kStallMs: one worker is kept free for them. The only
        // call in hand always gets one (a session that answers may still sleep in its move);
        // a call beside others only when its window does not answer: under load a call on a
        // session that answers can outlast kStallMs, and a spare for each of those grew the
        // pool by one per box click in a busy spell (15 threads for 5 busy sessions).
        if (s.NoWorkerFree() && s.jobs.CallsInHand() <= 1) StartWorker(shared);
        const bool probe = s.NoWorkerFree();
        LeaveCriticalSection(&s.lock);
        if (probe && !Answers(job.window)) {
            EnterCriticalSection(&s.lock);
            if (s.NoWorkerFree()) StartWorker(shared);
            LeaveCriticalSection(&s.lock);
        }
        const ActivationTry tried = Make(job);
        EnterCriticalSection(&s.lock);
        now = GetTickCount();
        idleSince = now;
        if (job.kind == WindowJob::kActivate) {
            s.jobs.ActivationTried(tried, now);
        } else if (job.kind != WindowJob::kFlash) {
            s.jobs.Landed(job, now);
        }
        WakeAllConditionVariable(&s.wake);
    }
    if (--s.workers == 0) SetEvent(s.allEnded.get());
    LeaveCriticalSection(&s.lock);
}

DWORD WINAPI WorkerMain(LPVOID param) {
    std::unique_ptr<std::shared_ptr<WorkerShared>> held(static_cast<std::shared_ptr<WorkerShared>*>(param));
    WorkerLoop(*held);
    return 0;
}

}  // namespace

SessionWorker::SessionWorker(DWORD idleEndMs) : shared_(std::make_shared<WorkerShared>()) {
    Locked locked(shared_->lock);
    shared_->idleEndMs = idleEndMs;
    StartWorker(shared_);
}

SessionWorker::~SessionWorker() { Stop(); }

namespace {

template <typename Ask>
void Queue(WorkerShared& s, Ask ask) {
    Locked locked(s.lock);
    if (s.stopping) return;
    ask(s.jobs);
    WakeConditionVariable(&s.wake);
}

// The window's thread, looked up once per window: a box click asks three calls of each of
// its sessions, and each look is a request to the window system under Wine.
std::uint32_t ThreadOf(WorkerShared& s, WindowHandle window) {
    constexpr std::size_t kMostRemembered = 512;
    {
        Locked locked(s.lock);
        const auto known = s.threads.find(window);
        if (known != s.threads.end()) return known->second;
    }
    const std::uint32_t thread = GetWindowThreadProcessId(ToHwnd(window), nullptr);
    if (thread == 0) return 0;  // gone: its calls are not made
    Locked locked(s.lock);
    if (s.threads.size() >= kMostRemembered) s.threads.clear();
    s.threads[window] = thread;
    return thread;
}

}  // namespace

void SessionWorker::Show(WindowHandle window, int showCode) {
    const std::uint32_t thread = ThreadOf(*shared_, window);
    Queue(*shared_, [&](WindowJobs& jobs) { jobs.Show(window, showCode, thread); });
}

void SessionWorker::OpenIcon(WindowHandle window) {
    const std::uint32_t thread = ThreadOf(*shared_, window);
    Queue(*shared_, [&](WindowJobs& jobs) { jobs.OpenIcon(window, thread); });
}

void SessionWorker::BringUp(WindowHandle window) {
    const std::uint32_t thread = ThreadOf(*shared_, window);
    Queue(*shared_, [&](WindowJobs& jobs) { jobs.BringUp(window, thread); });
}

void SessionWorker::Raise(WindowHandle window) {
    const std::uint32_t thread = ThreadOf(*shared_, window);
    Queue(*shared_, [&](WindowJobs& jobs) { jobs.Raise(window, GetTickCount(), thread); });
}

void SessionWorker::Activate(WindowHandle window) {
    Queue(*shared_, [&](WindowJobs& jobs) { jobs.Activate(window, GetTickCount()); });
}

bool SessionWorker::NotifyWhenSettled(WindowHandle window, UINT message) {
    Locked locked(shared_->lock);
    if (shared_->stopping) return false;
    shared_->jobs.Fence(GetTickCount());
    if (shared_->jobs.FenceReached(GetTickCount())) {
        shared_->fenceWindow = kNoWindow;
        return false;
    }
    shared_->fenceWindow = window;
    shared_->fenceMessage = message;
    WakeAllConditionVariable(&shared_->wake);
    return true;
}

int SessionWorker::Workers() const {
    Locked locked(shared_->lock);
    return shared_->workers;
}

WorkerFacts SessionWorker::Facts() const {
    WorkerFacts facts;
    std::vector<WindowJobs::LaneState> lanes;
    {
        Locked locked(shared_->lock);
        facts.threads = shared_->workers;
        facts.idleThreads = shared_->idle;
        facts.activationWanted = shared_->jobs.ActivationWanted();
        lanes = shared_->jobs.LaneStates(GetTickCount());
    }
    for (const WindowJobs::LaneState& lane : lanes) facts.lanes.push_back(LaneFacts{lane.window, lane.pending, lane.inHand, lane.inHandMs});
    return facts;
}

void SessionWorker::Stop() {
    std::vector<WindowJob> shows;
    {
        Locked locked(shared_->lock);
        if (shared_->stopping) return;
        shared_->stopping = true;
        shows = shared_->jobs.DropPending();
        if (shared_->workers == 0) SetEvent(shared_->allEnded.get());
        WakeAllConditionVariable(&shared_->wake);
    }
    for (const WindowJob& job : shows) {
        const HWND window = ToHwnd(job.window);
        // Queued, not waited for: a mark stays until the sweep that follows at Exit.
        if (job.kind == WindowJob::kShow) {
            NoteShowOrHide(window, job.showCode);
            ShowWindowAsync(window, job.showCode);
        } else if (job.kind == WindowJob::kBringUp) {
            // A hide still in hand lands before it: shown whatever the window looks like now.
            NoteShowAsked(window);
            ShowWindowAsync(window, IsIconic(window) ? SW_RESTORE : SW_SHOWNA);
        } else if (IsIconic(window)) {
            NoteShowAsked(window);
            ShowWindowAsync(window, SW_RESTORE);
        }
    }
    WaitForSingleObject(shared_->allEnded.get(), kStopWaitMs);
}

}  // namespace quilvo
