// What users get wrong: odd command lines, broken settings, crowded boxes, windows off the
// screen. The program keeps running, places what it can, and writes nothing unasked.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_util.h"
#include "quilvo_process.h"
#include "sim_client.h"

namespace e2e {
namespace {


class BadInput : public ::testing::Test {
protected:
    void Start(const std::string& scenario, const std::string& ini, const std::string& args = "") {
        ASSERT_TRUE(sim.Start(scenario)) << sim.LastError();
        if (!ini.empty()) dir.WriteIni(ini);
        ASSERT_TRUE(quilvo.Start(dir.Path(), args));
        ASSERT_TRUE(WaitUntil([&] { return PanelsOf(quilvo.MainWindow()).size() == 6; }, 10000));
    }
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
    }
    int Minis(int panel) const {
        return static_cast<int>(Children(PanelsOf(quilvo.MainWindow())[panel], "XIconWin").size());
    }
    // Lets a pass run after the first (it made the views) and checks the program is still there.
    void ExpectStillRunning() {
        EXPECT_TRUE(WaitForNextPass(sim)) << "no pass asked the sessions";
        EXPECT_TRUE(quilvo.Running());
        EXPECT_NE(quilvo.MainWindow(), nullptr);
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
};

TEST_F(BadInput, TwoWordClassNameOnTheCommandLineIsOneClassName) {
    Start("session A class=\"My Session\" system=PRD client=100 user=U1\n"
          "session B system=PRD client=100 user=U2\n",
          "", "My Session");
    EXPECT_TRUE(WaitUntil([&] { return Minis(0) == 1; }, kSettle));
    ExpectStillRunning();
    EXPECT_EQ(Minis(0), 1);
}

// Only the session of the class with the quotes is found, not the one of the class without.
TEST_F(BadInput, QuotedClassNameKeepsItsQuotes) {
    Start("session A system=PRD client=100 user=U1\n"
          "session Q class=\"\\\"SAP_FRONTEND_SESSION\\\"\" system=PRD client=100 user=U2\n",
          "", "\"SAP_FRONTEND_SESSION\"");
    EXPECT_TRUE(WaitUntil([&] { return Minis(0) == 1; }, kSettle));
    ExpectStillRunning();
    EXPECT_EQ(Minis(0), 1);
}

TEST_F(BadInput, LongClassNameIsCutAndTheProgramRuns) {
    Start("session A system=PRD client=100 user=U1\n", "", std::string(200, 'k'));
    // Its passes find no session, and nothing else shows them from outside: two refresh
    // periods is how long it has to keep running.
    Sleep(2 * kPass + 200);
    EXPECT_TRUE(quilvo.Running());
    EXPECT_NE(quilvo.MainWindow(), nullptr);
    EXPECT_EQ(Minis(0), 0);
}

TEST_F(BadInput, BrokenViewSettingsFallBackToSafePlaces) {
    Start("session A system=PRD client=100 user=U1 x=100 y=50 w=800 h=600\n",
          "[Quilvo]\nWindowX=-50\nOPACITY=abc\n"
          "[BoxedViewToolWindow]\nZoomFactor=0\nWidth=0\nHeight=-5\nWindowX=-50\nWindowY=-7\n"
          "[BoxedViewSingle]\nZoomFactor=-3\nWidth=100000\nHeight=12abc\n");
    ExpectStillRunning();
    RECT main = ScreenRect(quilvo.MainWindow());
    EXPECT_EQ(main.left, 0);
    EXPECT_EQ(main.top, 0);
    EXPECT_EQ(main.right - main.left, 300);
    EXPECT_EQ(main.bottom - main.top, 200);
    EXPECT_EQ(Minis(0), 1);
    // A zoom factor of 0 shows the mini window at its unzoomed scale size.
    HWND panel = PanelsOf(quilvo.MainWindow())[0];
    RECT desk = ClientRect(GetDesktopWindow()), pr = ScreenRect(panel);
    int hs = desk.right / (pr.right - pr.left);
    RECT mini = RectInParent(Children(panel, "XIconWin")[0]);
    EXPECT_EQ(mini.right - mini.left, std::max(12, 800 / hs));
}

// Each of these settings files is wrong in its own way; the program starts, keeps running
// and places its views where the clamps say.
class BrokenSettings : public BadInput, public ::testing::WithParamInterface<const char*> {};

TEST_P(BrokenSettings, ProgramRunsWithItsViewsOnScreen) {
    Start("session A system=PRD client=100 user=U1 x=100 y=50 w=800 h=600\n", GetParam());
    ExpectStillRunning();
    RECT main = ScreenRect(quilvo.MainWindow());
    EXPECT_TRUE(main.left >= 0 && main.top >= 0 && main.right > main.left && main.bottom > main.top)
        << main.left << "," << main.top << " to " << main.right << "," << main.bottom;
    EXPECT_EQ(Minis(5), 1);  // box 5 has no filter in any of the files
}

INSTANTIATE_TEST_SUITE_P(
    Files, BrokenSettings,
    ::testing::Values("[BoxedViewToolWindow]\nZoomFactor=-3\nWidth=-5\nHeight=0\n",
                      "[BoxedViewToolWindow]\nWidth=100000\nHeight=99999999999\nWindowX=-50\n",
                      "[BoxedViewToolWindow]\nZoomFactor=abc\nWindowY=\nVisible=-\n[Quilvo]\nOPACITY=-1\n",
                      "[Box0]\nSelection=$$$$$$$$\nCascade=12abc\n[Box1]\nSelection=\xe9\xff$\x80$\n",
                      "\xef\xbb\xbf[Quilvo]\r\nWindowX=5000\r\n[Box2]\nSelection=" \
                      "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
                      "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA"
                      "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA$\n"));

TEST_F(BadInput, HugeZoomGivesTheSmallestMiniWindows) {
    Start("session A system=PRD client=100 user=U1 x=100 y=50 w=800 h=600\n",
          "[BoxedViewToolWindow]\nZoomFactor=1000\n");
    ExpectStillRunning();
    RECT mini = RectInParent(Children(PanelsOf(quilvo.MainWindow())[0], "XIconWin")[0]);
    EXPECT_EQ(mini.right - mini.left, 12);
    EXPECT_EQ(mini.bottom - mini.top, 12);
}

TEST_F(BadInput, FiftySessionsInOneBoxStillFitTheButtonRow) {
    std::string scenario;
    for (int i = 0; i < 50; ++i)
        scenario += "session S" + std::to_string(i) + " system=PRD client=100 user=U" + std::to_string(i) +
                    " x=" + std::to_string(i * 20) + " y=" + std::to_string(i * 15) + " w=300 h=200\n";
    Start(scenario, "[Box0]\nSelection=PRD$$$\n");
    ASSERT_TRUE(WaitUntil([&] { return Minis(0) == 50; }, kSettle + kPass));
    HWND panel = PanelsOf(quilvo.MainWindow())[0];
    RECT pr = ScreenRect(panel);
    int W = pr.right - pr.left;
    std::vector<HWND> buttons = Children(panel, "Button");
    ASSERT_EQ(buttons.size(), 50u);
    for (HWND b : buttons) {
        RECT br = RectInParent(b);
        EXPECT_LE(br.right, W);
        EXPECT_GE(br.left, 0);
    }
    ExpectStillRunning();
}

TEST_F(BadInput, SessionsAtNegativeCoordinatesAreShown) {
    Start("session A system=PRD client=100 user=U1 x=-300 y=-200 w=800 h=600\n"
          "session B system=PRD client=100 user=U2 x=-2000 y=-2000 w=100 h=100\n",
          "");
    ASSERT_TRUE(WaitUntil([&] { return Minis(0) == 2; }, kSettle));
    ExpectStillRunning();
}

TEST_F(BadInput, SessionThatStopsAnsweringDoesNotFreezeTheProgram) {
    Start("session A system=PRD client=100 user=U1\nsession H system=PRD client=100 user=U2\n", "");
    ASSERT_TRUE(WaitUntil([&] { return Minis(0) == 2; }, kSettle));
    ASSERT_TRUE(sim.Send("hang H"));
    // A pass finds it owing its answers and shows it busy; the next one goes on beside it.
    const auto busy = [&] {
        for (HWND mini : Children(PanelsOf(quilvo.MainWindow())[0], "XIconWin"))
            if (TextOf(mini).find(", busy") != std::string::npos) return true;
        return false;
    };
    ASSERT_TRUE(WaitUntil(busy, kSettle)) << "no pass found it busy";
    ASSERT_TRUE(WaitForNextPass(sim, {"A"}));
    // The program still answers its own windows at once.
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(quilvo.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result), 0);
    ASSERT_TRUE(sim.Send("open B system=PRD client=100 user=U3"));
    EXPECT_TRUE(WaitUntil([&] { return Minis(0) == 3; }, kSettle + kPass));
    ASSERT_TRUE(sim.Send("wake H"));
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// Clicking and dragging the mini window of a session that stopped answering: the program
// goes on answering its own windows, and the session follows once it wakes.
TEST_F(BadInput, ClicksAndDragsOnAHungSessionDoNotFreezeTheProgram) {
    Start("session H system=PRD client=100 user=U1 x=100 y=100 w=640 h=480\n", "[Box0]\nSelection=PRD$$$\n");
    HWND panel = PanelsOf(quilvo.MainWindow())[0];
    ASSERT_TRUE(WaitUntil([&] { return Children(panel, "XIconWin").size() == 1; }, kSettle));
    HWND mini = Children(panel, "XIconWin")[0];
    ASSERT_TRUE(sim.Send("hang H"));

    auto answers = [&] {
        DWORD_PTR r = 0;
        return SendMessageTimeoutA(quilvo.MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 1500, &r) != 0;
    };
    PostMessageA(mini, WM_LBUTTONDOWN, MK_LBUTTON, Point(2, 2));
    PostMessageA(mini, WM_LBUTTONUP, 0, Point(2, 2));
    EXPECT_TRUE(answers());
    PostMessageA(mini, WM_RBUTTONDOWN, MK_RBUTTON, Point(2, 2));
    PostMessageA(panel, WM_MOUSEMOVE, MK_RBUTTON, Point(20, 20));
    EXPECT_TRUE(answers());
    PostMessageA(panel, WM_RBUTTONUP, 0, Point(20, 20));
    PostMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    EXPECT_TRUE(answers());

    ASSERT_TRUE(sim.Send("wake H"));
    RECT desk = ClientRect(GetDesktopWindow()), pr = ScreenRect(panel);
    int hs = desk.right / (pr.right - pr.left);
    EXPECT_TRUE(WaitUntil([&] { return ScreenRect(sim.Hwnd("H")).left == hs * 18; }, 5000))
        << ScreenRect(sim.Hwnd("H")).left;
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// Forty-nine sessions of one front-end process whose thread is busy: they keep their places
// in the boxes, the program takes the user's clicks at once (a box click too, though it raises
// busy sessions), the idle action does not hold it, and the sessions act once free. W, of a
// client no box takes, answers on a thread of its own: its queries show the passes (the table
// holds fifty sessions).
TEST_F(BadInput, FortyNineBusySessionsBehindOneThreadDoNotHoldTheProgram) {
    quilvo.DebugIt(true);
    std::string scenario = "session W system=PRD client=999 user=W\n";
    std::string ini = "[Quilvo]\nIDLE_TIMER=2\nIDLE_ACTION=/nbusy\n";
    for (int i = 0; i < 49; ++i)
        scenario += "session S" + std::to_string(i) + " thread=front system=PRD client=" + std::to_string(100 + i % 6) +
                    " user=U" + std::to_string(i) + " x=" + std::to_string(10 * i) + " y=40 w=500 h=400\n";
    for (int b = 0; b < 6; ++b) ini += "[Box" + std::to_string(b) + "]\nSelection=$" + std::to_string(100 + b) + "$$\n";
    Start(scenario, ini);
    const std::vector<int> expected = {9, 8, 8, 8, 8, 8};
    auto counts = [&] {
        std::vector<int> c;
        for (int p = 0; p < 6; ++p) c.push_back(Minis(p));
        return c;
    };
    ASSERT_TRUE(WaitUntil([&] { return counts() == expected; }, kSettle + kPass));
    ASSERT_TRUE(sim.Send("hang S0"));

    const std::vector<HWND> panels = PanelsOf(quilvo.MainWindow());
    const std::string click = "XBOXED: WM_LBUTTONDOWN\r\n";
    for (int round = 0; round < 3; ++round) {
        const int clicks = quilvo.CountLines(click);
        const DWORD begin = GetTickCount();
        PostMessageA(panels[round], WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
        PostMessageA(panels[round], WM_LBUTTONUP, 0, Point(5, 5));
        PostMessageA(panels[5], WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
        ASSERT_TRUE(quilvo.WaitForLine(click, 5000, clicks + 2));
        EXPECT_LT(GetTickCount() - begin, 2000u) << "round " << round;
        // A pass that began after the clicks (the one before it has ended, passes never overlap).
        ASSERT_TRUE(WaitForNextPass(sim, {"W"})) << "round " << round;
        EXPECT_EQ(counts(), expected) << "round " << round;
    }
    ASSERT_TRUE(WaitForNextPass(sim, {"W"}));
    EXPECT_EQ(counts(), expected) << "after the last round's pass";
    ASSERT_TRUE(sim.Send("wake S0"));
    EXPECT_TRUE(sim.WaitForLog([](const std::string& l) { return l.rfind("okcode S", 0) == 0; }, 5000));
    EXPECT_TRUE(sim.WaitForLine("show S0 hidden", 5000)) << "the hide of the box clicks reaches it once it is free";
}

}  // namespace
}  // namespace e2e
