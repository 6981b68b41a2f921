// The desk of two monitors, end to end: Quilvo.exe and the session simulator under Wine on the
// bed where Wine reports two monitors (scripts/two-monitors: Xorg's dummy driver, two screens
// under Xinerama, Wine without a virtual desktop). The bed names its layout in QUILVO_MONITORS:
// the second monitor (1024 x 768) right of, left of or above the primary (1280 x 1024). CTest
// runs this suite once per layout (e2e_monitors_right, _left, _above); anywhere else every
// test is skipped.
//
// One Quilvo and one simulator serve the suite, since each start costs seconds under Wine;
// each test looks at sessions of its own, and the one that moves a session comes last. There
// is no window manager on that bed (no frames, no taskbar, no notification area): real input
// goes to X, whose coordinates start at the virtual screen's corner, not the primary's.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "e2e_util.h"
#include "quilvo_process.h"
#include "real_input.h"
#include "sim_client.h"

namespace e2e {
namespace {


struct Layout {
    const char* name;
    RECT second;  // in Wine's screen coordinates: the primary's corner is 0,0
};
constexpr RECT kPrimary = {0, 0, 1280, 1024};
const Layout kLayouts[] = {
    {"right", {1280, 0, 2304, 768}},
    {"left", {-1024, 0, 0, 768}},
    {"above", {0, -768, 1024, 0}},
};

// The layout the bed says it runs, or none off that bed.
const Layout* BedLayout() {
    char name[32] = {};
    if (GetEnvironmentVariableA("QUILVO_MONITORS", name, sizeof name) == 0) return nullptr;
    for (const Layout& layout : kLayouts)
        if (std::strcmp(layout.name, name) == 0) return &layout;
    return nullptr;
}

std::vector<RECT> Monitors() {
    std::vector<RECT> found;
    EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR monitor, HDC, LPRECT, LPARAM p) -> BOOL {
            MONITORINFO info = {};
            info.cbSize = sizeof info;
            if (GetMonitorInfoA(monitor, &info)) reinterpret_cast<std::vector<RECT>*>(p)->push_back(info.rcMonitor);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

RECT VirtualScreen() {
    const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
    return RECT{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.right - r.left) + "x" +
           std::to_string(r.bottom - r.top);
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// A session's normal rectangle.
struct Place {
    int x, y, w, h;
};

class TwoMonitors : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        layout_ = BedLayout();
        if (layout_ == nullptr) return;
        const RECT& m = layout_->second;
        // On the second monitor: S and M, maximised there (box 0); on the primary: P, and D,
        // alone in box 1, to be dragged. Box 2 has no filter and shows them all.
        s_ = Place{m.left + 200, m.top + 100, 600, 400};
        m_ = Place{m.left + 100, m.top + 150, 500, 300};
        p_ = Place{400, 300, 640, 480};
        d_ = Place{700, 450, 400, 300};
        const auto at = [](const Place& p) {
            return " x=" + std::to_string(p.x) + " y=" + std::to_string(p.y) + " w=" + std::to_string(p.w) +
                   " h=" + std::to_string(p.h);
        };
        sim_ = std::make_unique<sessionsim::Simulator>();
        dir_ = std::make_unique<TempFolder>();
        quilvo_ = std::make_unique<QuilvoProcess>();
        if (!sim_->Start("session S system=QAS client=200 user=SUE tx=VA01" + at(s_) + "\n" +
                         "session M system=QAS client=200 user=MAX tx=SE38 max" + at(m_) + "\n" +
                         "session P system=PRD client=100 user=PAT tx=SMEN" + at(p_) + "\n" +
                         "session D system=DEV client=300 user=DAN tx=SE80" + at(d_) + "\n")) {
            error_ = "the simulator did not start: " + sim_->LastError();
            return;
        }
        // A larger main view than the default (300 x 200) for finer panels; the all-sessions
        // view, which would stand at the same place, hidden.
        dir_->WriteIni(
            "[Box0]\r\nSelection=QAS$$$\r\n[Box1]\r\nSelection=DEV$$$\r\n"
            "[BoxedViewToolWindow]\r\nWindowX=0\r\nWindowY=0\r\nWidth=600\r\nHeight=400\r\n"
            "[BoxedViewSingle]\r\nVisible=0\r\n");
        if (!quilvo_->Start(dir_->Path())) {
            error_ = "Quilvo did not start";
            return;
        }
        if (!WaitUntil([] { return PanelsOf(quilvo_->MainWindow()).size() == 6; }, 10000)) {
            error_ = "the main view has no six panels";
            return;
        }
        if (!WaitUntil([] { return MiniCounts() == std::vector<int>{2, 1, 4}; }, 2 * kSettle)) {
            error_ = "the sessions are not in their boxes";
        }
    }
    static void TearDownTestSuite() {
        if (quilvo_) quilvo_->Kill();
        if (sim_) sim_->Stop();
        quilvo_.reset();
        dir_.reset();
        sim_.reset();
    }
    void SetUp() override {
        if (layout_ == nullptr) GTEST_SKIP() << "needs the two-monitor bed (scripts/two-monitors LAYOUT ...)";
        ASSERT_TRUE(error_.empty()) << error_;
    }

    static std::vector<int> MiniCounts() {
        std::vector<int> counts;
        const auto panels = PanelsOf(quilvo_->MainWindow());
        for (std::size_t i = 0; i < 3 && i < panels.size(); ++i)
            counts.push_back(static_cast<int>(Children(panels[i], "XIconWin").size()));
        return counts;
    }
    static HWND Panel(int i) {
        const auto panels = PanelsOf(quilvo_->MainWindow());
        return i < static_cast<int>(panels.size()) ? panels[static_cast<std::size_t>(i)] : nullptr;
    }

    // The mapping of the views: the virtual screen over the panel, one whole ratio per direction.
    struct Scale {
        RECT desk;
        int h, v;
    };
    static Scale ScaleOf(HWND panel) {
        const RECT desk = VirtualScreen();
        const RECT pr = ScreenRect(panel);
        return Scale{desk, std::max(1L, (desk.right - desk.left) / (pr.right - pr.left)),
                     std::max(1L, (desk.bottom - desk.top) / (pr.bottom - pr.top))};
    }
    // Where the panel shows a session whose place is x, y and whose size is w x h: from the
    // virtual screen's corner at the panel's scale, the size halved again (zoom factor 2),
    // never under 12 pixels.
    static RECT Expected(HWND panel, int x, int y, int w, int h) {
        const Scale s = ScaleOf(panel);
        const int left = (x - s.desk.left) / s.h, top = (y - s.desk.top) / s.v;
        return RECT{left, top, left + std::max(12, w / (2 * s.h)), top + std::max(12, h / (2 * s.v))};
    }
    static RECT Expected(HWND panel, const Place& p) { return Expected(panel, p.x, p.y, p.w, p.h); }
    static bool HasMiniAt(HWND panel, const RECT& r) {
        for (HWND m : Children(panel, "XIconWin")) {
            const RECT mr = RectInParent(m);
            if (EqualRect(&r, &mr)) return true;
        }
        return false;
    }
    static std::string MinisOf(HWND panel) {
        std::string text;
        for (HWND m : Children(panel, "XIconWin")) text += " [" + Describe(RectInParent(m)) + "]";
        return text;
    }
    // The part of the panel that maps a monitor.
    static RECT PartOf(HWND panel, const RECT& monitor) {
        const Scale s = ScaleOf(panel);
        return RECT{(monitor.left - s.desk.left) / s.h, (monitor.top - s.desk.top) / s.v,
                    (monitor.right - s.desk.left) / s.h, (monitor.bottom - s.desk.top) / s.v};
    }
    static bool Inside(const RECT& inner, const RECT& outer) {
        return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
               inner.bottom <= outer.bottom;
    }

    static const Layout* layout_;
    static std::string error_;
    static Place s_, m_, p_, d_;
    static std::unique_ptr<sessionsim::Simulator> sim_;
    static std::unique_ptr<TempFolder> dir_;
    static std::unique_ptr<QuilvoProcess> quilvo_;
};

const Layout* TwoMonitors::layout_ = nullptr;
std::string TwoMonitors::error_;
Place TwoMonitors::s_, TwoMonitors::m_, TwoMonitors::p_, TwoMonitors::d_;
std::unique_ptr<sessionsim::Simulator> TwoMonitors::sim_;
std::unique_ptr<TempFolder> TwoMonitors::dir_;
std::unique_ptr<QuilvoProcess> TwoMonitors::quilvo_;

// The bed itself: Wine reports the primary and the second monitor where the layout puts it,
// and the virtual screen is their union.
TEST_F(TwoMonitors, WineReportsBothMonitorsOfTheLayout) {
    const std::vector<RECT> monitors = Monitors();
    ASSERT_EQ(monitors.size(), 2u);
    EXPECT_TRUE(EqualRect(&monitors[0], &kPrimary)) << Describe(monitors[0]);
    EXPECT_TRUE(EqualRect(&monitors[1], &layout_->second)) << Describe(monitors[1]);
    RECT both = {};
    UnionRect(&both, &kPrimary, &layout_->second);
    const RECT desk = VirtualScreen();
    EXPECT_TRUE(EqualRect(&desk, &both)) << Describe(desk);
}

// Every session at its proportional place in the panels: those on the second monitor in the
// part of each panel that maps it, those on the primary in the primary's part.
TEST_F(TwoMonitors, SessionsOnBothMonitorsAppearAtTheirProportionalPlaces) {
    for (int i : {0, 2}) {
        HWND panel = Panel(i);
        SCOPED_TRACE("panel " + std::to_string(i) + ":" + MinisOf(panel));
        const RECT s = Expected(panel, s_);
        EXPECT_TRUE(HasMiniAt(panel, s)) << "S at " << Describe(s);
        EXPECT_TRUE(Inside(s, PartOf(panel, layout_->second)));
        if (i != 2) continue;
        for (const Place& p : {p_, d_}) {
            const RECT r = Expected(panel, p);
            EXPECT_TRUE(HasMiniAt(panel, r)) << "at " << Describe(r);
            EXPECT_TRUE(Inside(r, PartOf(panel, kPrimary)));
        }
    }
}

// A session maximised on the second monitor fills it, and its mini window stands at that
// monitor's corner in the panel.
TEST_F(TwoMonitors, AMaximisedSessionAppearsAtItsMonitorsCorner) {
    HWND m = sim_->Hwnd("M");
    ASSERT_TRUE(IsZoomed(m));
    // Its frame stands out of the monitor by its width all round, as on Windows.
    const RECT now = ScreenRect(m);
    EXPECT_EQ(MonitorFromWindow(m, MONITOR_DEFAULTTONULL), MonitorFromRect(&layout_->second, MONITOR_DEFAULTTONULL))
        << "maximised over " << Describe(now);
    RECT covered = {};
    IntersectRect(&covered, &now, &layout_->second);
    EXPECT_TRUE(EqualRect(&covered, &layout_->second)) << "maximised over " << Describe(now);
    // Its size as the platform reports it to another process (the maximised one under Wine).
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    ASSERT_TRUE(GetWindowPlacement(m, &wp));
    const RECT& n = wp.rcNormalPosition;
    for (int i : {0, 2}) {
        HWND panel = Panel(i);
        SCOPED_TRACE("panel " + std::to_string(i) + ":" + MinisOf(panel));
        const RECT r = Expected(panel, layout_->second.left, layout_->second.top, n.right - n.left, n.bottom - n.top);
        EXPECT_TRUE(HasMiniAt(panel, r)) << "at " << Describe(r);
        const RECT part = PartOf(panel, layout_->second);
        EXPECT_EQ(r.left, part.left);
        EXPECT_EQ(r.top, part.top);
    }
}

// Ctrl+Alt+Space, typed while the pointer is on a monitor, opens the find window in the middle
// of that monitor's work area (the whole monitor here: no taskbar), and Escape closes it.
// The pointer stands in the middle of the monitor, over a session (S or M, P), where the find
// window opens: with no window manager X gives the keys to the window under the pointer, and
// Wine takes a hotkey from any of its windows but passes other keys to the focus only when
// they come to the focus's own window.
TEST_F(TwoMonitors, TheFindWindowOpensOnThePointersMonitor) {
    const struct {
        const char* where;
        RECT monitor;
    } cases[] = {{"second", layout_->second}, {"primary", kPrimary}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.where);
        const POINT pointer = Centre(c.monitor);
        ASSERT_TRUE(RealMove(pointer));
        POINT seen = {};
        ASSERT_TRUE(WaitUntil([&] { return GetCursorPos(&seen) && seen.x == pointer.x && seen.y == pointer.y; }, 2000))
            << "the pointer is at " << seen.x << "," << seen.y;
        ASSERT_TRUE(RealKeys("ctrl+alt+space"));
        HWND find = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] {
                const auto windows = quilvo_->TopWindows("QuilvoFind");
                find = windows.empty() ? nullptr : windows.front();
                return find != nullptr && IsWindowVisible(find);
            },
            3000))
            << "the hotkey opens the find window";
        const int w = 600, h = 340;  // at 96 DPI
        const RECT& m = c.monitor;
        const RECT expected = {m.left + (m.right - m.left - w) / 2, m.top + (m.bottom - m.top - h) / 2, 0, 0};
        RECT r = {};
        EXPECT_TRUE(WaitUntil(
            [&] {
                r = ScreenRect(find);
                return r.left == expected.left && r.top == expected.top && r.right - r.left == w &&
                       r.bottom - r.top == h;
            },
            2000))
            << "at " << Describe(r);
        ASSERT_TRUE(RealKeys("Escape"));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(find); }, 3000)) << "Escape closes it";
    }
}

// Real right-button drag of D's mini window from the primary's part of its panel into the
// second monitor's: the session window goes to the second monitor, at the place the scale
// gives, and the panel of every session shows it there.
TEST_F(TwoMonitors, ARightDragAcrossTheMonitorsMovesTheSessionThere) {
    HWND panel = Panel(1);
    ASSERT_EQ(Children(panel, "XIconWin").size(), 1u);
    HWND mini = Children(panel, "XIconWin")[0];
    HWND d = sim_->Hwnd("D");
    const Scale scale = ScaleOf(panel);
    const RECT desk = scale.desk;

    // Pressed in the middle of the mini window; released where the mini window's corner
    // stands for a place 150, 120 into the second monitor.
    const POINT press = Centre(ScreenRect(mini));
    POINT grab = press;
    ScreenToClient(mini, &grab);
    const POINT corner = {(layout_->second.left + 150 - desk.left) / scale.h,
                          (layout_->second.top + 120 - desk.top) / scale.v};
    POINT release = {corner.x + grab.x, corner.y + grab.y};
    ClientToScreen(panel, &release);
    ASSERT_TRUE(RealRightDrag(press, release));

    const POINT to = {desk.left + scale.h * corner.x, desk.top + scale.v * corner.y};
    RECT r = {};
    EXPECT_TRUE(WaitUntil(
        [&] {
            r = ScreenRect(d);
            return r.left == to.x && r.top == to.y;
        },
        3000))
        << "the session is at " << Describe(r) << ", not at " << to.x << "," << to.y;
    EXPECT_EQ(r.right - r.left, d_.w);
    EXPECT_EQ(r.bottom - r.top, d_.h);
    EXPECT_EQ(MonitorFromWindow(d, MONITOR_DEFAULTTONULL), MonitorFromRect(&layout_->second, MONITOR_DEFAULTTONULL))
        << "on the second monitor";

    // The next passes show it there in the panel of every session.
    HWND all = Panel(2);
    const RECT there = Expected(all, to.x, to.y, d_.w, d_.h);
    EXPECT_TRUE(WaitUntil([&] { return HasMiniAt(all, there); }, kSettle)) << Describe(there) << " in" << MinisOf(all);
    EXPECT_TRUE(Inside(there, PartOf(all, layout_->second)));
}

}  // namespace
}  // namespace e2e
