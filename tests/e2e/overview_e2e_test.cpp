// The whole program under Wine with the session simulator, observed from outside: its
// windows, their rectangles and texts, the ini file, the simulator's log and debug lines.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_util.h"
#include "quilvo_process.h"
#include "resources/resource_ids.h"
#include "sim_client.h"

namespace e2e {
namespace {


struct Session {
    const char* name;
    int x, y, w, h;
};

const Session kThree[] = {
    {"A", 100, 50, 800, 600},
    {"B", 300, 200, 640, 480},
    {"C", 520, 400, 600, 400},
};

std::string ThreeSessions() {
    return "session A caption=\"PRD(1)/100 SAP Easy Access\" system=PRD client=100 user=ALICE group=G1 tx=SMEN "
           "x=100 y=50 w=800 h=600\n"
           "session B caption=\"QAS(1)/200 Sales\" system=QAS client=200 user=BOB group=G2 tx=VA01 "
           "x=300 y=200 w=640 h=480\n"
           "session C caption=\"DEV(1)/300 Debugger\" system=DEV client=300 user=CAROL group=G1 tx=SE80 "
           "x=520 y=400 w=600 h=400\n";
}

class Overview : public ::testing::Test {
protected:
    void StartAll(const std::string& scenario, const std::string& ini = "", const std::string& args = "") {
        ASSERT_TRUE(sim.Start(scenario)) << sim.LastError();
        if (!ini.empty()) dir.WriteIni(ini);
        ASSERT_TRUE(quilvo.Start(dir.Path(), args)) << "Quilvo did not start";
        // The single view's window is made before its panel: wait for both.
        ASSERT_TRUE(WaitUntil(
            [&] {
                return SingleView() != nullptr && PanelsOf(quilvo.MainWindow()).size() == 6 &&
                       PanelsOf(SingleView()).size() == 1;
            },
            10000))
            << "views were not created";
    }
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
    }

    HWND Main() const { return quilvo.MainWindow(); }
    HWND SingleView() const { return quilvo.SingleView(); }
    static int MiniCount(HWND panel) { return static_cast<int>(Children(panel, "XIconWin").size()); }
    std::vector<int> MiniCounts() const {
        std::vector<int> counts;
        for (HWND p : PanelsOf(Main())) counts.push_back(MiniCount(p));
        return counts;
    }
    // The panel's mini window whose session is `session`, found by the rectangle the rules
    // give it (panels hold copies, not handles, so this is how a user would tell them apart).
    static RECT ExpectedMini(HWND panel, const Session& s, int zoom = 2) {
        RECT desk = ClientRect(GetDesktopWindow());
        RECT pr = ScreenRect(panel);
        int hs = std::max(1L, (desk.right - desk.left) / (pr.right - pr.left));
        int vs = std::max(1L, (desk.bottom - desk.top) / (pr.bottom - pr.top));
        int w = std::max(12, s.w / (zoom * hs)), h = std::max(12, s.h / (zoom * vs));
        int x = s.x / hs, y = s.y / vs;
        return RECT{x, y, x + w, y + h};
    }
    static bool HasMiniAt(HWND panel, const RECT& r) {
        for (HWND m : Children(panel, "XIconWin")) {
            RECT mr = RectInParent(m);
            if (EqualRect(&r, &mr)) return true;
        }
        return false;
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
};

TEST_F(Overview, FirstRunWithoutSettingsPlacesBothViewsAndEverySession) {
    StartAll(ThreeSessions());
    HWND main = Main();
    RECT mr = ScreenRect(main);
    EXPECT_EQ(mr.left, 0);
    EXPECT_EQ(mr.top, 0);
    EXPECT_EQ(mr.right - mr.left, 300);
    EXPECT_EQ(mr.bottom - mr.top, 200);
    EXPECT_TRUE(GetWindowLongPtrA(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(IsWindowVisible(main));

    HWND single = SingleView();
    ASSERT_NE(single, nullptr);
    RECT sr = ScreenRect(single);
    EXPECT_EQ(sr.left, 0);
    EXPECT_EQ(sr.top, 0);
    EXPECT_EQ(sr.right - sr.left, 150);
    EXPECT_EQ(sr.bottom - sr.top, 150);
    EXPECT_TRUE(IsWindowVisible(single));

    // Six panels in two rows, overlapping by one pixel.
    RECT client = ClientRect(main);
    int pw = client.right / 3, ph = client.bottom / 2;
    std::vector<HWND> panels = PanelsOf(main);
    ASSERT_EQ(panels.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        RECT r = RectInParent(panels[i]);
        EXPECT_EQ(r.left, 1 + (i % 3) * (pw - 1)) << i;
        EXPECT_EQ(r.top, i < 3 ? 1 : ph - 1) << i;
        EXPECT_EQ(r.right - r.left, pw) << i;
        EXPECT_EQ(r.bottom - r.top, ph) << i;
    }
    // One panel in the single view.
    std::vector<HWND> singlePanels = PanelsOf(single);
    ASSERT_EQ(singlePanels.size(), 1u);
    RECT sc = ClientRect(single), spr = RectInParent(singlePanels[0]);
    EXPECT_EQ(spr.left, 1);
    EXPECT_EQ(spr.top, 1);
    EXPECT_EQ(spr.right - spr.left, sc.right);
    EXPECT_EQ(spr.bottom - spr.top, sc.bottom - 1);

    // Without filters every box shows every session: a mini window at its scaled place and
    // a button in the row at the bottom ("-" for a debugger session).
    for (HWND panel : panels) {
        EXPECT_EQ(MiniCount(panel), 3);
        for (const Session& s : kThree) EXPECT_TRUE(HasMiniAt(panel, ExpectedMini(panel, s))) << s.name;
        std::vector<HWND> buttons = Children(panel, "Button");
        ASSERT_EQ(buttons.size(), 3u);
        // The row is laid out from the panel's own width and height (its window, border included).
        RECT pw = ScreenRect(panel);
        int W = pw.right - pw.left, H = pw.bottom - pw.top;
        int bw = W / 5, bh = H / 7;
        std::vector<LONG> xs;
        int dashes = 0;
        for (HWND b : buttons) {
            RECT br = RectInParent(b);
            xs.push_back(br.left);
            EXPECT_EQ(br.right - br.left, bw);
            EXPECT_EQ(br.bottom - br.top, bh);
            EXPECT_EQ(br.top, H - bh - 2);
            std::string text = TextOf(b);
            EXPECT_TRUE(text == "..." || text == "-") << text;
            dashes += text == "-";
        }
        EXPECT_EQ(dashes, 1);
        std::sort(xs.begin(), xs.end());
        EXPECT_EQ(xs, (std::vector<LONG>{0, bw, 2 * bw}));
    }
    EXPECT_EQ(MiniCount(singlePanels[0]), 3);
    EXPECT_FALSE(dir.IniExists()) << "nothing is written before it is asked for";
}

TEST_F(Overview, BoxSelectionsPutTheRightSessionsInTheRightPanels) {
    StartAll(ThreeSessions(),
             "[Box0]\nSelection=PRD$$$\n[Box1]\nSelection=qas$200$bob$\n[Box2]\nSelection=$$$SE80\n"
             "[Box3]\nSelection=XYZ$$$\n[Box4]\nSelection=$$CAROL$\n");
    ASSERT_TRUE(WaitUntil([&] { return MiniCounts() == std::vector<int>({1, 1, 1, 0, 1, 3}); }, kSettle))
        << "counts differ";
    std::vector<HWND> panels = PanelsOf(Main());
    EXPECT_TRUE(HasMiniAt(panels[0], ExpectedMini(panels[0], kThree[0])));
    EXPECT_TRUE(HasMiniAt(panels[1], ExpectedMini(panels[1], kThree[1])));
    EXPECT_TRUE(HasMiniAt(panels[2], ExpectedMini(panels[2], kThree[2])));
    EXPECT_TRUE(HasMiniAt(panels[4], ExpectedMini(panels[4], kThree[2])));
}

TEST_F(Overview, SessionsOpeningClosingAndMovingShowOnTheNextPass) {
    StartAll(ThreeSessions(), "[Box0]\nSelection=PRD$$$\n");
    HWND panel0 = PanelsOf(Main())[0];
    ASSERT_TRUE(WaitUntil([&] { return MiniCount(panel0) == 1; }, kSettle));

    ASSERT_TRUE(sim.Send("open D system=PRD client=101 user=DAN x=640 y=512 w=640 h=480"));
    EXPECT_TRUE(WaitUntil([&] { return MiniCount(panel0) == 2; }, kSettle));
    EXPECT_TRUE(WaitUntil([&] { return MiniCount(PanelsOf(Main())[5]) == 4; }, kSettle));

    ASSERT_TRUE(sim.Send("move A 0 0 1280 1024"));
    Session moved{"A", 0, 0, 1280, 1024};
    EXPECT_TRUE(WaitUntil([&] { return HasMiniAt(panel0, ExpectedMini(panel0, moved)); }, kSettle));

    ASSERT_TRUE(sim.Send("close D"));
    EXPECT_TRUE(WaitUntil([&] { return MiniCount(panel0) == 1; }, kSettle));
}

// Fifty sessions in six boxes. Every title changes and a third of the sessions move: the
// views follow in place, every mini window and button keeps its window (nothing is destroyed
// and made again, so nothing flickers), the moved ones stand at their new places and a title
// that now names the debugger shows on its button.
TEST_F(Overview, FiftySessionsKeepTheirWindowsThroughNewTitlesAndMoves) {
    std::string scenario, ini;
    for (int i = 0; i < 50; ++i) {
        scenario += "session S" + std::to_string(i) + " caption=\"PRD(1)/" + std::to_string(100 + i % 6) +
                    " Easy Access\" system=PRD client=" + std::to_string(100 + i % 6) + " user=U" + std::to_string(i) +
                    " x=" + std::to_string(i * 12) + " y=" + std::to_string(i * 9) + " w=640 h=480\n";
    }
    for (int b = 0; b < 6; ++b) ini += "[Box" + std::to_string(b) + "]\nSelection=PRD$" + std::to_string(100 + b) + "$$\n";
    StartAll(scenario, ini);
    const std::vector<int> counts = {9, 9, 8, 8, 8, 8};
    ASSERT_TRUE(WaitUntil([&] { return MiniCounts() == counts && MiniCount(PanelsOf(SingleView())[0]) == 50; }, 4 * kSettle));
    const auto windows = [&] {
        std::vector<HWND> all;
        for (HWND view : {Main(), SingleView()}) {
            for (HWND panel : PanelsOf(view)) {
                for (const char* cls : {"XIconWin", "Button"}) {
                    for (HWND w : Children(panel, cls)) all.push_back(w);
                }
            }
        }
        std::sort(all.begin(), all.end());
        return all;
    };
    // The mini windows come before their buttons.
    std::vector<HWND> before;
    ASSERT_TRUE(WaitUntil([&] { return (before = windows()).size() == 2u * 100u; }, kSettle)) << before.size();
    // The single view's mini window of S45, which moves last.
    HWND s45 = nullptr;
    for (HWND mini : Children(PanelsOf(SingleView())[0], "XIconWin"))
        if ((" " + TextOf(mini) + " ").find(" U45 ") != std::string::npos) s45 = mini;
    ASSERT_NE(s45, nullptr);
    const RECT s45Before = RectInParent(s45);

    for (int i = 0; i < 50; ++i) {
        const std::string name = "S" + std::to_string(i);
        ASSERT_TRUE(sim.Send("caption " + name + (i == 0 ? " PRD(1)/100 ABAP Debugger" : " PRD(1)/100 Screen 2")));
        if (i % 3 == 0) {
            ASSERT_TRUE(sim.Send("move " + name + " " + std::to_string(600 + i * 4) + " 300 640 480"));
        }
    }
    HWND panel3 = PanelsOf(Main())[3];  // S3, S9, ... S45: all moved
    const Session moved{"S45", 600 + 45 * 4, 300, 640, 480};
    const auto debuggerButton = [&] {
        for (HWND b : Children(PanelsOf(Main())[0], "Button")) {
            if (TextOf(b) == "-") return true;
        }
        return false;
    };
    // Both views have taken the pass that saw the last change: the single view, updated after
    // the main one from the same table, names every session's new title and shows S45 moved.
    const auto singleFollowed = [&] {
        const RECT s45Now = RectInParent(s45);
        if (EqualRect(&s45Now, &s45Before)) return false;
        for (HWND mini : Children(PanelsOf(SingleView())[0], "XIconWin")) {
            const std::string name = TextOf(mini);
            if (name.find("Screen 2") == std::string::npos && name.find("ABAP Debugger") == std::string::npos)
                return false;
        }
        return true;
    };
    EXPECT_TRUE(WaitUntil(
        [&] { return HasMiniAt(panel3, ExpectedMini(panel3, moved)) && debuggerButton() && singleFollowed(); },
        kSettle));
    EXPECT_EQ(windows(), before) << "a window was destroyed and made again";
    EXPECT_EQ(MiniCounts(), counts);
}

TEST_F(Overview, LeftClickOnAPanelMakesItsBoxTheVisibleDesktop) {
    StartAll(ThreeSessions(), "[Box0]\nSelection=$$$\n[Box1]\nSelection=QAS$$$\n");
    std::vector<HWND> panels = PanelsOf(Main());
    HWND b = sim.Hwnd("B");
    PostMessageA(panels[1], WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    PostMessageA(panels[1], WM_LBUTTONUP, 0, Point(5, 5));
    EXPECT_TRUE(sim.WaitForLine("show A hidden", 5000));
    EXPECT_TRUE(sim.WaitForLine("show C hidden", 5000));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(b) && !IsWindowVisible(sim.Hwnd("A")); }, 5000));
    // Logged as the session takes the hide; the window is hidden a moment later.
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(sim.Hwnd("C")); }, 3000));

    // A box of three: every session is shown again.
    PostMessageA(panels[0], WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    PostMessageA(panels[0], WM_LBUTTONUP, 0, Point(5, 5));
    EXPECT_TRUE(WaitUntil(
        [&] {
            return IsWindowVisible(sim.Hwnd("A")) && IsWindowVisible(sim.Hwnd("B")) && IsWindowVisible(sim.Hwnd("C"));
        },
        5000));
}

// The first of A, B and C in the desktop's z-order.
HWND TopmostOf(const std::vector<HWND>& sessions) {
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        if (std::find(sessions.begin(), sessions.end(), w) != sessions.end()) return w;
    return nullptr;
}

TEST_F(Overview, LeftClickRaisesTheBoxWithItsFirstSessionOnTop) {
    quilvo.DebugIt(true);
    StartAll(ThreeSessions());
    HWND panel = PanelsOf(Main())[0];
    std::vector<HWND> sessions = {sim.Hwnd("A"), sim.Hwnd("B"), sim.Hwnd("C")};

    // The box's first session is the one whose button starts the row; its tip names it.
    HWND firstButton = nullptr;
    for (HWND b : Children(panel, "Button"))
        if (RectInParent(b).left == 0) firstButton = b;
    ASSERT_NE(firstButton, nullptr);
    PostMessageA(firstButton, WM_MOUSEMOVE, 0, Point(2, 2));
    ASSERT_TRUE(WaitUntil([&] { return !quilvo.TopWindows("XToolTip").empty(); }, 3000));
    std::string firstTitle = quilvo.ReadText(GetWindowLongPtrA(quilvo.TopWindows("XToolTip")[0], GWLP_USERDATA));
    HWND first = nullptr;
    for (HWND s : sessions)
        if (TextOf(s) == firstTitle) first = s;
    ASSERT_NE(first, nullptr) << firstTitle;

    // Put another session on top; a change of z-order alone does not rebuild the box.
    HWND other = first == sessions[0] ? sessions[1] : sessions[0];
    SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitUntil([&] { return TopmostOf(sessions) == other; }, 2000));

    PostMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, Point(5, 5));
    PostMessageA(panel, WM_LBUTTONUP, 0, Point(5, 5));
    EXPECT_TRUE(WaitUntil([&] { return TopmostOf(sessions) == first; }, 5000));
    EXPECT_TRUE(quilvo.WaitForLine("XBOXED: WM_LBUTTONDOWN\r\n", 1000));
}

TEST_F(Overview, ClickOnAMiniWindowRestoresAndRaisesItsSession) {
    quilvo.DebugIt(true);
    StartAll(ThreeSessions(), "[Box0]\nSelection=QAS$$$\n");
    HWND panel0 = PanelsOf(Main())[0];
    ASSERT_TRUE(WaitUntil([&] { return MiniCount(panel0) == 1; }, kSettle));
    ASSERT_TRUE(sim.Send("minimize B"));
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(sim.Hwnd("B")) != FALSE; }, 3000));
    HWND mini = Children(panel0, "XIconWin")[0];
    PostMessageA(mini, WM_LBUTTONDOWN, MK_LBUTTON, Point(2, 2));
    PostMessageA(mini, WM_LBUTTONUP, 0, Point(2, 2));
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(sim.Hwnd("B")) && IsWindowVisible(sim.Hwnd("B")); }, 5000));
    EXPECT_TRUE(quilvo.WaitForLine("WM_RBUTTONDOWN\r\n", 2000));  // the left press's line
}

TEST_F(Overview, RightDragOfAMiniWindowMovesTheSessionByTheScaleAndPausesTheRefresh) {
    quilvo.DebugIt(true);
    StartAll(ThreeSessions(), "[Box0]\nSelection=QAS$$$\n");
    HWND panel0 = PanelsOf(Main())[0];
    ASSERT_TRUE(WaitUntil([&] { return MiniCount(panel0) == 1; }, kSettle));
    HWND mini = Children(panel0, "XIconWin")[0];
    RECT desk = ClientRect(GetDesktopWindow());
    RECT pr = ScreenRect(panel0);
    int hs = desk.right / (pr.right - pr.left), vs = desk.bottom / (pr.bottom - pr.top);

    PostMessageA(mini, WM_RBUTTONDOWN, MK_RBUTTON, Point(2, 3));
    ASSERT_TRUE(quilvo.WaitForLine("WM_LBUTTONDOWN\r\n", 3000));
    // The panel holds the capture now: pointer moves arrive in its client coordinates.
    PostMessageA(panel0, WM_MOUSEMOVE, MK_RBUTTON, Point(12, 9));
    int ax = 12 - 2, ay = 9 - 3;
    EXPECT_TRUE(WaitUntil(
        [&] {
            RECT r = ScreenRect(sim.Hwnd("B"));
            return r.left == hs * ax && r.top == vs * ay;
        },
        3000))
        << "session at " << ScreenRect(sim.Hwnd("B")).left << "," << ScreenRect(sim.Hwnd("B")).top;
    RECT r = ScreenRect(sim.Hwnd("B"));
    EXPECT_EQ(r.right - r.left, 640);

    EXPECT_TRUE(quilvo.WaitForLine("Drag skipped\r\n", kSettle)) << "the refresh runs during a drag";
    PostMessageA(panel0, WM_RBUTTONUP, 0, Point(12, 9));
    EXPECT_TRUE(WaitForNextPass(sim)) << "the refresh stays paused after the drag";
}

// A drag whose mouse capture is taken away (a dialog pops up, the user switches away), or
// whose button was released elsewhere, ends: the refresh goes on, and a plain mouse move
// moves nothing.
TEST_F(Overview, ADragThatLosesTheMouseEndsAndTheRefreshGoesOn) {
    quilvo.DebugIt(true);
    StartAll(ThreeSessions(), "[Box0]\nSelection=QAS$$$\n");
    HWND panel0 = PanelsOf(Main())[0];
    ASSERT_TRUE(WaitUntil([&] { return MiniCount(panel0) == 1; }, kSettle));
    struct Loss {
        const char* what;
        UINT message;
        WPARAM wp;
    };
    const Loss losses[] = {{"cancel mode", WM_CANCELMODE, 0},
                           {"capture taken", WM_CAPTURECHANGED, 0},
                           {"move without a button", WM_MOUSEMOVE, 0}};
    for (const Loss& loss : losses) {
        SCOPED_TRACE(loss.what);
        const RECT before = ScreenRect(sim.Hwnd("B"));
        const int presses = quilvo.CountLines("WM_LBUTTONDOWN\r\n");
        PostMessageA(Children(panel0, "XIconWin")[0], WM_RBUTTONDOWN, MK_RBUTTON, Point(2, 3));
        ASSERT_TRUE(quilvo.WaitForLine("WM_LBUTTONDOWN\r\n", 3000, presses + 1));
        const int skipped = quilvo.CountLines("Drag skipped\r\n");
        ASSERT_TRUE(quilvo.WaitForLine("Drag skipped\r\n", kSettle, skipped + 1)) << "no drag began";
        PostMessageA(panel0, loss.message, loss.wp, loss.message == WM_MOUSEMOVE ? Point(40, 30) : 0);
        // Any further move without a button moves nothing either.
        PostMessageA(panel0, WM_MOUSEMOVE, 0, Point(30, 20));
        EXPECT_TRUE(WaitForNextPass(sim, {"B"})) << "the refresh is still paused";
        const RECT now = ScreenRect(sim.Hwnd("B"));
        EXPECT_EQ(now.left, before.left);
        EXPECT_EQ(now.top, before.top);
    }
    // The overview follows the sessions again (the panel skips the first rebuild after a click
    // on it, so the session moves twice).
    const int rebuilds = RebuildLines(quilvo);
    ASSERT_TRUE(sim.Send("move B 60 30 640 480"));
    ASSERT_TRUE(WaitForRebuild(quilvo, rebuilds)) << "the rebuild the panel skips";
    ASSERT_TRUE(sim.Send("move B 40 30 640 480"));
    EXPECT_TRUE(WaitUntil([&] { return HasMiniAt(panel0, ExpectedMini(panel0, Session{"B", 40, 30, 640, 480})); },
                          kSettle));
}

TEST_F(Overview, HoverTipAppearsWithTheTitleAndGoes) {
    quilvo.DebugIt(true);
    StartAll(ThreeSessions(), "[Box0]\nSelection=QAS$$$\n");
    HWND panel0 = PanelsOf(Main())[0];
    ASSERT_TRUE(WaitUntil([&] { return MiniCount(panel0) == 1; }, kSettle));
    HWND mini = Children(panel0, "XIconWin")[0];
    DWORD t0 = GetTickCount();
    PostMessageA(mini, WM_MOUSEMOVE, 0, Point(3, 3));
    ASSERT_TRUE(WaitUntil([&] { return !quilvo.TopWindows("XToolTip").empty(); }, 3000)) << "no tip";
    DWORD shown = GetTickCount() - t0;
    EXPECT_GE(shown, 250u);
    HWND tip = quilvo.TopWindows("XToolTip")[0];
    // Seen from outside, the tip may be caught between its creation and its placement.
    EXPECT_TRUE(WaitUntil(
        [&] {
            return IsWindowVisible(tip) && (GetWindowLongPtrA(tip, GWL_EXSTYLE) & WS_EX_TOPMOST) &&
                   ScreenRect(tip).bottom - ScreenRect(tip).top == 12;
        },
        500));
    // The tip window paints the text its user data points to: the session's title.
    EXPECT_EQ(quilvo.ReadText(GetWindowLongPtrA(tip, GWLP_USERDATA)), "QAS(1)/200 Sales");
    EXPECT_TRUE(quilvo.WaitForLine("CreateWindowEx ToolTip \r\n", 1000));
    EXPECT_TRUE(WaitUntil([&] { return quilvo.TopWindows("XToolTip").empty(); }, 3000)) << "the tip stays";
    EXPECT_TRUE(quilvo.WaitForLine("ToolTipDestroyTimerProc\r\n", 1000));
}

TEST_F(Overview, VisibleZeroStartsThatViewHidden) {
    StartAll(ThreeSessions(), "[BoxedViewSingle]\nVisible=0\n");
    HWND single = SingleView();
    ASSERT_NE(single, nullptr);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(single); }, 3000));
    EXPECT_TRUE(IsWindowVisible(Main()));
}

TEST_F(Overview, CloseBoxHidesTheMainWindowAndTheProgramGoesOn) {
    StartAll(ThreeSessions());
    HWND main = Main();
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }, 3000));
    EXPECT_TRUE(WaitForNextPass(sim)) << "the passes go on";
    EXPECT_TRUE(quilvo.Running());
    EXPECT_TRUE(IsWindow(main));
}

TEST_F(Overview, OpacityFromTheSettingsMakesTheMainWindowLayered) {
    StartAll(ThreeSessions(), "[Quilvo]\nOPACITY=150\n");
    HWND main = Main();
    EXPECT_TRUE(GetWindowLongPtrA(main, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(main, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 150);
    EXPECT_TRUE(flags & LWA_ALPHA);
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

TEST_F(Overview, RightPressOnTheTrayIconRefreshesAtOnceAndShowsNoMenu) {
    StartAll(ThreeSessions(), "[Box0]\nSelection=PRD$$$\n");
    HWND panel = PanelsOf(Main())[0];
    ASSERT_TRUE(WaitUntil([&] { return MiniCount(panel) == 1; }, kSettle));
    HWND trayHost = nullptr;
    for (HWND w : quilvo.TopWindows("#32770"))
        if (TextOf(w) == "zrt::quorval /3 Tarvo Lite") trayHost = w;
    ASSERT_NE(trayHost, nullptr);
    EXPECT_FALSE(IsWindowVisible(trayHost));

    ASSERT_TRUE(sim.Send("open P system=PRD client=101 user=PAT x=10 y=10 w=300 h=200"));
    DWORD begin = GetTickCount();
    DWORD_PTR r = 0;
    SendMessageTimeoutA(trayHost, WM_QUILVO_TRAYICON, IDI_QUILVO, WM_RBUTTONDOWN, SMTO_NORMAL, 5000, &r);
    EXPECT_LT(GetTickCount() - begin, 500u) << "the sender is answered at once";
    // The pass it started ends when the sessions have answered, long before the next timer's.
    EXPECT_TRUE(WaitUntil([&] { return MiniCount(panel) == 2; }, 1500));
    EXPECT_LT(GetTickCount() - begin, 1500u);

    // The left click's menu is tested with the tray menu. A menu opened at the press would have
    // held back the end of that pass until it closed: the tray menu is a wait.
    EXPECT_TRUE(quilvo.TopWindows("#32768").empty() ||
                !IsWindowVisible(quilvo.TopWindows("#32768")[0]));
}

}  // namespace
}  // namespace e2e
