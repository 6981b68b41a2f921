// Commands and refreshes against sessions that do not answer: fifty sessions behind one busy
// thread, as when a front-end process is busy, a refresh asked for while a pass waits, a raise
// of a session that stalls in its moves, and replies still to come at the end.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "app/window_classes.h"
#include "platform/dispatcher.h"
#include "platform_ops.h"
#include "record_checks.h"
#include "commands/session_commands.h"
#include "core/refresh.h"
#include "settings/settings.h"
#include "core/wait_scope.h"
#include "refresh_fakes.h"
#include "platform/scoped_win.h"
#include "window_helpers.h"
#include "platform/win32_discovery.h"
#include "platform/win32_refresh_platform.h"
#include "resources/resource_ids.h"
#include "sim_client.h"

namespace quilvo {
namespace {

using test::PumpFor;
using test::PumpUntil;

std::string FiftyOnOneThread() {
    std::string scenario;
    for (int i = 0; i < 50; ++i)
        scenario += "session T" + std::to_string(i) + " thread=front system=PRD client=100 user=U" +
                    std::to_string(i) + "\n";
    return scenario;
}

// A box click (every session raised) and a close of every session, with all fifty sessions
// busy: each command gives the program back in well under a second, and the sessions close
// once their thread is free.
TEST(BusySessions, CommandsGiveTheProgramBackAtOnceAndTheSessionsActWhenFree) {
    sessionsim::Simulator sim;
    ASSERT_TRUE(sim.Start(FiftyOnOneThread())) << sim.LastError();
    std::vector<SessionRecord> sessions;
    for (int i = 0; i < 50; ++i) sessions.push_back(::test::Record(FromHwnd(sim.Hwnd("T" + std::to_string(i))), "PRD"));
    const SessionSnapshot table = ::test::SnapshotOf(sessions);
    ASSERT_TRUE(sim.Send("hang T0"));

    test::PlatformOps platform;
    SessionWindowOps& ops = platform.ops;
    DWORD begin = GetTickCount();
    SwitchToBox(table, kAllSessions, ops);
    EXPECT_LT(GetTickCount() - begin, 1000u) << "a box click";
    begin = GetTickCount();
    GroupCommand(table, table.sessions[7].window, kGroupRestore, kGroupBySystem, ops);
    EXPECT_LT(GetTickCount() - begin, 1000u) << "restore by system";
    begin = GetTickCount();
    ShowAllSessions(table, kShowClose, ops);
    EXPECT_LT(GetTickCount() - begin, 500u) << "close every session";

    ASSERT_TRUE(sim.Send("wake T0"));
    EXPECT_TRUE(sim.WaitForLog([&](const std::string&) { return sim.Count() == 0; }, 10000)) << sim.Log();
}

// The window a notification reaches: it asks for a refresh, as the tray icon's callback does.
struct NotifyTarget {
    RefreshCycle* cycle = nullptr;
    bool askedDuringPass = false;
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        auto* self = reinterpret_cast<NotifyTarget*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
        if (self == nullptr || msg != WM_QUILVO_TRAYICON) return DefWindowProcA(wnd, msg, wp, lp);
        self->askedDuringPass = self->cycle->PassUnderWay();
        self->cycle->DiscoverAndRefresh();
        return 0;
    }
};

class CountingDiscovery : public Win32DiscoveryWindows {
public:
    using Win32DiscoveryWindows::Win32DiscoveryWindows;
    void EnumerateAll(const char* className, WindowVisit visit, void* context) override {
        ++passes;
        Win32DiscoveryWindows::EnumerateAll(className, visit, context);
    }
    std::atomic<int> passes{0};  // counted on the walker thread
};

// The pass never waits on this thread: it ends when its last reply has come, or, with a
// session that hangs, when its wait is over. A notification sent to the program meanwhile (the
// session sends it when queried) is handled at once, and the refresh it asks for is answered by
// the pass under way; until that pass ends, the table is the one of the pass before.
TEST(BusySessions, APassNeverWaitsAndARefreshAskedForMeanwhileIsAnsweredByIt) {
    sessionsim::Simulator sim;
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1\nsession B system=QAS client=200 user=U2\n"))
        << sim.LastError();
    test::RegisterTestClass("QuilvoTestNotifyTarget", &NotifyTarget::Proc);
    HWND target = CreateWindowExA(0, "QuilvoTestNotifyTarget", "", 0, 0, 0, 0, 0, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(target, nullptr);

    RegisterWindowClasses(GetModuleHandleA(nullptr));
    Dispatcher dispatcher;
    ASSERT_TRUE(dispatcher.Create(GetModuleHandleA(nullptr)));
    DragFlag drag;
    CountingDiscovery discovery(SapMessages::Register().getFront);
    Win32RefreshPlatform platform(&dispatcher);
    fake::FakeViews views;
    RefreshCycle cycle(drag, discovery, platform, IniCycleSettings(), kDefaultSessionClass, IdleSettings{});
    cycle.SetMainWindow(FromHwnd(target));
    cycle.SetRebuildListener(&views);
    const auto table = [&] { return cycle.Current(); };
    NotifyTarget notify;
    notify.cycle = &cycle;
    SetWindowLongPtrA(target, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&notify));
    DWORD begin = GetTickCount();
    cycle.DiscoverAndRefresh();
    EXPECT_LT(GetTickCount() - begin, 100u) << "the pass sent its queries and went on";
    EXPECT_TRUE(PumpUntil([&] { return !cycle.PassUnderWay(); }, 2000)) << "ended on its last reply";
    ASSERT_EQ(table()->Count(), 2);
    EXPECT_EQ(table()->sessions[0].busy + table()->sessions[1].busy, 0);

    char send[96];
    // The first pass asked B its five fields; a calm pass asks its Transaction, the sixth.
    std::snprintf(send, sizeof send, "set B send-on-query=0x%llx,%u,103,%u hang-after-queries=6",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(target)), WM_QUILVO_TRAYICON,
                  WM_RBUTTONDOWN);
    ASSERT_TRUE(sim.Send(send));
    begin = GetTickCount();
    // B sends at its query of the pass, then hangs before it replies.
    cycle.DiscoverAndRefresh();
    EXPECT_LT(GetTickCount() - begin, 100u);
    EXPECT_TRUE(cycle.PassUnderWay());
    const Snapshot before = table();
    EXPECT_EQ(before->Count(), 2) << "the snapshot of the pass before";
    EXPECT_TRUE(PumpUntil([&] { return !cycle.PassUnderWay(); }, 2000)) << "ended when its wait was over";
    EXPECT_TRUE(notify.askedDuringPass);
    EXPECT_EQ(discovery.passes, 2) << "the request was answered by the pass under way";
    const SessionRecord* b = table()->Find(FromHwnd(sim.Hwnd("B")));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->busy, 1);
    EXPECT_STREQ(b->system, "QAS");
    EXPECT_EQ(before->Find(FromHwnd(sim.Hwnd("B")))->busy, 0) << "a snapshot once published never changes";

    ASSERT_TRUE(sim.Send("wake B"));
    SetWindowLongPtrA(target, GWLP_USERDATA, 0);
    DestroyWindow(target);
}

// A session whose thread answers at once but sleeps in every move: raising it (restore, show,
// bring to the top) queues everything and returns at once, and the session ends up restored
// and on top once its thread has slept through the queue.
TEST(BusySessions, RaisingASessionThatSleepsInItsMovesDoesNotWait) {
    sessionsim::Simulator sim;
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1 min\nsession B system=PRD client=100 user=U2\n"))
        << sim.LastError();
    ASSERT_TRUE(sim.Send("set A sleep-on-move=800"));
    const DWORD begin = GetTickCount();
    test::ParkPointer();
    test::PlatformOps platform;
    RaiseSession(FromHwnd(sim.Hwnd("A")), false, platform.ops);
    EXPECT_LT(GetTickCount() - begin, 100u);
    HWND a = sim.Hwnd("A");
    EXPECT_TRUE(PumpUntil([&] { return !IsIconic(a) && IsWindowVisible(a); }, 8000));
    EXPECT_TRUE(PumpUntil([&] {
        for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
            if (w == a || w == sim.Hwnd("B")) return w == a;
        return false;
    }, 8000)) << "A is above B";
    ASSERT_TRUE(sim.Send("set A sleep-on-move=0"));
}

// A box click while the box's second session sleeps 1.5 s in every move: the first and third are
// restored while it sleeps, and once it is done the first is on top. Then the sleeper is raised
// and, while it sleeps, everything is hidden: it ends hidden, its raise not replayed after.
TEST(BusySessions, ASessionThatSleepsInEveryMoveDelaysOnlyItsOwnRestoresAndRaises) {
    sessionsim::Simulator sim;
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1 min\nsession B system=PRD client=100 user=U2 min\n"
                          "session C system=PRD client=100 user=U3 min\n"))
        << sim.LastError();
    const HWND a = sim.Hwnd("A"), b = sim.Hwnd("B"), c = sim.Hwnd("C");
    const SessionSnapshot table =
        ::test::SnapshotOf({::test::Record(FromHwnd(a)), ::test::Record(FromHwnd(b)), ::test::Record(FromHwnd(c))});
    ASSERT_TRUE(sim.Send("set B sleep-on-move=1500"));
    test::ParkPointer();
    test::PlatformOps platform;

    SwitchToBox(table, kAllSessions, platform.ops);
    const auto restored = [](HWND w) { return IsWindowVisible(w) && !IsIconic(w); };
    ASSERT_TRUE(PumpUntil([&] { return restored(a) && restored(c); }, 8000));
    EXPECT_EQ(sim.Log().find("awake B"), std::string::npos) << "A and C did not wait for B";
    const auto aOnTop = [&] {
        for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
            if (w == a || w == b || w == c) return w == a;
        return false;
    };
    EXPECT_TRUE(PumpUntil([&] { return restored(b) && aOnTop(); }, 15000)) << sim.Log();
    EXPECT_TRUE(PumpUntil(aOnTop, 8000)) << "A is on top once B has done its moves";

    RaiseSession(FromHwnd(b), false, platform.ops);
    PumpFor(200);
    ShowAllSessions(table, kShowHide, platform.ops);
    const auto allHidden = [&] { return !IsWindowVisible(a) && !IsWindowVisible(b) && !IsWindowVisible(c); };
    ASSERT_TRUE(PumpUntil(allHidden, 15000)) << sim.Log();
    PumpFor(1800);  // longer than a sleep: a stale restore or raise would have landed
    EXPECT_TRUE(allHidden()) << sim.Log();
    ASSERT_TRUE(sim.Send("set B sleep-on-move=0"));
}

// Replies still to come when the program ends are collected under the pass's wait, so their
// atoms are deleted and do not stay in the desktop's atom table; they come after the
// discovery that asked has gone (the end of the program ends the refresh cycle first), and
// land nowhere.
TEST(BusySessions, RepliesOutstandingAtTheEndAreCollectedAfterTheirAskerHasGone) {
    sessionsim::Simulator sim;
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=QuilvoLateAnswer hang-after-queries=1\n"))
        << sim.LastError();
    Win32DiscoveryWindows discovery(SapMessages::Register().getFront, 100);
    auto asker = std::make_unique<Discovery>(discovery, kDefaultSessionClass);
    ASSERT_EQ(asker->Pass(true).size(), 1u);
    ASSERT_LT(discovery.Queries().FreeCount(), FrontQueryPool::kCapacity) << "A still owes its answers";
    asker.reset();
    std::thread waker([&] {
        Sleep(30);
        sim.Send("wake A");
    });
    discovery.AwaitOutstandingReplies();
    waker.join();
    EXPECT_EQ(discovery.Queries().FreeCount(), FrontQueryPool::kCapacity);
    EXPECT_EQ(GlobalFindAtomA("QuilvoLateAnswer"), 0) << "the user's answer was deleted";
}

}  // namespace
}  // namespace quilvo
