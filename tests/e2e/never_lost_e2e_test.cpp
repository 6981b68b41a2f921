// No road out of the program leaves a session hidden that it hid, and one instance runs per
// session class: a kill from outside, a crash, a log-off, and a second start.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "e2e_util.h"
#include "quilvo_process.h"
#include "sim_client.h"

namespace e2e {
namespace {

constexpr char kTrayHostCaption[] = "zrt::quorval /3 Tarvo Lite";

class NeverLost : public ::testing::Test {
protected:
    // A and B in box 0's system, C elsewhere; the test hides D itself. A left click on box 0's
    // panel then hides C (the program's doing) and raises A and B.
    void SetUp() override {
        ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=U1\n"
                              "session B system=PRD client=100 user=U2\n"
                              "session C system=QAS client=200 user=U3\n"
                              "session D system=QAS client=200 user=U4\n"))
            << sim.LastError();
        ASSERT_TRUE(sim.Send("hide D"));
        dir.WriteIni("[Box0]\nSelection=PRD$$$\n");
    }
    void TearDown() override {
        first.Kill();
        second.Kill();
        sim.Stop();
    }
    void StartFirst(const char* exe = "Quilvo.exe") {
        first.UseExe(exe);
        ASSERT_TRUE(first.Start(dir.Path()));
        ASSERT_TRUE(WaitUntil(
            [&] {
                const auto panels = PanelsOf(first.MainWindow());
                return !panels.empty() && Children(panels[0], "XIconWin").size() == 2;
            },
            kSettle + kPass));
    }
    void ClickBoxZero() {
        HWND panel = PanelsOf(first.MainWindow())[0];
        PostMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
        PostMessageA(panel, WM_LBUTTONUP, 0, Point(5, 5));
        ASSERT_TRUE(WaitUntil([&] { return !Visible("C"); }, 3000)) << "the click hid nothing";
    }
    bool Visible(const char* name) const { return IsWindowVisible(sim.Hwnd(name)) != FALSE; }
    // Only the sessions the program hid come back; the one the test hid stays hidden.
    void ExpectOnlyItsOwnBack(DWORD withinMs) {
        EXPECT_TRUE(WaitUntil([&] { return Visible("C"); }, withinMs));
        // D would be shown along with C, within this time; nothing shows that it is not coming.
        Sleep(500);
        EXPECT_FALSE(Visible("D"));
        EXPECT_TRUE(Visible("A"));
        EXPECT_TRUE(Visible("B"));
    }
    static int TrayHostsRunning() {
        int n = 0;
        for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
            if (ClassOf(w) == "#32770" && TextOf(w) == kTrayHostCaption) ++n;
        return n;
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess first, second;
};

TEST_F(NeverLost, AfterAKillTheNextStartShowsTheSessionsItHidWithinItsFirstPass) {
    StartFirst();
    ClickBoxZero();
    first.Kill();
    ASSERT_TRUE(SyncWith(sim.Hwnd("C")));  // what the program sent C before its end has landed
    EXPECT_FALSE(Visible("C")) << "nothing of ours ran after the kill";
    const DWORD begin = GetTickCount();
    second.UseExe("Quilvo.exe");
    ASSERT_TRUE(second.Start(dir.Path()));
    ExpectOnlyItsOwnBack(kPass);
    EXPECT_LT(GetTickCount() - begin, 2 * kPass + 2000u);
}

TEST_F(NeverLost, ACrashShowsTheSessionsItHidBeforeTheProcessGoes) {
    const std::string event = "quilvo-e2e-crash-" + std::to_string(GetCurrentProcessId());
    HANDLE crash = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    SetEnvironmentVariableA("QUILVO_TEST_CRASH_EVENT", event.c_str());
    StartFirst("QuilvoTestHooks.exe");
    SetEnvironmentVariableA("QUILVO_TEST_CRASH_EVENT", nullptr);
    ClickBoxZero();
    SetEvent(crash);
    const DWORD code = first.WaitForExit(10000);
    EXPECT_EQ(code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION))
        << "the crash ended the process";
    ExpectOnlyItsOwnBack(1000);
    CloseHandle(crash);
}

TEST_F(NeverLost, TheEndOfTheUsersSessionShowsThem) {
    StartFirst();
    ClickBoxZero();
    DWORD_PTR result = 0;
    SendMessageTimeoutA(first.MainWindow(), WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 3000, &result);
    EXPECT_NE(result, 0u) << "the program lets the session end";
    SendMessageTimeoutA(first.MainWindow(), WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 3000, &result);
    ExpectOnlyItsOwnBack(1000);
}

TEST_F(NeverLost, ASecondStartForTheSameClassShowsTheFirstAndEnds) {
    StartFirst();
    HWND main = first.MainWindow();
    PostMessageA(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 3000));
    ASSERT_EQ(TrayHostsRunning(), 1);

    // The same class name, in other letters' case: compared as discovery compares it.
    ASSERT_TRUE(second.Launch(dir.Path(), "sap_frontend_session"));
    EXPECT_EQ(second.WaitForExit(10000), 0u);
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 3000)) << "the first one's window";
    EXPECT_EQ(TrayHostsRunning(), 1);
    EXPECT_TRUE(first.Running());
}

TEST_F(NeverLost, AStartForAnotherClassRunsBesideTheFirst) {
    StartFirst();
    // A second start for the same class would end before making its windows.
    ASSERT_TRUE(second.Start(dir.Path(), "OTHER_SESSION_CLASS"));
    EXPECT_TRUE(WaitUntil([&] { return TrayHostsRunning() == 2; }, kSettle));
    EXPECT_TRUE(second.Running());
    EXPECT_TRUE(first.Running());
}

}  // namespace
}  // namespace e2e
