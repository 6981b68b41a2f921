// The hover tip with real windows and timers on the test thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/window_classes.h"
#include "core/drag_probe.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "views/class_brush.h"
#include "views/hover_tip.h"
#include "gdi_slots.h"
#include "window_helpers.h"

namespace quilvo {
namespace {

using test::DebugLines;
using test::GdiSlots;
using test::PumpFor;
using test::PumpUntil;

bool IsTipClass(HWND wnd) {
    char name[32] = {};
    GetClassNameA(wnd, name, sizeof name);
    return std::strcmp(name, "XToolTip") == 0;
}

int TipWindowCount() {
    int n = 0;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND wnd, LPARAM count) -> BOOL {
            if (IsTipClass(wnd)) ++*reinterpret_cast<int*>(count);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

// Counts the tip windows created on this thread, with the tick of the last creation.
struct TipCreations {
    static inline int count = 0;
    static inline DWORD lastTick = 0;
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        if (code == HCBT_CREATEWND && IsTipClass(reinterpret_cast<HWND>(wp))) {
            ++count;
            lastTick = GetTickCount();
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
};


class HoverTipTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        RegisterWindowClasses(GetModuleHandleA(nullptr));
    }

    void SetUp() override {
        drag.set = false;
        tip().UseDrag(&drag);
        targetA = MakeTarget();
        targetB = MakeTarget();
        ASSERT_NE(targetA, nullptr);
        ASSERT_NE(targetB, nullptr);
        TipCreations::count = 0;
        hook = SetWindowsHookExA(WH_CBT, TipCreations::Hook, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
    }

    void TearDown() override {
        drag.set = false;
        tip().CancelTipRequest();
        tip().DestroyTip();
        UnhookWindowsHookEx(hook);
        DestroyWindow(targetA);
        DestroyWindow(targetB);
        PumpFor(20);
        tip().UseDrag(nullptr);
    }

    static HWND MakeTarget() {
        return CreateWindowExA(0, "STATIC", "target", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }

    // In the tip's own font (12 pixels at 96 DPI), not the target's: the target's DC holds the
    // system font, some four pixels a character wider, and a tip measured in it cut titles.
    static int TextWidthIn(HWND target, const char* text) {
        ScopedGetDC dc(target);
        const ScopedFont font = CreateTextFont(12);
        ScopedSelectObject selected(dc.get(), font.get());
        SIZE size = {};
        GetTextExtentPoint32A(dc.get(), text, static_cast<int>(std::strlen(text)), &size);
        return size.cx;
    }

    static HoverTip& tip() { return TheHoverTip(); }

    DragFlag drag;
    HWND targetA = nullptr;
    HWND targetB = nullptr;
    HHOOK hook = nullptr;
};

TEST_F(HoverTipTest, ShowsAfterTheDelayAtTheRequestedPlaceAndGoesAfterOneSecond) {
    const char* text = "PRD 100 USER1 - Display Material";
    const DebugLines::Capture capture;

    tip().SetTarget(targetA);
    const DWORD requested = GetTickCount();
    tip().RequestTip(100, 120, text);
    EXPECT_EQ(tip().TipWindow(), nullptr);
    EXPECT_STREQ(tip().Text(), text);

    ASSERT_TRUE(PumpUntil([] { return tip().TipWindow() != nullptr; }, 3000));
    const DWORD shownAfter = TipCreations::lastTick - requested;
    EXPECT_GE(shownAfter, 280u);
    EXPECT_LE(shownAfter, 900u);

    HWND wnd = tip().TipWindow();
    EXPECT_TRUE(IsTipClass(wnd));
    EXPECT_TRUE(IsWindowVisible(wnd));
    EXPECT_TRUE(GetWindowLongPtrA(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT r = {};
    GetWindowRect(wnd, &r);
    const int width = TextWidthIn(targetA, text);
    EXPECT_GT(width, 0);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.top, 120);
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, 12);
    EXPECT_EQ(reinterpret_cast<const char*>(GetWindowLongPtrA(wnd, GWLP_USERDATA)), tip().Text());

    // A cancel no longer matters once the tip is up.
    tip().CancelTipRequest();
    EXPECT_EQ(tip().TipWindow(), wnd);

    const DWORD created = TipCreations::lastTick;
    ASSERT_TRUE(PumpUntil([] { return tip().TipWindow() == nullptr; }, 3000));
    const DWORD lived = GetTickCount() - created;
    EXPECT_GE(lived, 950u);
    EXPECT_LE(lived, 1700u);
    EXPECT_FALSE(IsWindow(wnd));
    EXPECT_EQ(TipWindowCount(), 0);
    EXPECT_EQ(TipCreations::count, 1);

    EXPECT_EQ(DebugLines::lines, (std::vector<std::string>{"ToolTipCreateTimerProc\r\n",
                                                           "CreateWindowEx ToolTip \r\n",
                                                           "ToolTipDestroyTimerProc\r\n"}));
}

TEST_F(HoverTipTest, CancelWithinTheDelayShowsNoTip) {
    tip().SetTarget(targetA);
    tip().RequestTip(50, 50, "cancelled");
    PumpFor(100);
    tip().CancelTipRequest();
    EXPECT_EQ(tip().State(), TipState::Idle);
    PumpFor(700);
    EXPECT_EQ(TipCreations::count, 0);
    EXPECT_EQ(TipWindowCount(), 0);
}

TEST_F(HoverTipTest, RequestDuringDragDoesNothing) {
    tip().SetTarget(targetA);
    tip().RequestTip(10, 10, "before the drag");
    tip().CancelTipRequest();

    drag.set = true;
    tip().RequestTip(60, 70, "during the drag");
    EXPECT_STREQ(tip().Text(), "before the drag");
    EXPECT_EQ(tip().State(), TipState::Idle);
    EXPECT_FALSE(KillTimer(targetA, TIMER_TIP_CREATE));  // no create timer was started
    PumpFor(600);
    EXPECT_EQ(TipCreations::count, 0);
}

TEST_F(HoverTipTest, RequestsOnTwoTargetsLeaveOnePendingAndOneTip) {
    tip().SetTarget(targetA);
    tip().RequestTip(10, 10, "first view");
    PumpFor(150);
    tip().SetTarget(targetB);
    const DWORD second = GetTickCount();
    tip().RequestTip(20, 20, "second view");

    // The first target's create timer is gone; only the second one runs.
    EXPECT_EQ(tip().PendingTarget(), targetB);
    EXPECT_FALSE(KillTimer(targetA, TIMER_TIP_CREATE));

    int most = 0;
    PumpUntil([&] { most = std::max(most, TipWindowCount()); return false; }, 700);
    EXPECT_EQ(TipCreations::count, 1);
    EXPECT_EQ(most, 1);
    EXPECT_GE(TipCreations::lastTick - second, 280u);  // the second request's own delay
    ASSERT_NE(tip().TipWindow(), nullptr);
    RECT r = {};
    GetWindowRect(tip().TipWindow(), &r);
    EXPECT_EQ(r.left, 20);

    // A request on the first target while the second one's tip is up removes that tip at once.
    HWND shown = tip().TipWindow();
    tip().SetTarget(targetA);
    tip().RequestTip(30, 30, "first view again");
    EXPECT_FALSE(IsWindow(shown));
    EXPECT_EQ(TipWindowCount(), 0);
    EXPECT_EQ(tip().PendingTarget(), targetA);
    most = 0;
    PumpUntil([&] { most = std::max(most, TipWindowCount()); return false; }, 600);
    EXPECT_EQ(most, 1);
    EXPECT_EQ(TipCreations::count, 2);
}

// Reads the tip's client area back and checks it shows the tip colours only: the fill
// colour around the text, some text, and nothing of what was there before the paint.
void ExpectPaintedTip(HWND wnd) {
    const COLORREF before = RGB(255, 0, 255);
    RECT client = {};
    GetClientRect(wnd, &client);
    {
        // Overpaint with the stock DC brush: this makes no new GDI object, so it works even
        // when the process has none left.
        ScopedGetDC dc(wnd);
        ASSERT_NE(dc.get(), nullptr);
        ScopedSelectObject brush(dc.get(), GetStockObject(DC_BRUSH));
        SetDCBrushColor(dc.get(), before);
        PatBlt(dc.get(), 0, 0, client.right, client.bottom, PATCOPY);
        ASSERT_EQ(GetPixel(dc.get(), 0, 0), before) << "cannot even overpaint the tip";
    }
    InvalidateRect(wnd, nullptr, FALSE);
    UpdateWindow(wnd);

    ScopedGetDC dc(wnd);
    ASSERT_NE(dc.get(), nullptr);
    const COLORREF fill = GetSysColor(COLOR_INFOBK);
    const COLORREF ink = GetSysColor(COLOR_BTNTEXT);
    int fillPixels = 0, inkPixels = 0, stale = 0;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x) {
            const COLORREF c = GetPixel(dc.get(), x, y);
            fillPixels += c == fill;
            inkPixels += c == ink;
            stale += c == before;
        }
    }
    EXPECT_EQ(stale, 0);
    EXPECT_GT(fillPixels, 0);
    EXPECT_GT(inkPixels, 0);
}

// A request and its cancel, a cycle (a tip window made, measured in its font, painted and
// destroyed) and a paint (a font and a brush made and deleted): none of them may keep a GDI
// object, so a few hundred runs of each leave the slots of the GDI handle table that the
// next objects would take as they were (GdiSlots), where one object kept per run would have
// taken every one of them.
TEST_F(HoverTipTest, RequestsCyclesAndPaintsKeepNoGdiObject) {
    const char* text = "Quilvo session";
    constexpr int kRuns = 400;
    constexpr int kCycles = 100;  // a tip window each, the dearest
    const GdiSlots slots;
    tip().SetTarget(targetA);
    const auto cycle = [&] {
        tip().RequestTip(40, 40, text);
        HoverTip::CreateTimerProc(nullptr, WM_TIMER, TIMER_TIP_CREATE, 0);
        HWND wnd = tip().TipWindow();
        UpdateWindow(wnd);
        HoverTip::DestroyTimerProc(wnd, WM_TIMER, TIMER_TIP_DESTROY, 0);
        return wnd != nullptr && tip().TipWindow() == nullptr;
    };
    ASSERT_TRUE(cycle());  // what a first tip makes once and keeps (the system's own) is made now

    std::set<unsigned> before = slots.Next();
    for (int i = 0; i < kRuns; ++i) {
        tip().RequestTip(40, 40, text);
        tip().CancelTipRequest();
    }
    EXPECT_LE(slots.Taken(before), GdiSlots::kTolerated) << "requests keep GDI objects";

    before = slots.Next();
    for (int i = 0; i < kCycles; ++i) {
        ASSERT_TRUE(cycle()) << "cycle " << i;
        if (i % 25 == 0) test::Pump();
    }
    EXPECT_LE(slots.Taken(before), GdiSlots::kTolerated) << "tip windows keep GDI objects";
    EXPECT_EQ(TipWindowCount(), 0);  // every tip window went
    EXPECT_EQ(TipCreations::count, kCycles + 1);

    tip().RequestTip(40, 40, text);
    HoverTip::CreateTimerProc(nullptr, WM_TIMER, TIMER_TIP_CREATE, 0);
    HWND wnd = tip().TipWindow();
    ASSERT_NE(wnd, nullptr);
    // The whole WM_PAINT path, BeginPaint to EndPaint; sent directly, as nothing needs to
    // reach the screen until the check below.
    SendMessageA(wnd, WM_PAINT, 0, 0);
    before = slots.Next();
    for (int i = 0; i < kRuns; ++i) SendMessageA(wnd, WM_PAINT, 0, 0);
    EXPECT_LE(slots.Taken(before), GdiSlots::kTolerated) << "paints keep GDI objects";
    ExpectPaintedTip(wnd);
}

}  // namespace
}  // namespace quilvo
