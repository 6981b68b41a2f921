// The real views on a desk the test describes: two monitors fed through the monitor seam, a
// change of DPI as the window system announces it, and what a mini window draws of its
// session (its label, the busy look).
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>

#include "app/window_classes.h"
#include "base/text.h"
#include "core/boxes.h"
#include "core/monitors.h"
#include "recording_ops.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "views/box_panel.h"
#include "views/boxed_view.h"
#include "views/geometry.h"
#include "views/mini_label.h"
#include "views/mini_window.h"
#include "platform/scoped_win.h"
#include "window_helpers.h"

namespace quilvo {
namespace {

using test::Pump;
using test::RectInParent;

class FixedMonitors : public MonitorSource {
public:
    MonitorList list;
    MonitorList Monitors() override { return list; }
};

std::unique_ptr<BoxList> OneSession(const SessionPlace& place, const char* system = "QAS", bool busy = false) {
    SessionTable table = {};
    SessionRecord& r = table.records[0];
    r.window = 0x5000;
    r.x = place.x;
    r.y = place.y;
    r.width = place.width;
    r.height = place.height;
    r.busy = busy ? 1 : 0;
    CopyCut(r.title, "Session");
    CopyCut(r.system, system);
    CopyCut(r.client, "200");
    CopyCut(r.transaction, "SE38");
    table.count = 1;
    return std::make_unique<BoxList>(table, 1, BoxFilter{});
}

class DeskViews : public ::testing::Test {
protected:
    test::ScratchDirectory dir_{"quilvo-desk-views"};

    void SetUp() override {
        RegisterWindowClasses(GetModuleHandleA(nullptr));
        ASSERT_TRUE(dir_.Entered());
        services_.ops = &ops_;
        services_.monitors = &monitors_;
        monitors_.list = OneMonitor(1280, 1024);
    }
    void TearDown() override {
        HWND own = view_ ? view_->ownWindow : nullptr;
        view_.reset();
        if (own) DestroyWindow(own);
        Pump();
    }
    BoxedViewSingle& Make(BoxList* list, int width = 300, int height = 300) {
        ProfileWriteString("BoxedViewSingle", "Width", std::to_string(width).c_str(), kSettingsFile);
        ProfileWriteString("BoxedViewSingle", "Height", std::to_string(height).c_str(), kSettingsFile);
        BoxList* lists[] = {list};
        view_ = std::make_unique<BoxedViewSingle>(lists, 1, 150, 150, services_);
        view_->LoadGeometry();
        view_->CreatePanels();
        Pump();
        return *view_;
    }
    MiniWindow& Mini() { return *view_->Panel(0)->Mini(0); }
    // What the mini window shows, painted as the window system paints it.
    COLORREF PixelOfMini(int x, int y) {
        RedrawWindow(Mini().ownWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ScopedGetDC dc(Mini().ownWindow);
        return GetPixel(dc.get(), x, y);
    }

    ::test::RecordingOps ops_;
    FixedMonitors monitors_;
    ViewServices services_;
    std::unique_ptr<BoxedViewSingle> view_;
};

// A session on the second monitor, right of or left of the primary, sits inside the panel
// at its place on the virtual screen; the panel's scale is that of the whole virtual screen.
TEST_F(DeskViews, ASessionOnTheSecondMonitorIsDrawnAtItsPlaceInsideThePanel) {
    const struct {
        const char* desk;
        NormalRect second;
        SessionPlace session;
    } desks[] = {
        {"right of the primary", {1280, 0, 2560, 1024}, {1920, 300, 800, 600}},
        {"left of the primary, smaller", {-1024, 256, 0, 1024}, {-900, 400, 640, 480}},
        {"above the primary", {0, -1024, 1280, 0}, {200, -700, 800, 600}},
    };
    for (const auto& d : desks) {
        SCOPED_TRACE(d.desk);
        monitors_.list = OneMonitor(1280, 1024);
        monitors_.list.Add(d.second);
        auto list = OneSession(d.session);
        BoxedViewSingle& view = Make(list.get());
        const NormalRect v = VirtualScreen(monitors_.list);
        BoxPanel* panel = view.Panel(0);
        const RECT client = test::ClientRect(panel->ownWindow);
        EXPECT_EQ(panel->horizontalScale, (v.right - v.left) / client.right);
        EXPECT_EQ(panel->verticalScale, (v.bottom - v.top) / client.bottom);
        const RECT m = RectInParent(Mini().ownWindow);
        EXPECT_EQ(m.left, (d.session.x - v.left) / panel->horizontalScale);
        EXPECT_EQ(m.top, (d.session.y - v.top) / panel->verticalScale);
        EXPECT_GE(m.left, 0);
        EXPECT_GE(m.top, 0);
        EXPECT_LE(m.right, client.right) << "inside its panel";
        EXPECT_LE(m.bottom, client.bottom);
        TearDown();
    }
}

// WM_DPICHANGED as the window system sends it when the view goes to a monitor of 144 DPI:
// the view takes the suggested rectangle, its panel fills the new client area, the label font
// is made 1.5 times as tall and the mini windows are no smaller than 18 pixels.
TEST_F(DeskViews, ADpiChangeTakesTheSuggestedRectangleRemakesTheFontsAndLaysOutAgain) {
    auto list = OneSession(SessionPlace{100, 100, 40, 40});
    BoxedViewSingle& view = Make(list.get());
    ASSERT_EQ(view.dpi, 96);
    const int lineAt96 = view.LabelLineHeight();
    ASSERT_GT(lineAt96, 0);
    const HWND oldMini = Mini().ownWindow;

    RECT suggested = {40, 30, 40 + 450, 30 + 450};
    SendMessageA(view.ownWindow, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    Pump();
    const RECT outer = test::ScreenRect(view.ownWindow);
    EXPECT_EQ(outer.left, 40);
    EXPECT_EQ(outer.right - outer.left, 450);
    EXPECT_EQ(outer.bottom - outer.top, 450);
    EXPECT_EQ(view.dpi, 144);
    EXPECT_NEAR(view.LabelLineHeight(), lineAt96 * 3 / 2, 2);
    const RECT client = test::ClientRect(view.ownWindow);
    const PixelRect place = OneRowLayout(client.right, client.bottom, 1)[0];
    const RECT p = RectInParent(view.Panel(0)->ownWindow);
    EXPECT_EQ(p.right - p.left, place.width);
    EXPECT_EQ(p.bottom - p.top, place.height);
    EXPECT_NE(Mini().ownWindow, oldMini) << "the mini windows are built anew";
    const RECT m = RectInParent(Mini().ownWindow);
    EXPECT_EQ(m.right - m.left, 18) << "40 / (2 x scale) is below the minimum of 12 x 1.5";
}

// A mini window with room for its label shows a caption band over the picture, in the active
// caption's colour, the inactive one's while its session is busy, when it is not dimmed and
// marked; with "Labels" 0 in the section the picture fills it as before, and nothing is
// written for the key.
TEST_F(DeskViews, ALabelledMiniWindowShowsItsBandAndABusySessionIsDimmedAndMarked) {
    auto list = OneSession(SessionPlace{0, 0, 1280, 1024});
    Make(list.get());
    const RECT mc = test::ClientRect(Mini().ownWindow);
    ASSERT_GT(mc.bottom, 40);
    const COLORREF active = GetSysColor(COLOR_ACTIVECAPTION);
    EXPECT_EQ(PixelOfMini(mc.right - 2, 1), active) << "the band, right of the text";
    const COLORREF pictureAt = PixelOfMini(mc.right / 2, mc.bottom - 3);

    auto busy = OneSession(SessionPlace{0, 0, 1280, 1024}, "QAS", true);
    BoxList* lists[] = {busy.get()};
    view_->UpdatePanels(lists);
    Pump();
    EXPECT_EQ(PixelOfMini(2, 1), GetSysColor(COLOR_INACTIVECAPTION));
    const COLORREF dimmed = PixelOfMini(mc.right / 2, mc.bottom - 3);
    EXPECT_EQ(dimmed, pictureAt | RGB(128, 128, 128)) << "the picture washed out";
    const int markLeft = mc.right - 9 - 1;  // a 9-pixel clock face one pixel in from the corner
    EXPECT_EQ(PixelOfMini(markLeft + 2, 1 + 6), GetSysColor(COLOR_WINDOW)) << "the busy mark's face";
    TearDown();

    ProfileWriteString("BoxedViewSingle", "Labels", "0", kSettingsFile);
    Make(list.get());
    EXPECT_FALSE(view_->labels);
    EXPECT_NE(PixelOfMini(mc.right - 2, 1), active);
    TearDown();
    char text[16] = {};
    ProfileReadString("BoxedViewSingle", "Labels", "gone", text, sizeof text, kSettingsFile);
    EXPECT_STREQ(text, "0") << "read, never written";
}

}  // namespace
}  // namespace quilvo
