// The idle action end to end: the refresh cycle with real discovery and the real OK-code
// send, against sessions of the simulator in another process. Views are not needed here.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "core/refresh.h"
#include "settings/settings.h"
#include "base/text.h"
#include "platform/win32_discovery.h"
#include "platform/win32_refresh_platform.h"
#include "refresh_fakes.h"
#include "sim_client.h"
#include "window_helpers.h"

namespace quilvo {
namespace {

void WriteIni(const std::string& text) { ASSERT_TRUE(sessionsim::detail::WriteWholeFile(".\\Quilvo.ini", text)); }

class IdleActionTest : public ::testing::Test {
protected:
    test::ScratchDirectory dir_{"quilvo-idle"};  // first made, last gone

    void SetUp() override {
        ASSERT_TRUE(dir_.Entered());
        mainWindow = CreateWindowExA(0, "STATIC", "main", 0, 0, 0, 10, 10, nullptr, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(mainWindow, nullptr);
    }
    void TearDown() override {
        cycle.reset();
        DestroyWindow(mainWindow);
    }

    void Make(const char* idleTimer, const char* idleAction) {
        std::string ini = "[Quilvo]\r\nIDLE_TIMER=" + std::string(idleTimer) + "\r\n";
        if (idleAction != nullptr) ini += "IDLE_ACTION=" + std::string(idleAction) + "\r\n";
        // Box 0 and box 2 both hold only A (the first session of each); box 1 holds B; the
        // other boxes select a system nobody is logged on to.
        ini += "[Box0]\r\nSelection=PRD$$U1$\r\n"
               "[Box1]\r\nSelection=QAS$$$\r\n"
               "[Box2]\r\nSelection=$100$U1$\r\n"
               "[Box3]\r\nSelection=ZZZ$$$\r\n"
               "[Box4]\r\nSelection=ZZZ$$$\r\n"
               "[Box5]\r\nSelection=ZZZ$$$\r\n";
        WriteIni(ini);
        cycle = std::make_unique<RefreshCycle>(drag, discovery, platform, IniCycleSettings(), kDefaultSessionClass,
                                               ReadIdleSettings());
        cycle->SetMainWindow(reinterpret_cast<WindowHandle>(mainWindow));
        cycle->SetRebuildListener(&views);
    }

    int OkCodeLines(const std::string& line) const {
        const auto lines = sim.LogLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }

    HWND mainWindow = nullptr;
    sessionsim::Simulator sim;
    DragFlag drag;
    Win32DiscoveryWindows discovery{SapMessages::Register().getFront};
    Win32RefreshPlatform platform;
    fake::FakeViews views;
    std::unique_ptr<RefreshCycle> cycle;
};

TEST_F(IdleActionTest, TheOkCodeReachesTheFirstSessionOfEachNonEmptyBoxOncePerBox) {
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1 tx=SMEN\n"
                          "session B system=QAS client=200 user=U2 tx=SE80\n"
                          "session C system=PRD client=300 user=U3 tx=VA01\n"))
        << sim.LastError();
    Make("2", "/nex");

    cycle->OnRefreshTimer();  // the count changes from 0 to 3: the lists are built
    ASSERT_EQ(cycle->Current()->Count(), 3);
    for (int box : {0, 1, 2}) ASSERT_EQ(cycle->Current()->MemberCount(box), 1) << box;
    cycle->OnRefreshTimer();  // counter 2: not yet
    EXPECT_EQ(OkCodeLines("okcode A /nex"), 0);
    cycle->OnRefreshTimer();  // counter 4 > 2: the idle action

    ASSERT_TRUE(sim.WaitForLine("okcode B /nex", 5000)) << sim.Log();
    ASSERT_TRUE(sim.WaitForLog([&](const std::string&) { return OkCodeLines("okcode A /nex") >= 2; }, 5000))
        << sim.Log();
    EXPECT_EQ(OkCodeLines("okcode A /nex"), 2);  // first in box 0 and in box 2
    EXPECT_EQ(OkCodeLines("okcode B /nex"), 1);
    EXPECT_EQ(OkCodeLines("okcode C /nex"), 0);  // second in no box
    ASSERT_NE(cycle->State().okCodeAtom, 0);
    char name[64] = {};
    GlobalGetAtomNameA(cycle->State().okCodeAtom, name, sizeof name);
    EXPECT_STREQ(name, "/nex");
}

TEST_F(IdleActionTest, WithoutIdleActionKeyTheCodeIsNone) {
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1 tx=SMEN\n")) << sim.LastError();
    Make("1", nullptr);
    cycle->OnRefreshTimer();
    cycle->OnRefreshTimer();  // counter 2 > 1
    EXPECT_TRUE(sim.WaitForLine("okcode A none", 5000)) << sim.Log();
}

// The OK code is sent without waiting: a busy session does not hold the program and runs the
// code once it is free.
TEST_F(IdleActionTest, AHungSessionDoesNotHoldTheProgramAndRunsTheCodeWhenFree) {
    ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1 tx=SMEN\n")) << sim.LastError();
    Make("1", "/nex");
    cycle->OnRefreshTimer();
    ASSERT_EQ(cycle->Current()->MemberCount(0), 1);
    ASSERT_TRUE(sim.Send("hang A"));
    ASSERT_TRUE(sim.WaitForLine("busy A", 5000));
    const DWORD start = GetTickCount();
    cycle->RunIdleAction();
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_LT(elapsed, 500u);
    EXPECT_EQ(OkCodeLines("okcode A /nex"), 0);
    ASSERT_TRUE(sim.Send("wake A"));
    // A is first in box 0 and in box 2: it runs the code twice.
    EXPECT_TRUE(sim.WaitForLog([&](const std::string&) { return OkCodeLines("okcode A /nex") == 2; }, 5000))
        << sim.Log();
}

}  // namespace
}  // namespace quilvo
