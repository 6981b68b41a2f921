// The order in which the program's show, raise and activation calls reach the session windows.
//
// Each of these calls returns only when the window's own thread has done it, and a session's
// thread may be busy for seconds (a long report) or hung. The calls are therefore made by
// worker threads, and this schedule decides which call may be made next:
//  - every window has a lane of its own; its calls are made one after the other, in the order
//    asked, so a busy window delays only its own;
//  - a call waits for every older call to other windows, so that a command's restores land
//    before its raise, and the raise before the activation; but an older call that has been in
//    hand for kStallMs (its window busy), or follows one that had, holds no one;
//  - a call that lands late (after a newer raise of another window) may have covered that
//    window: the newest raise is then made again, and a pending activation tried again;
//  - a job not yet in hand is superseded by a later one for the same window: a hide or an
//    iconize replaces the window's restores and its raise, a show (a bring-up too) replaces
//    its hides, a newer raise the older one; so a lane holds a handful of jobs, and nothing
//    stale is made after a busy spell;
//  - a window's thread may finish a restore after the call has returned (its activation, and
//    the stacking that comes with it, is completed from its own queue): for kWatchMs after the
//    newest raise has landed, the windows restored or raised before it are checked every
//    kWatchEveryMs, and the raise is made again if one of them has come above it; so are the
//    windows whose older call is still in hand (a busy window's restore may show it before the
//    call returns), for as long as it is, up to kWatchHeldMs; the user's own input after the
//    raise landed ends both watches (a window the user brought up stays);
//  - one activation at a time: a newer one replaces the older; it is tried every
//    kActivateRetryMs until the window has the foreground, for at most kActivateForMs from
//    when it was asked (tried or not), and then its window's taskbar button is flashed (a
//    kFlash job); a raise or show of another window asked after it gives it up without a
//    flash, as the user has moved on by the program's own hand; a try the system refused
//    (another program in front, see core/foreground.h) ends it at once, flashed by the try.
// Pure logic: the caller supplies the time (milliseconds of a wrapping tick counter).
#pragma once

#include <cstdint>
#include <vector>

#include "base/handle.h"
#include "core/foreground.h"

namespace quilvo {

struct WindowJob {
    // kBringUp: restored if iconic, shown if hidden, decided when it is made, once the window's
    // earlier calls have landed (a hide still queued would otherwise land after the look).
    // kFlash: the activation's time ran out; its window's taskbar button is flashed unless it is
    // in front. Made at once: it waits for no window's thread.
    enum Kind : unsigned char { kShow, kOpenIcon, kRaise, kActivate, kBringUp, kFlash };
    Kind kind = kShow;
    WindowHandle window = kNoWindow;
    int showCode = 0;  // kShow only: the platform's show command
    std::uint64_t order = 0;
    std::uint32_t thread = 0;  // the window's thread, 0 when not known
    bool again = false;  // kRaise only: the schedule's own raise of the top window, made again
    std::uint32_t askedAt = 0;  // kRaise only: when the user asked for it
};

class WindowJobs {
public:
    static constexpr std::uint32_t kStallMs = 50;
    static constexpr std::uint32_t kActivateForMs = 3000;
    static constexpr std::uint32_t kActivateRetryMs = 100;
    static constexpr std::uint32_t kWatchMs = 1000;
    static constexpr std::uint32_t kWatchEveryMs = 25;
    static constexpr std::uint32_t kWatchHeldMs = 10000;
    // The button-up (or second click) of the very click that asked for a raise comes within the
    // system's double-click time of its press, 500 ms by default: input later than that is a new
    // act of the user's.
    static constexpr std::uint32_t kInputGraceMs = 500;
    static constexpr std::uint32_t kFenceAwaitsActivationMs = 1000;
    static constexpr std::uint32_t kNoWait = 0xFFFFFFFFu;

    // `thread`: the window's thread where known. A thread takes the calls to its windows one
    // after the other, so a call to a window whose thread holds another window's call waits
    // for it in the schedule rather than in a worker: fifty sessions behind one busy thread
    // hold one worker, not fifty.
    void Show(WindowHandle window, int showCode, std::uint32_t thread = 0);
    void OpenIcon(WindowHandle window, std::uint32_t thread = 0);
    void BringUp(WindowHandle window, std::uint32_t thread = 0);
    void Raise(WindowHandle window, std::uint32_t now, std::uint32_t thread = 0);
    void Activate(WindowHandle window, std::uint32_t now);

    // The next job that may be made now; it is in hand until Landed (or ActivationTried).
    bool Take(std::uint32_t now, WindowJob* job);
    // The call of a job taken has returned.
    void Landed(const WindowJob& job, std::uint32_t now);
    // The activation taken was tried. Refused, it is not tried again, not even after a late
    // landing covered its window; not yet done when its time is up, a kFlash job follows.
    void ActivationTried(ActivationTry result, std::uint32_t now);
    // Whether the newest raise is to be checked now: `top` must be above every window of
    // `below` (windows the program restored or raised before it); TopCovered when it is not.
    bool WatchTop(std::uint32_t now, WindowHandle* top, std::vector<WindowHandle>* below);
    void TopCovered(std::uint32_t now);
    // The tick of the user's last keyboard or mouse input, told before each watch. Input after
    // the newest raise the user asked for has landed (and more than kInputGraceMs after it was
    // asked) may have brought up another window by the user's own hand (a click, Alt+Tab): it
    // ends the watch, and the watch of the calls in hand, so nothing is raised over that choice.
    void UserInput(std::uint32_t at);
    // The program's own window is about to take the foreground (the user opened it): every
    // job asked so far is to land first, and the activation of a session still being tried is
    // given up (the user has moved on). FenceReached tells when they have landed, or stalled.
    // A busy window's call that would activate it when it lands (a restore) holds the fence
    // too, for at most kFenceAwaitsActivationMs: landing later, it would take the foreground
    // from the program's window, which then closes.
    void Fence(std::uint32_t now);
    bool FenceReached(std::uint32_t now);
    // How long until Take may give a job it cannot give now (a call in hand stalls, a retry
    // is due); kNoWait when only a Landed or a new job can change that.
    std::uint32_t WaitMs(std::uint32_t now) const;
    // Drops every job not in hand; returns the show jobs among them, oldest first, for the
    // caller to hand to the windows without waiting.
    std::vector<WindowJob> DropPending();

    std::size_t Pending() const;  // jobs not in hand, the activation included
    std::size_t Lanes() const { return lanes_.size(); }
    std::size_t CallsInHand() const;  // the lanes' calls being made now
    // Each lane as it stands, for the diagnostics file.
    struct LaneState {
        WindowHandle window;
        int pending;
        bool inHand;
        std::uint32_t inHandMs;
    };
    std::vector<LaneState> LaneStates(std::uint32_t now) const;
    bool ActivationWanted() const { return activation_.wanted; }

private:
    struct Lane {
        WindowHandle window = kNoWindow;
        std::vector<WindowJob> pending;  // oldest first
        bool inHand = false;
        WindowJob held;
        std::uint32_t since = 0;
        bool slow = false;  // its last call stalled: the next one holds no one from the start
        std::uint32_t thread = 0;  // the window's thread, 0 when not known
    };
    struct Activation {
        bool wanted = false;  // pending or in hand
        bool inHand = false;
        std::uint64_t inHandOrder = 0;
        WindowJob job;
        std::uint32_t until = 0;
        std::uint32_t notBefore = 0;
    };

    Lane& LaneOf(WindowHandle window);
    Lane* FindLane(WindowHandle window);
    const Lane* FindLane(WindowHandle window) const;
    void Add(WindowJob job);
    bool Stalled(const Lane& lane, std::uint32_t now) const;
    // The lane of another window whose call in hand holds this lane's thread; none when the
    // thread is not known or free.
    const Lane* ThreadHolder(const Lane& lane) const;
    // Whether a call older than `order` to a window other than `window` still holds it.
    bool HeldBack(WindowHandle window, std::uint64_t order, std::uint32_t now) const;
    const Lane* OldestStartable() const;
    bool ActivationStartable(std::uint32_t now) const;
    void NoteLanding(const WindowJob& landed, std::uint32_t now);
    void GiveUpActivation();
    void ActivationOutOfTime();  // given up, with a flash of its window
    void RaiseTopAgain(std::uint32_t now);
    // Whether a raise of another window, newer than the top one, is pending or in hand: the
    // user has moved on, and the top one is not to be raised over it.
    bool NewerRaiseAsked() const;
    void DropEmptyLanes();

    std::vector<Lane> lanes_;
    Activation activation_;
    std::uint64_t nextOrder_ = 1;
    std::uint64_t fence_ = 0;  // jobs older than this are to land before FenceReached
    std::uint32_t fenceAt_ = 0;
    // The newest raise that has landed: a call older than it that lands later may cover it.
    WindowHandle top_ = kNoWindow;
    std::uint64_t topOrder_ = 0;
    // Windows whose restore or raise landed lately, with its order: while the watch of the
    // newest raise lasts, those older than it must stay below it.
    struct Landing {
        WindowHandle window;
        std::uint64_t order;
        std::uint32_t at;
    };
    std::vector<Landing> landings_;  // one per window
    std::uint32_t watchUntil_ = 0;
    std::uint32_t watchHeldUntil_ = 0;  // the watch of the calls still in hand ends then
    // The newest raise the user asked for that became the top: when asked, when it landed.
    std::uint32_t userRaiseAskedAt_ = 0;
    std::uint32_t userRaiseLandedAt_ = 0;
    std::uint32_t nextWatch_ = 0;
    bool watching_ = false;
    // The newest activation asked, kept after it landed, to be tried again within its time.
    WindowHandle lastActivated_ = kNoWindow;
    std::uint32_t lastActivateUntil_ = 0;
    WindowHandle flashOwed_ = kNoWindow;  // the window of an activation out of time, to flash
};

}  // namespace quilvo
