// The box panel's context menu, driven with the keyboard as a user would, and how the
// program ends through its "Quit".
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


class PanelMenu : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=ALICE x=100 y=50 w=800 h=600\n"
                              "session B system=PRD client=200 user=BOB x=300 y=260 w=640 h=480\n"
                              "session C system=PRD client=300 user=CAROL x=700 y=400 w=500 h=400\n"))
            << sim.LastError();
    }
    void Start(const std::string& ini = "") {
        if (!ini.empty()) dir.WriteIni(ini);
        ASSERT_TRUE(quilvo.Start(dir.Path()));
        ASSERT_TRUE(WaitUntil([&] { return PanelsOf(quilvo.MainWindow()).size() == 6; }, 10000));
        panel = PanelsOf(quilvo.MainWindow())[0];
        ASSERT_TRUE(WaitUntil([&] { return Children(panel, "XIconWin").size() == 3; }, kSettle));
    }
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
    }

    HWND MenuWindow() const {
        auto menus = quilvo.TopWindows("#32768");
        for (HWND m : menus)
            if (IsWindowVisible(m)) return m;
        return nullptr;
    }
    // Opens the panel's context menu and types the keys into it.
    void ChooseFromMenu(const std::vector<WPARAM>& keys) {
        PostMessageA(panel, WM_RBUTTONDOWN, MK_RBUTTON, Point(10, 10));
        PostMessageA(panel, WM_RBUTTONUP, 0, Point(10, 10));
        ASSERT_TRUE(WaitUntil([&] { return MenuWindow() != nullptr; }, 3000)) << "no menu";
        PostKeys(panel, keys);
        ASSERT_TRUE(WaitUntil([&] { return MenuWindow() == nullptr; }, 3000)) << "menu still open";
    }
    std::vector<RECT> MiniRects() const {
        std::vector<RECT> out;
        for (HWND m : Children(panel, "XIconWin")) out.push_back(RectInParent(m));
        return out;
    }
    // Two rebuilds: the click that opened the menu makes the panel skip one update. The second
    // one shows what the test waits for.
    void TwoRebuilds() {
        const int rebuilds = RebuildLines(quilvo);
        ASSERT_TRUE(sim.Send("move C 700 410 500 400"));
        ASSERT_TRUE(WaitForRebuild(quilvo, rebuilds)) << "the rebuild the panel skips";
        ASSERT_TRUE(sim.Send("move C 700 400 500 400"));
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
    HWND panel = nullptr;
};

TEST_F(PanelMenu, CascadeStairsTheMiniWindowsAndIsStoredForTheBox) {
    Start();
    std::vector<RECT> before = MiniRects();
    ChooseFromMenu({'C'});
    EXPECT_TRUE(WaitUntil([&] { return dir.IniValue("Box0", "Cascade") == "1"; }, 3000));
    RECT desk = ClientRect(GetDesktopWindow());
    RECT pr = ScreenRect(panel);
    int hs = desk.right / (pr.right - pr.left), vs = desk.bottom / (pr.bottom - pr.top);
    std::vector<RECT> after = MiniRects();
    ASSERT_EQ(after.size(), 3u);
    // Each mini window i moves to its scaled place divided once more, plus i cascade steps.
    std::vector<POINT> expected;
    for (size_t i = 0; i < before.size(); ++i) {
        bool found = false;
        for (size_t j = 0; j < before.size() && !found; ++j) {
            for (int k = 0; k < 3 && !found; ++k) {
                found = after[i].left == before[j].left / hs + k * 5 && after[i].top == before[j].top / vs + k * 5;
            }
        }
        EXPECT_TRUE(found) << "mini " << i << " at " << after[i].left << "," << after[i].top;
    }
    EXPECT_EQ(dir.IniValue("Quilvo", "WindowX"), "<missing>");

    // Off again: the file holds 0 and the next rebuilds place the windows uncascaded.
    ChooseFromMenu({'C'});
    EXPECT_TRUE(WaitUntil([&] { return dir.IniValue("Box0", "Cascade") == "0"; }, 3000));
}

TEST_F(PanelMenu, ZoomChangesTheMiniWindowSizesAtTheNextRebuild) {
    quilvo.DebugIt(true);
    Start();
    RECT desk = ClientRect(GetDesktopWindow());
    RECT pr = ScreenRect(panel);
    int hs = desk.right / (pr.right - pr.left), vs = desk.bottom / (pr.bottom - pr.top);
    auto hasSize = [&](int zoom) {
        int w = std::max(12, 800 / (zoom * hs)), h = std::max(12, 600 / (zoom * vs));
        for (const RECT& r : MiniRects())
            if (r.right - r.left == w && r.bottom - r.top == h) return true;
        return false;
    };
    ASSERT_TRUE(hasSize(2));
    ChooseFromMenu({'Z', '3'});
    TwoRebuilds();
    EXPECT_TRUE(WaitUntil([&] { return hasSize(3); }, kSettle));
}

TEST_F(PanelMenu, QuitShowsEverySessionAndWritesOnlyTheMainWindowPosition) {
    Start("[Quilvo]\nIDLE_TIMER=0\n[BoxedViewToolWindow]\nZoomFactor=5\n");
    ASSERT_TRUE(sim.Send("hide B"));
    ASSERT_TRUE(sim.Send("minimize C"));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(sim.Hwnd("B")); }, 3000));
    ChooseFromMenu({VK_UP, VK_RETURN});
    EXPECT_EQ(quilvo.WaitForExit(10000), 0u);
    EXPECT_TRUE(IsWindowVisible(sim.Hwnd("B")));
    EXPECT_FALSE(IsIconic(sim.Hwnd("C")));
    EXPECT_EQ(dir.ReadIni(), "[Quilvo]\r\nIDLE_TIMER=0\r\nWindowX=0\r\nWindowY=0\r\n[BoxedViewToolWindow]\r\nZoomFactor=5\r\n");
}

}  // namespace
}  // namespace e2e
