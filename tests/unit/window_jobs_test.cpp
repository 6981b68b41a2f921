// The schedule of show, raise and activation calls, run against a fake desk whose windows take
// a call only when their own thread is free: a call lands late, after whatever other windows
// did meanwhile, as a call queued to a busy session's thread does on Windows.
#include <gtest/gtest.h>

#include "record_checks.h"
#include "recording_ops.h"

#include <algorithm>
#include <map>
#include <vector>

#include "base/text.h"
#include "commands/session_commands.h"
#include "core/boxes.h"
#include "core/window_jobs.h"

namespace quilvo {
namespace {

struct FakeWindow {
    bool visible = true;
    bool iconic = false;
    std::uint32_t busyUntil = 0;    // its thread takes no call before this
    std::uint32_t sleepOnMove = 0;  // every call that moves it keeps its thread this long
    std::uint32_t refusesFocusUntil = 0;
    std::uint32_t stacksItselfAfter = 0;  // a restore's stacking, finished by the window's thread later
    std::vector<std::uint32_t> stacksItselfAt;
    bool upMidCall = false;  // a restore of a window that sleeps shows it half way through the call
    std::vector<std::uint32_t> upAt;
    std::vector<std::uint32_t> landed;
    std::vector<WindowJob::Kind> calls;
    std::uint32_t thread = 0;  // shared with the other windows of the same number; 0: its own
};

// Windows 1..n, stacked 1 on top; any number of worker threads.
class FakeDesk {
public:
    explicit FakeDesk(int windows) {
        for (WindowHandle w = 1; w <= static_cast<WindowHandle>(windows); ++w) {
            win[w];
            z.push_back(w);
        }
    }
    // Runs the clock to `until`, one millisecond at a time.
    void RunTo(std::uint32_t until) {
        for (; now < until; ++now) {
            for (auto call = inFlight.begin(); call != inFlight.end();) {
                if (call->landsAt != now) {
                    ++call;
                    continue;
                }
                Land(call->job);
                call = inFlight.erase(call);
            }
            for (auto& [w, fake] : win) {
                const bool up = std::find(fake.upAt.begin(), fake.upAt.end(), now) != fake.upAt.end();
                if (!up && std::find(fake.stacksItselfAt.begin(), fake.stacksItselfAt.end(), now) == fake.stacksItselfAt.end())
                    continue;
                const WindowHandle topBefore = Top();
                if (up) fake.visible = true;
                ToTop(w);
                NoteTop(topBefore);
            }
            jobs.UserInput(lastInput);
            WindowHandle top = kNoWindow;
            std::vector<WindowHandle> below;
            if (jobs.WatchTop(now, &top, &below) && !Above(top, below)) jobs.TopCovered(now);
            WindowJob job;
            while (jobs.Take(now, &job)) Start(job);
        }
    }
    // The user's own input now: a key, a click that changes nothing of the desk (its button-up),
    // or, with a window, a click on it (or Alt+Tab to it) that brings it up.
    void UserInput(WindowHandle broughtUp = kNoWindow) {
        lastInput = now;
        if (broughtUp == kNoWindow) return;
        const WindowHandle topBefore = Top();
        ToTop(broughtUp);
        NoteTop(topBefore);
    }
    bool Above(WindowHandle top, const std::vector<WindowHandle>& below) const {
        for (WindowHandle w : z) {
            if (w == top) return true;
            if (std::find(below.begin(), below.end(), w) != below.end() && win.at(w).visible) return false;
        }
        return true;
    }
    WindowHandle Top() const {
        for (WindowHandle w : z)
            if (win.at(w).visible) return w;
        return kNoWindow;
    }
    // When `w` last became the top window.
    std::uint32_t TopSince(WindowHandle w) const { return topSince.count(w) ? topSince.at(w) : 0; }
    std::vector<std::uint32_t> TopTimes(WindowHandle w) const {
        std::vector<std::uint32_t> times;
        for (const auto& c : topChanges)
            if (c.second == w) times.push_back(c.first);
        return times;
    }
    // Whether `w` became the top window within `ms` after `when`.
    bool OnTopWithin(WindowHandle w, std::uint32_t when, std::uint32_t ms) const {
        return std::any_of(topChanges.begin(), topChanges.end(),
                           [&](const auto& c) { return c.second == w && c.first >= when && c.first <= when + ms; });
    }

    std::map<WindowHandle, FakeWindow> win;
    std::vector<WindowHandle> z;  // top first
    WindowHandle foreground = kNoWindow;
    int activationTries = 0;
    std::vector<WindowHandle> flashes;  // activations given up when their time ran out
    std::uint32_t now = 0;
    std::uint32_t lastInput = 0;  // the tick of the user's last input
    WindowJobs jobs;
    ::test::RecordingOps ops{jobs, now};
    std::map<std::uint32_t, std::uint32_t> threadBusyUntil;  // of the threads windows share
    std::size_t mostInFlight = 0;  // calls being made at once: the workers they hold

private:
    struct Call {
        WindowJob job;
        std::uint32_t landsAt;
    };
    static bool Moves(const WindowJob& job) {
        return job.kind == WindowJob::kRaise || job.kind == WindowJob::kOpenIcon || job.kind == WindowJob::kBringUp ||
               (job.kind == WindowJob::kShow && job.showCode != kShowHide);
    }
    void Start(WindowJob job) {
        FakeWindow& w = win[job.window];
        // The worker looks at the window when it makes the call: a restore, a show or nothing.
        if (job.kind == WindowJob::kBringUp) job.showCode = w.iconic ? kShowRestore : w.visible ? -1 : kShowAsIs;
        if (job.kind == WindowJob::kActivate) {  // does not wait for the window's thread
            ++activationTries;
            inFlight.push_back(Call{job, now + 1});
            return;
        }
        if (job.kind == WindowJob::kFlash) {  // nor does a flash
            flashes.push_back(job.window);
            return;
        }
        std::uint32_t& busyUntil = w.thread != 0 ? threadBusyUntil[w.thread] : w.busyUntil;
        std::uint32_t at = std::max(now, busyUntil) + 1;
        if (Moves(job)) at += w.sleepOnMove;
        if (Moves(job) && job.kind != WindowJob::kRaise && w.upMidCall) w.upAt.push_back(at - w.sleepOnMove / 2);
        busyUntil = at;
        inFlight.push_back(Call{job, at});
        mostInFlight = std::max(mostInFlight, inFlight.size());
    }
    void ToTop(WindowHandle w) {
        z.erase(std::find(z.begin(), z.end(), w));
        z.insert(z.begin(), w);
    }
    void NoteTop(WindowHandle topBefore) {
        if (Top() == topBefore) return;
        topSince[Top()] = now;
        topChanges.emplace_back(now, Top());
    }
    void Land(const WindowJob& job) {
        FakeWindow& w = win[job.window];
        const WindowHandle topBefore = Top();
        if (job.kind == WindowJob::kActivate) {
            if (now >= w.refusesFocusUntil) foreground = job.window;
            jobs.ActivationTried(foreground == job.window ? ActivationTry::kDone : ActivationTry::kAgain, now);
            return;
        }
        w.calls.push_back(job.kind);
        w.landed.push_back(now);
        if (job.kind == WindowJob::kShow && job.showCode == kShowHide) {
            w.visible = false;
        } else if (job.kind == WindowJob::kShow && job.showCode == kShowMinimize) {
            w.iconic = true;
        } else if (job.showCode >= 0) {
            // A restore shows, activates and raises; a raise only raises.
            if (job.kind != WindowJob::kRaise) {
                w.visible = true;
                w.iconic = false;
                if (now >= w.refusesFocusUntil) foreground = job.window;
                if (w.stacksItselfAfter > 0) w.stacksItselfAt.push_back(now + w.stacksItselfAfter);
            }
            ToTop(job.window);
        }
        NoteTop(topBefore);
        jobs.Landed(job, now);
    }
    std::vector<Call> inFlight;
    std::map<WindowHandle, std::uint32_t> topSince;
    std::vector<std::pair<std::uint32_t, WindowHandle>> topChanges;
};

// The box of windows 1..n in that order, the first to end on top, after a hide of them all;
// with the focus (a box hotkey), the first is activated after.
void ClickBox(FakeDesk& desk, int n, bool withFocus = false) {
    std::vector<SessionRecord> sessions;
    for (int i = 0; i < n; ++i) sessions.push_back(::test::Record(static_cast<WindowHandle>(i + 1)));
    const SessionSnapshot box = ::test::SnapshotOf(sessions);
    if (withFocus) {
        SwitchToBoxWithFocus(box, kAllSessions, desk.ops);
    } else {
        SwitchToBox(box, kAllSessions, desk.ops);
    }
}

TEST(WindowJobs, ABoxClickEndsWithItsFirstSessionOnTopWhicheverSessionSleepsInEveryMove) {
    constexpr std::uint32_t kSleep = 3000;
    for (int sleeper = 1; sleeper <= 8; ++sleeper) {
        SCOPED_TRACE(sleeper);
        FakeDesk desk(4);
        const WindowHandle sleeperWindow = static_cast<WindowHandle>((sleeper - 1) % 4 + 1);
        FakeWindow& sleeping = desk.win[sleeperWindow];
        sleeping.sleepOnMove = kSleep;
        sleeping.upMidCall = sleeper > 4;  // it comes up while its call is still in hand
        ClickBox(desk, 4);
        desk.RunTo(4 * kSleep);

        EXPECT_EQ(desk.Top(), 1u);
        for (auto& [w, fake] : desk.win) {
            EXPECT_TRUE(fake.visible) << w;
            if (w == sleeperWindow) continue;
            // No other session waited for the sleeper: its restore and raise landed at once
            // (the first session is raised again later, over the sleeper).
            const auto raise = std::find(fake.calls.begin(), fake.calls.end(), WindowJob::kRaise);
            ASSERT_NE(raise, fake.calls.end()) << w;
            EXPECT_LT(fake.landed[raise - fake.calls.begin()], 2 * WindowJobs::kStallMs) << w;
        }
        // Each time the sleeper has done a move or come up, the first session is back on top
        // at once.
        if (sleeperWindow != 1) {
            for (std::uint32_t woke : sleeping.landed) EXPECT_TRUE(desk.OnTopWithin(1, woke, 3)) << "woke at " << woke;
            for (std::uint32_t up : desk.TopTimes(sleeperWindow))
                EXPECT_TRUE(desk.OnTopWithin(1, up, WindowJobs::kWatchEveryMs + 3)) << "came up at " << up;
        }
        EXPECT_EQ(desk.jobs.Pending(), 0u);
        EXPECT_EQ(desk.jobs.Lanes(), 0u);
    }
}

TEST(WindowJobs, WithoutABusySessionTheBoxStacksInListOrder) {
    FakeDesk desk(5);
    for (auto& [w, fake] : desk.win) fake.iconic = w % 2 == 0;
    std::reverse(desk.z.begin(), desk.z.end());
    ClickBox(desk, 5);
    desk.RunTo(200);
    EXPECT_EQ(desk.z, (std::vector<WindowHandle>{1, 2, 3, 4, 5}));
    for (auto& [w, fake] : desk.win) EXPECT_FALSE(fake.iconic) << w;
}

TEST(WindowJobs, ALaterCommandSupersedesWhatABusyWindowHasNotTakenYet) {
    struct Case {
        const char* name;
        std::vector<int> codes;  // show codes asked at 0 ms, 1 ms, ...; -1 is a raise
        bool visibleAtEnd;
        std::vector<WindowJob::Kind> callsMade;
    };
    const auto S = WindowJob::kShow;
    const auto R = WindowJob::kRaise;
    const std::vector<Case> cases = {
        {"a hide after a restore and a raise", {kShowMinimize, kShowRestore, -1, kShowHide}, false, {S, S}},
        {"a restore after a hide", {kShowMinimize, kShowHide, kShowRestore, -1}, true, {S, S, R}},
        {"repeated raises", {kShowMinimize, -1, -1, -1, -1}, false, {S, R}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDesk desk(2);
        desk.win[1].visible = false;
        desk.win[1].busyUntil = 1000;
        for (std::uint32_t i = 0; i < c.codes.size(); ++i) {
            desk.RunTo(i);
            if (c.codes[i] < 0) {
                desk.ops.BringToTop(1);
            } else {
                desk.ops.ShowAsync(1, c.codes[i]);
            }
            EXPECT_LE(desk.jobs.Pending(), 2u) << "a busy window's lane stays short";
        }
        desk.RunTo(1200);
        EXPECT_EQ(desk.win[1].visible, c.visibleAtEnd);
        EXPECT_EQ(desk.win[1].calls, c.callsMade);
    }
}

TEST(WindowJobs, ARaiseOfABusyWindowLandingLateDoesNotStayAboveANewerRaise) {
    FakeDesk desk(3);
    desk.win[2].busyUntil = 1000;
    desk.ops.BringToTop(2);
    desk.RunTo(5);
    desk.ops.BringToTop(3);
    desk.RunTo(2000);
    EXPECT_EQ(desk.Top(), 3u);
    EXPECT_LT(desk.win[3].landed.front(), 5 + 2 * WindowJobs::kStallMs) << "the newer raise did not wait";
    EXPECT_GE(desk.TopSince(3), 1000u) << "raised again after the late one";
}

// The user raises another window while an older restore is still held up: the window that
// was on top is not raised over the newer choice, before or after the late call lands.
TEST(WindowJobs, ANewerRaiseOfAnotherWindowEndsTheRaisesOfTheOldTop) {
    FakeDesk desk(2);
    for (auto& [w, fake] : desk.win) fake.iconic = true;
    desk.win[2].busyUntil = 3000;
    desk.ops.OpenIcon(2);
    desk.ops.OpenIcon(1);
    desk.ops.BringToTop(1);
    desk.RunTo(200);
    desk.ops.BringToTop(2);
    desk.ops.Activate(2);
    desk.RunTo(8000);
    EXPECT_EQ(desk.Top(), 2u);
    EXPECT_EQ(desk.foreground, 2u);
}

// A window whose restore stays in hand for a minute and that keeps putting itself on top is
// answered while the watch of the held call lasts, then left alone until its call lands.
TEST(WindowJobs, TheWatchOfACallHeldInHandEndsAfterItsTime) {
    FakeDesk desk(2);
    desk.win[2].sleepOnMove = 60000;
    for (std::uint32_t t = 1000; t < 59000; t += 500) desk.win[2].stacksItselfAt.push_back(t);
    const SessionSnapshot table = ::test::SnapshotOf({::test::Record(1, "", "", "", "", "Same"), ::test::Record(2, "", "", "", "", "Same")});
    GroupCommand(table, 1, kGroupRestore, kGroupByTitle, desk.ops);
    desk.RunTo(65000);
    const std::vector<std::uint32_t> raised = desk.TopTimes(1);
    const auto within = [&](std::uint32_t from, std::uint32_t to) {
        return std::count_if(raised.begin(), raised.end(), [&](std::uint32_t t) { return t >= from && t < to; });
    };
    EXPECT_GE(within(1000, WindowJobs::kWatchHeldMs), 10) << "answered while the watch lasts";
    EXPECT_EQ(within(WindowJobs::kWatchHeldMs + 100, 60000), 0) << "then left alone";
    EXPECT_EQ(desk.Top(), 1u) << "raised again once the call landed";
}

// Restoring every session with a title and raising the chosen one, while the other finishes
// its restore's stacking from its own queue some time after the call returned.
TEST(WindowJobs, TheChosenSessionStaysOnTopOfWhatTheOthersFinishLater) {
    for (std::uint32_t later : {5u, 300u, 900u}) {
        SCOPED_TRACE(later);
        FakeDesk desk(3);
        desk.win[2].stacksItselfAfter = later;
        const SessionSnapshot table =
            ::test::SnapshotOf({::test::Record(1, "", "", "", "", "Same"), ::test::Record(2, "", "", "", "", "Same"), ::test::Record(3)});
        GroupCommand(table, 1, kGroupRestore, kGroupByTitle, desk.ops);
        desk.RunTo(2000);
        EXPECT_EQ(desk.Top(), 1u);
        EXPECT_FALSE(desk.OnTopWithin(2, later + 50, 2000)) << "raised again at once";
    }
}

// The user's own input while the program watches the raise it made: the button-up of the very
// click that asked for it changes nothing (a window of the box that stacks itself late is
// answered), but a click on another session of the box a while later is the user's choice,
// which stays on top.
TEST(WindowJobs, TheWatchAfterARaiseLeavesTheWindowTheUserBroughtUpOnTop) {
    FakeDesk desk(2);
    desk.win[2].stacksItselfAfter = 300;
    ClickBox(desk, 2);
    desk.RunTo(100);
    desk.UserInput();
    desk.RunTo(400);
    EXPECT_EQ(desk.Top(), 1u) << "the late stacking answered";
    desk.RunTo(WindowJobs::kInputGraceMs + 100);
    desk.UserInput(2);
    desk.RunTo(3000);
    EXPECT_EQ(desk.Top(), 2u);
}

// The find window opening after a box click: it shows once the box's calls have landed, not
// waiting for a busy session whose calls only hide it, and for one whose restore would take the
// foreground when it lands only a while; an activation still being tried is given up.
TEST(WindowJobs, TheProgramsOwnWindowWaitsForTheCallsAskedBeforeItExceptABusySessions) {
    for (bool busyInBox : {false, true}) {
        SCOPED_TRACE(busyInBox);
        FakeDesk desk(3);
        desk.win[2].busyUntil = 5000;
        SessionSnapshot table = ::test::SnapshotOf({::test::Record(1), ::test::Record(2), ::test::Record(3)});
        table.members[0] = busyInBox ? std::vector<std::int16_t>{0, 1, 2} : std::vector<std::int16_t>{0, 2};
        SwitchToBox(table, 0, desk.ops);
        desk.ops.Activate(1);
        desk.jobs.Fence(desk.now);
        std::uint32_t reached = 0;
        while (reached == 0 && desk.now < 6000) {
            desk.RunTo(desk.now + 1);
            if (desk.jobs.FenceReached(desk.now)) reached = desk.now;
        }
        EXPECT_GE(reached, desk.win[1].landed.back()) << "after the first session's restore and raise";
        EXPECT_GE(reached, desk.win[3].landed.back());
        const std::uint32_t busyWait = busyInBox ? WindowJobs::kFenceAwaitsActivationMs : 0;
        EXPECT_GE(reached, busyWait);
        EXPECT_LT(reached, busyWait + 2 * WindowJobs::kStallMs) << "not after the busy session";
        desk.RunTo(6000);
        EXPECT_EQ(desk.activationTries, 0) << "the activation was given up";
    }
}

// The find window opened while an activation is being made: it takes the foreground after it.
TEST(WindowJobs, TheProgramsOwnWindowOpensAfterAnActivationInHand) {
    FakeDesk desk(1);
    desk.ops.Activate(1);
    while (desk.activationTries == 0) desk.RunTo(desk.now + 1);
    desk.jobs.Fence(desk.now);
    EXPECT_FALSE(desk.jobs.FenceReached(desk.now));
    desk.RunTo(desk.now + 1);
    EXPECT_EQ(desk.foreground, 1u);
    EXPECT_TRUE(desk.jobs.FenceReached(desk.now));
}

TEST(WindowJobs, AnActivationIsTriedUntilTheWindowTakesTheForegroundOrItsTimeIsUp) {
    for (std::uint32_t refuses : {500u, 10000u}) {
        SCOPED_TRACE(refuses);
        FakeDesk desk(2);
        desk.win[2].refusesFocusUntil = refuses;
        RaiseSession(2, false, desk.ops);
        desk.ops.Activate(2);
        desk.RunTo(5000);
        const bool takes = refuses < WindowJobs::kActivateForMs;
        EXPECT_EQ(desk.foreground == 2u, takes);
        EXPECT_EQ(desk.jobs.Pending(), 0u) << "given up after its time";
        EXPECT_EQ(desk.flashes, takes ? std::vector<WindowHandle>{} : std::vector<WindowHandle>{2});
    }
}

// A box hotkey whose first session is busy: the box's own raises, asked before, hold its
// activation back no longer than its calls; it is made only within its time, and not at all
// once the user has raised another session meanwhile (it would pull the user back).
TEST(WindowJobs, AnActivationBehindABusyWindowIsMadeInItsTimeUnlessTheUserMovedOn) {
    struct Case {
        const char* name;
        std::uint32_t busyUntil;
        bool otherRaisedMeanwhile;
        bool tried;
    };
    const std::vector<Case> cases = {
        {"free within its time", 2000, false, true},
        {"busy beyond its time", 5000, false, false},
        {"another session raised meanwhile", 2000, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeDesk desk(2);
        desk.win[1].busyUntil = c.busyUntil;
        ClickBox(desk, 2, true);
        desk.RunTo(200);
        if (c.otherRaisedMeanwhile) RaiseSession(2, false, desk.ops);
        desk.RunTo(8000);
        // Out of time it is flashed; given up for the user's newer raise, it is not.
        EXPECT_EQ(desk.flashes.size(), c.tried || c.otherRaisedMeanwhile ? 0u : 1u);
        EXPECT_EQ(desk.activationTries > 0, c.tried);
        EXPECT_EQ(desk.Top(), c.otherRaisedMeanwhile ? 2u : 1u);
        EXPECT_EQ(desk.jobs.Pending(), 0u);
    }
}

// Enter in the find window (or a click on a notice) on a session whose hide or iconize is still
// queued behind its busy thread: the session ends shown, restored and in front.
TEST(WindowJobs, ABringUpAfterAHideStillQueuedShowsTheWindowOnceTheHideHasLanded) {
    for (int earlier : {kShowHide, kShowMinimize}) {
        SCOPED_TRACE(earlier);
        FakeDesk desk(2);
        desk.win[1].busyUntil = 1000;
        desk.ops.ShowAsync(1, earlier);
        desk.RunTo(10);
        desk.ops.BringUp(1);
        desk.ops.Activate(1);
        desk.RunTo(3000);
        EXPECT_TRUE(desk.win[1].visible);
        EXPECT_FALSE(desk.win[1].iconic);
        EXPECT_EQ(desk.Top(), 1u);
        EXPECT_EQ(desk.foreground, 1u);
    }
}

// Sessions 2-4 are windows of one front-end thread, busy for 3 s: a box click makes one call on
// that thread at a time (the others would only wait for it in workers of their own), session 1
// ends on top at once, the program's own window is not held, and 2-4 are restored once it frees.
TEST(WindowJobs, WindowsOfOneBusyThreadHoldOneWorkerBetweenThem) {
    FakeDesk desk(4);
    for (WindowHandle w : {2, 3, 4}) desk.win[w].thread = desk.ops.threads[w] = 7;
    desk.threadBusyUntil[7] = 3000;
    ClickBox(desk, 4);
    desk.jobs.Fence(desk.now);
    desk.RunTo(WindowJobs::kFenceAwaitsActivationMs + 100);  // their restores would take the foreground
    EXPECT_TRUE(desk.jobs.FenceReached(desk.now));
    desk.RunTo(6000);
    EXPECT_LE(desk.mostInFlight, 2u) << "one call on the busy thread, one on session 1's";
    for (WindowHandle w : {2, 3, 4}) EXPECT_TRUE(desk.win[w].visible && !desk.win[w].iconic) << w;
    EXPECT_EQ(desk.Top(), 1u);
}

TEST(WindowJobs, ManyCommandsToManyBusyWindowsKeepOneShortLaneEach) {
    FakeDesk desk(50);
    for (auto& [w, fake] : desk.win) fake.busyUntil = 100000;
    for (int round = 0; round < 40; ++round) {
        for (WindowHandle w = 1; w <= 50; ++w) {
            RaiseSession(w, round % 2 == 0, desk.ops);
            desk.ops.ShowAsync(w, round % 3 == 0 ? kShowHide : kShowMinimize);
        }
        desk.RunTo(desk.now + 10);
    }
    EXPECT_EQ(desk.jobs.Lanes(), 50u);
    EXPECT_LE(desk.jobs.Pending(), 50u) << "one job left per busy window";
    const std::vector<WindowJob> left = desk.jobs.DropPending();
    EXPECT_EQ(desk.jobs.Pending(), 0u);
    for (const WindowJob& job : left) EXPECT_NE(job.kind, WindowJob::kRaise);
}

}  // namespace
}  // namespace quilvo
