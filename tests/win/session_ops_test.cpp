// The session window commands on real session windows of the simulator.
#include <gtest/gtest.h>

#include <windows.h>

#include "commands/session_commands.h"
#include "platform/scoped_win.h"
#include "sim_client.h"

namespace quilvo {
namespace {

TEST(SessionOps, CloseReachesAResponsiveSessionAtOnceAndABusyOneWhenItIsFree) {
    sessionsim::Simulator sim;
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1\nsession H system=PRD client=100 user=U2\n"))
        << sim.LastError();
    SessionWindowOps& ops = PlatformSessionOps();

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

TEST(SessionOps, RaiseSessionRestoresAnIconicWindowAndShowCodesReachTheSession) {
    sessionsim::Simulator sim;
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1 min\nsession B system=PRD client=100 user=U2\n"))
        << sim.LastError();
    SessionWindowOps& ops = PlatformSessionOps();
    HWND a = sim.Hwnd("A");
    ASSERT_TRUE(IsIconic(a));
    RaiseSession(FromHwnd(a), false, ops);
    EXPECT_TRUE(sim.WaitForLog([&](const std::string&) { return !IsIconic(a) && IsWindowVisible(a); }, 3000));

    SessionTable table = {};
    table.records[0].window = FromHwnd(a);
    table.records[1].window = FromHwnd(sim.Hwnd("B"));
    table.count = 2;
    ShowAllSessions(table, kShowHide, ops);
    EXPECT_TRUE(sim.WaitForLine("show A hidden", 3000));
    EXPECT_TRUE(sim.WaitForLine("show B hidden", 3000));
    ShowAllSessions(table, kShowRestore, ops);
    EXPECT_TRUE(sim.WaitForLog([&](const std::string&) { return IsWindowVisible(a) && IsWindowVisible(sim.Hwnd("B")); },
                               3000));
}

}  // namespace
}  // namespace quilvo

namespace quilvo {
namespace {

TEST(SessionOps, RaisingAHungSessionDoesNotHoldTheProgram) {
    sessionsim::Simulator sim;
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1 min\nsession B system=PRD client=100 user=U2\n"))
        << sim.LastError();
    SessionWindowOps& ops = PlatformSessionOps();
    ASSERT_TRUE(sim.Send("hang A"));
    ASSERT_TRUE(sim.Send("hang B"));
    DWORD begin = GetTickCount();
    RaiseSession(FromHwnd(sim.Hwnd("A")), false, ops);
    RaiseSession(FromHwnd(sim.Hwnd("B")), true, ops);
    EXPECT_LT(GetTickCount() - begin, 2000u);
    ASSERT_TRUE(sim.Send("wake A"));
    ASSERT_TRUE(sim.Send("wake B"));
}

}  // namespace
}  // namespace quilvo
