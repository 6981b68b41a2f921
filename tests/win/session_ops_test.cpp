// The session window commands on real session windows of the simulator.
#include <gtest/gtest.h>

#include "record_checks.h"

#include <windows.h>

#include <string>

#include "platform_ops.h"
#include "commands/session_commands.h"
#include "platform/scoped_win.h"
#include "sim_client.h"
#include "window_helpers.h"

namespace quilvo {
namespace {

// Two sessions of the simulator, A (iconic when asked) and a second one, and the platform's
// session operations.
class SessionOps : public ::testing::Test {
protected:
    void Start(const char* second, bool firstIconic = false) {
        ASSERT_TRUE(sim.Start(std::string("session A system=PRD client=100 user=U1") + (firstIconic ? " min" : "") +
                              "\nsession " + second + " system=PRD client=100 user=U2\n"))
            << sim.LastError();
    }
    sessionsim::Simulator sim;
    test::PlatformOps platform;
    SessionWindowOps& ops = platform.ops;
};

TEST_F(SessionOps, CloseReachesAResponsiveSessionAtOnceAndABusyOneWhenItIsFree) {
    Start("H");

    ops.SendClose(FromHwnd(sim.Hwnd("A")));
    EXPECT_TRUE(sim.WaitForLine("close A", 3000));

    HWND hung = sim.Hwnd("H");
    ASSERT_TRUE(sim.Send("hang H"));
    DWORD begin = GetTickCount();
    ops.SendClose(FromHwnd(hung));
    DWORD took = GetTickCount() - begin;
    EXPECT_LT(took, 100u) << "a session that stopped answering must not hold the program";
    EXPECT_TRUE(IsWindow(hung));
    ASSERT_TRUE(sim.Send("wake H"));
    EXPECT_TRUE(sim.WaitForLine("close H", 3000));
}

TEST_F(SessionOps, RaiseSessionRestoresAnIconicWindowAndShowCodesReachTheSession) {
    Start("B", true);
    HWND a = sim.Hwnd("A");
    ASSERT_TRUE(IsIconic(a));
    RaiseSession(FromHwnd(a), false, ops);
    EXPECT_TRUE(sim.WaitForLog([&](const std::string&) { return !IsIconic(a) && IsWindowVisible(a); }, 3000));

    const SessionSnapshot table = ::test::SnapshotOf({::test::Record(FromHwnd(a)), ::test::Record(FromHwnd(sim.Hwnd("B")))});
    ShowAllSessions(table, kShowHide, ops);
    EXPECT_TRUE(sim.WaitForLine("show A hidden", 3000));
    EXPECT_TRUE(sim.WaitForLine("show B hidden", 3000));
    ShowAllSessions(table, kShowRestore, ops);
    EXPECT_TRUE(sim.WaitForLog([&](const std::string&) { return IsWindowVisible(a) && IsWindowVisible(sim.Hwnd("B")); },
                               3000));
}

TEST_F(SessionOps, RaisingAHungSessionDoesNotHoldTheProgram) {
    Start("B", true);
    ASSERT_TRUE(sim.Send("hang A"));
    ASSERT_TRUE(sim.Send("hang B"));
    DWORD begin = GetTickCount();
    RaiseSession(FromHwnd(sim.Hwnd("A")), false, ops);
    RaiseSession(FromHwnd(sim.Hwnd("B")), true, ops);
    EXPECT_LT(GetTickCount() - begin, 2000u);
    ASSERT_TRUE(sim.Send("wake A"));
    ASSERT_TRUE(sim.Send("wake B"));
}

// A burst of calls on sessions that answer needs one worker free, not one per call; each hung
// thread (E and F share one) holds a worker and one more is kept free; once the sessions are
// free again the pool gives the threads it started back.
TEST_F(SessionOps, TheWorkersGrowOnlyForHungSessionsAndEndOnceTheyAreFree) {
    Start("B system=PRD\nsession C\nsession D\nsession E thread=T\nsession F thread=T", true);
    for (int round = 0; round < 5; ++round) {  // a box click each round
        SessionWorker burst;
        for (const char* name : {"A", "B", "C", "D", "E", "F"}) {
            burst.BringUp(FromHwnd(sim.Hwnd(name)));
            burst.Raise(FromHwnd(sim.Hwnd(name)));
        }
        EXPECT_TRUE(test::PumpUntil([&] { return burst.Facts().lanes.empty(); }, 5000));
        EXPECT_LE(burst.Workers(), 2);
    }
    SessionWorker worker(200);
    Win32SessionOps shortIdle(worker);
    for (const char* name : {"A", "B", "E"}) ASSERT_TRUE(sim.Send(std::string("hang ") + name));
    for (const char* name : {"A", "B", "E", "F"}) RaiseSession(FromHwnd(sim.Hwnd(name)), false, shortIdle);
    EXPECT_TRUE(test::PumpUntil([&] { return worker.Workers() >= 4; }, 3000)) << worker.Workers();
    test::PumpFor(500);  // F's calls, were they taken, would hold a fifth worker by now
    EXPECT_EQ(worker.Workers(), 4);
    for (const char* name : {"A", "B", "E"}) ASSERT_TRUE(sim.Send(std::string("wake ") + name));
    EXPECT_TRUE(test::PumpUntil([&] { return worker.Workers() == 1; }, 5000)) << worker.Workers();
}

}  // namespace
}  // namespace quilvo
