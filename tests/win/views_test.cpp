// Views, box panels, mini windows and session buttons as real windows on the test thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "record_checks.h"
#include "recording_ops.h"
#include "commands/session_commands.h"
#include "core/boxes.h"
#include "core/monitors.h"
#include "base/text.h"
#include "allocation_hook.h"
#include "gdi_slots.h"
#include "app/window_classes.h"
#include "window_helpers.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "views/class_brush.h"
#include "views/box_panel.h"
#include "views/boxed_view.h"
#include "views/geometry.h"
#include "views/mini_label.h"
#include "views/mini_window.h"

namespace quilvo {
namespace {

using ::test::RecordingOps;

using test::Children;
using test::DescendantCount;
using test::Pump;
using test::ClientRect;
using test::RectInParent;
using test::ScreenRect;

void ExpectPlaced(HWND wnd, int x, int y, int w, int h) {
    const RECT r = RectInParent(wnd);
    EXPECT_EQ(r.left, x);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.right - r.left, w);
    EXPECT_EQ(r.bottom - r.top, h);
}

// Fake sessions spread over the desktop; window handles are plain numbers. Every box (and the
// all-sessions panel) holds them all.
std::shared_ptr<SessionSnapshot> MakeList(int count, const char* extraTitle = nullptr) {
    std::vector<SessionRecord> sessions;
    for (int i = 0; i < count; ++i) {
        char title[64];
        std::snprintf(title, sizeof title, "Session %d", i);
        SessionRecord r = ::test::Record(0x5000 + static_cast<WindowHandle>(i), "", "", "", "", title);
        r.x = 100 + 40 * i;
        r.y = 50 + 30 * i;
        r.width = 800;
        r.height = 600;
        sessions.push_back(r);
    }
    if (extraTitle && count > 0) CopyCut(sessions.back().title, extraTitle);
    auto snapshot = std::make_shared<SessionSnapshot>(::test::SnapshotOf(sessions));
    for (auto& members : snapshot->members)
        for (int i = 0; i < count; ++i) members.push_back(static_cast<std::int16_t>(i));
    return snapshot;
}

// One session of QAS 200 in SE38 at a place, busy or not.
std::shared_ptr<SessionSnapshot> OneSession(const SessionPlace& p, bool busy = false) {
    auto list = MakeList(1);
    SessionRecord& r = list->sessions[0];
    r.x = p.x;
    r.y = p.y;
    r.width = p.width;
    r.height = p.height;
    r.busy = busy ? 1 : 0;
    CopyCut(r.system, "QAS");
    CopyCut(r.client, "200");
    CopyCut(r.transaction, "SE38");
    return list;
}

// The desk the views see: one monitor of 1280 x 1024 unless a test adds more.
class FixedMonitors : public MonitorSource {
public:
    MonitorList list = OneMonitor(1280, 1024);
    MonitorList Monitors() override { return list; }
};

class ViewsTest : public ::testing::Test {
protected:
    // Views read and write .\Quilvo.ini: a directory of their own, first made, last gone.
    test::ScratchDirectory dir_{"quilvo-views"};

    void SetUp() override {
        RegisterWindowClasses(GetModuleHandleA(nullptr));
        ASSERT_TRUE(dir_.Entered());
        services_.ops = &ops_;
        services_.monitors = &monitors_;
        services_.sessions = &now_;
    }

    void TearDown() override {
        HWND own = view_ ? view_->ownWindow : nullptr;
        view_.reset();
        if (own) DestroyWindow(own);
        Pump();
    }

    // size: the side stored for the view (0: none stored, its default 150 x 150).
    // The snapshot is also the sessions of the moment.
    BoxedViewSingle& MakeSingle(const Snapshot& snapshot, int size = 0) {
        if (size > 0) {
            ProfileWriteString("BoxedViewSingle", "Width", std::to_string(size).c_str(), kSettingsFile);
            ProfileWriteString("BoxedViewSingle", "Height", std::to_string(size).c_str(), kSettingsFile);
        }
        now_.Set(snapshot);
        auto view = std::make_unique<BoxedViewSingle>(snapshot, 150, 150, services_);
        BoxedViewSingle& single = *view;
        view_ = std::move(view);
        view_->LoadGeometry();
        view_->CreatePanels();
        Pump();
        return single;
    }
    // A stand-alone view of one box, box 0.
    BoxedView& MakeBox(const Snapshot& snapshot) {
        now_.Set(snapshot);
        view_ = std::make_unique<BoxedViewToolWindow2>(snapshot, 1, 150, 150, services_);
        view_->LoadGeometry();
        view_->CreatePanels();
        Pump();
        return *view_;
    }

    void Update(const Snapshot& snapshot) {
        now_.Set(snapshot);
        view_->UpdatePanels(snapshot);
    }

    MiniWindow& Mini() const { return *view_->Panel(0)->Mini(0); }
    // What the mini window shows, painted as the window system paints it.
    COLORREF PixelOfMini(int x, int y) const {
        RedrawWindow(Mini().ownWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        ScopedGetDC dc(Mini().ownWindow);
        return GetPixel(dc.get(), x, y);
    }

    RecordingOps ops_;
    FixedMonitors monitors_;
    HeldSnapshot now_;
    ViewServices services_;
    std::unique_ptr<BoxedViewToolWindow2> view_;
};

TEST_F(ViewsTest, SingleViewBuildsPanelMiniWindowsAndButtonsAtTheirPlaces) {
    auto list = MakeList(3);
    BoxedViewSingle& view = MakeSingle(list);
    ASSERT_NE(view.ownWindow, nullptr);
    EXPECT_EQ(view.Context().zoomFactor, 2);  // no settings yet: the stored default replaces the constructor's 4
    RECT outer = {};
    GetWindowRect(view.ownWindow, &outer);
    EXPECT_EQ(outer.right - outer.left, 150);
    EXPECT_EQ(outer.bottom - outer.top, 150);

    const std::vector<HWND> panels = Children(view.ownWindow, kBoxPanelClass);
    ASSERT_EQ(panels.size(), 1u);
    BoxPanel* panel = view.Panel(0);
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panels[0], panel->ownWindow);
    const PixelRect place = OneRowLayout(view.width, view.height, 1)[0];
    ExpectPlaced(panel->ownWindow, place.x, place.y, place.width, place.height);

    RECT desktop = {};
    GetClientRect(GetDesktopWindow(), &desktop);
    EXPECT_EQ(panel->horizontalScale, ComputeScale(true, desktop.right, place.width));
    EXPECT_EQ(panel->verticalScale, ComputeScale(true, desktop.bottom, place.height));

    const std::vector<HWND> minis = Children(panel->ownWindow, kMiniWindowClass);
    const std::vector<HWND> buttons = Children(panel->ownWindow, "BUTTON");
    ASSERT_EQ(minis.size(), 3u);
    ASSERT_EQ(buttons.size(), 3u);
    const ButtonRow row = SessionButtonRow(place.width, place.height, 3, 7);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const SessionRecord& s = list->sessions[static_cast<std::size_t>(i)];
        const PixelRect m = MiniWindowRect(SessionPlace{s.x, s.y, s.width, s.height}, panel->horizontalScale,
                                           panel->verticalScale, view.Context().zoomFactor, 0, 0);
        MiniWindow* mini = panel->Mini(i);
        ASSERT_NE(mini, nullptr);
        ExpectPlaced(mini->ownWindow, m.x, m.y, m.width, m.height);
        EXPECT_STREQ(mini->Title(), s.title);
        EXPECT_EQ(reinterpret_cast<MiniWindow*>(GetWindowLongPtrA(mini->ownWindow, GWLP_USERDATA)), mini);

        ExpectPlaced(mini->Button(), row.X(i), row.y, row.width, row.height);
        char text[16] = {};
        GetWindowTextA(mini->Button(), text, sizeof text);
        EXPECT_STREQ(text, "...");
        EXPECT_EQ(reinterpret_cast<MiniWindow*>(GetWindowLongPtrA(mini->Button(), GWLP_USERDATA)), mini);
    }
}

// An update keeps the windows of every session that stays in the box: a new title, a move, a
// busy mark or a new order change them in place; a session that came gets new windows, one that
// left loses its own; the z-order stays that of a fresh build.
TEST_F(ViewsTest, UpdateFollowsTheNewListInPlace) {
    auto first = MakeList(3);
    BoxedViewSingle& view = MakeSingle(first, 300);
    BoxPanel& panel = *view.Panel(0);
    const std::vector<HWND> minis = Children(panel.ownWindow, kMiniWindowClass);
    ASSERT_EQ(minis.size(), 3u);
    const std::vector<HWND> buttons = {panel.Mini(0)->Button(), panel.Mini(1)->Button(), panel.Mini(2)->Button()};
    ASSERT_EQ(panel.Mini(0)->ownWindow, minis[0]) << "the first made stands on top";

    auto second = MakeList(5, "SAP Debugger (Session 4)");
    CopyCut(second->sessions[1].title, "Session 1, another screen");
    second->sessions[2].x += 300;
    second->sessions[2].busy = 1;
    std::swap(second->sessions[0], second->sessions[2]);  // the order in the box changed too
    Update(second);
    ASSERT_EQ(panel.MiniCount(), 5);
    EXPECT_EQ(Children(panel.ownWindow, kMiniWindowClass).size(), 5u);
    EXPECT_EQ(Children(panel.ownWindow, "BUTTON").size(), 5u);
    EXPECT_EQ(panel.Mini(0)->ownWindow, minis[2]) << "kept, moved to the front of the list";
    EXPECT_EQ(panel.Mini(1)->ownWindow, minis[1]) << "kept through a new title";
    EXPECT_EQ(panel.Mini(2)->ownWindow, minis[0]);
    EXPECT_EQ(panel.Mini(0)->Button(), buttons[2]);
    EXPECT_STREQ(panel.Mini(1)->Title(), "Session 1, another screen");
    EXPECT_EQ(panel.Mini(0)->Session().busy, 1);
    EXPECT_EQ(test::TextOf(panel.Mini(0)->ownWindow), "Session 2, busy") << "the name follows in place";
    EXPECT_EQ(test::TextOf(panel.Mini(1)->ownWindow), "Session 1, another screen");
    EXPECT_EQ(test::TextOf(panel.ownWindow), "All sessions");
    const ButtonRow row = SessionButtonRow(panel.width, panel.height, 5, 7);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const SessionRecord& s = second->sessions[static_cast<std::size_t>(i)];
        const PixelRect m = MiniWindowRect(SessionPlace{s.x, s.y, s.width, s.height}, panel.horizontalScale,
                                           panel.verticalScale, view.Context().zoomFactor, 0, 0);
        ExpectPlaced(panel.Mini(i)->ownWindow, m.x, m.y, m.width, m.height);
        ExpectPlaced(panel.Mini(i)->Button(), row.X(i), row.y, row.width, row.height);
    }
    // Stacked as a fresh build stacks them: the mini windows in list order, then the buttons.
    std::vector<HWND> order;
    for (HWND c = GetWindow(panel.ownWindow, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) order.push_back(c);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(order[static_cast<std::size_t>(i)], panel.Mini(i)->ownWindow);
    char text[16] = {};
    GetWindowTextA(panel.Mini(4)->Button(), text, sizeof text);
    EXPECT_STREQ(text, "-");

    auto smaller = MakeList(2);
    const HWND kept = panel.Mini(2)->ownWindow;  // session 0
    Update(smaller);
    EXPECT_EQ(panel.Mini(0)->ownWindow, kept);
    EXPECT_FALSE(IsWindow(minis[2])) << "session 2 left the box and its windows went";
    EXPECT_FALSE(IsWindow(buttons[2]));
    EXPECT_EQ(DescendantCount(panel.ownWindow), 4);

    auto empty = MakeList(0);
    Update(empty);
    EXPECT_EQ(DescendantCount(panel.ownWindow), 0);

    // A click ends any drag and makes the panel keep its windows through the next update.
    auto again = MakeList(2);
    panel.EndDrag();
    Update(again);
    EXPECT_EQ(DescendantCount(panel.ownWindow), 0);
    Update(again);
    EXPECT_EQ(DescendantCount(panel.ownWindow), 4);
}

// A left press on a mini window, a click on its button and the start of a drag bring the
// session up as it is now: a maximised one maximised (show code 3), a normal one restored (9),
// also when it changed since the view was last updated (the user restored a maximised one).
TEST_F(ViewsTest, EveryRaiseFromAViewBringsTheSessionUpAsItIsNow) {
    auto shown = MakeList(2);
    shown->sessions[0].zoomed = 1;
    shown->sessions[1].zoomed = 1;
    BoxedViewSingle& view = MakeSingle(shown, 300);
    auto current = MakeList(2);
    current->sessions[0].zoomed = 1;  // the second one was restored since
    now_.Set(current);
    BoxPanel& panel = *view.Panel(0);
    const std::string zoomed = std::to_string(shown->sessions[0].window);
    const std::string normal = std::to_string(shown->sessions[1].window);
    const struct {
        const char* what;
        std::function<void(int)> press;
    } roads[] = {
        {"left press", [&](int i) { SendMessageA(panel.Mini(i)->ownWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2)); }},
        {"button", [&](int i) { SendMessageA(panel.Mini(i)->Button(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2)); }},
        {"drag", [&](int i) {
             SendMessageA(panel.Mini(i)->ownWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
             SendMessageA(panel.ownWindow, WM_RBUTTONUP, 0, MAKELPARAM(2, 2));
         }},
    };
    for (const auto& road : roads) {
        SCOPED_TRACE(road.what);
        for (int i = 0; i < 2; ++i) {
            ops_.calls.clear();
            road.press(i);
            const std::string window = i == 0 ? zoomed : normal;
            EXPECT_NE(std::find(ops_.calls.begin(), ops_.calls.end(), "show " + window + (i == 0 ? " 3" : " 9")),
                      ops_.calls.end());
            EXPECT_EQ(std::find(ops_.calls.begin(), ops_.calls.end(), "show " + window + (i == 0 ? " 9" : " 3")),
                      ops_.calls.end());
        }
    }
}

TEST_F(ViewsTest, RepeatedUpdatesLeaveNoWindowsBehind) {
    auto list = MakeList(20);
    BoxedViewSingle& view = MakeSingle(list);
    Update(list);
    const int afterFirst = DescendantCount(view.ownWindow);
    EXPECT_EQ(afterFirst, 1 + 2 * 20);
    ShowWindow(view.ownWindow, SW_HIDE);  // the same work without putting each window on screen
    for (int i = 0; i < 500; ++i) Update(list);
    Pump();
    EXPECT_EQ(DescendantCount(view.ownWindow), afterFirst);
    EXPECT_EQ(view.Panel(0)->MiniCount(), 20);
}

// The picture a mini window of this client size should show, drawn independently.
COLORREF ExpectedPicturePixel(int clientW, int clientH, int px, int py) {
    const bool large = clientW > 20 || clientH > 20;
    ScopedBitmap picture(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(large ? IDB_MINI_LARGE : IDB_MINI_SMALL)));
    ScopedGetDC screen(nullptr);
    ScopedBitmap target(CreateCompatibleBitmap(screen.get(), clientW, clientH));
    ScopedMemDC src(CreateCompatibleDC(screen.get()));
    ScopedMemDC dst(CreateCompatibleDC(screen.get()));
    ScopedSelectObject s(src.get(), picture.get());
    ScopedSelectObject d(dst.get(), target.get());
    const int size = large ? 32 : 16;
    StretchBlt(dst.get(), 0, 0, clientW, clientH, src.get(), 0, 0, size, size, SRCCOPY);
    return GetPixel(dst.get(), px, py);
}

TEST_F(ViewsTest, PaintingKeepsNoGdiObject) {
    auto list = MakeList(1);
    CopyCut(list->filters[0].system, "ABC");
    CopyCut(list->filters[0].client, "100");
    CopyCut(list->filters[0].user, "WWWWWWWW");
    BoxedView& view = MakeBox(list);
    BoxPanel* panel = view.Panel(0);
    MiniWindow* mini = panel->Mini(0);
    ASSERT_NE(mini, nullptr);

    // A paint that kept one GDI object would take a slot of the handle table away at every run
    // (test::GdiSlots). Hidden, the paints create, select and free the same objects without
    // screen traffic.
    constexpr int kPaints = 300;
    ShowWindow(view.ownWindow, SW_HIDE);
    const test::GdiSlots slots;
    const auto paint = [&] {
        InvalidateRect(panel->ownWindow, nullptr, FALSE);
        SendMessageA(panel->ownWindow, WM_PAINT, 0, 0);
        SendMessageA(mini->ownWindow, WM_PAINT, 0, 0);
    };
    paint();
    const auto before = slots.Next();
    for (int i = 0; i < kPaints; ++i) paint();
    EXPECT_LE(slots.Taken(before), test::GdiSlots::kTolerated) << "paints keep GDI objects";
    ShowWindow(view.ownWindow, SW_SHOWNA);
    Pump();

    const ScopedFont font = CreateTextFont(12);
    EXPECT_TRUE(font);
    ScopedGetDC screen(nullptr);
    ScopedBitmap bitmap(CreateCompatibleBitmap(screen.get(), 64, 64));
    EXPECT_TRUE(bitmap);
    ScopedBitmap picture(LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_MINI_LARGE)));
    EXPECT_TRUE(picture);

    // The panel still writes its filter: text cells change a known background.
    RECT client = {};
    GetClientRect(panel->ownWindow, &client);
    ScopedMemDC memory(CreateCompatibleDC(screen.get()));
    ScopedBitmap canvas(CreateCompatibleBitmap(screen.get(), client.right, client.bottom));
    {
        ScopedSelectObject sel(memory.get(), canvas.get());
        const COLORREF green = RGB(0, 255, 0);
        ScopedBrush fill(CreateSolidBrush(green));
        FillRect(memory.get(), &client, fill.get());
        panel->Paint(memory.get());
        int changedInLine = 0;
        for (int x = 0; x < client.right; ++x) {
            for (int y = 20; y < 32; ++y) changedInLine += GetPixel(memory.get(), x, y) != green;
        }
        EXPECT_GT(changedInLine, 0);
        EXPECT_EQ(GetPixel(memory.get(), 2, 5), green);  // above the first line nothing is drawn
    }

    // The mini window still shows its picture, below its label.
    RedrawWindow(mini->ownWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT mc = {};
    GetClientRect(mini->ownWindow, &mc);
    const PixelRect pic = LayOutMiniLabel(mc.right, mc.bottom, view.LabelLineHeight(), view.Context().dpi).picture;
    ASSERT_LT(pic.y, mc.bottom);
    ScopedGetDC miniDc(mini->ownWindow);
    for (POINT p : {POINT{1, 1}, POINT{pic.width / 2, pic.height / 2}, POINT{pic.width - 2, pic.height - 2}}) {
        EXPECT_EQ(GetPixel(miniDc.get(), p.x, pic.y + p.y), ExpectedPicturePixel(pic.width, pic.height, p.x, p.y))
            << "at " << p.x << "," << p.y << " of the picture";
    }
}

// Out of memory at any allocation of the main view's update pass: every panel holds the list
// it was given, its mini windows match its list of them, and painting, hovering and clicking
// go on; the next update with memory shows every session again.
TEST_F(ViewsTest, UpdateWithoutMemoryLeavesEveryPanelOnItsNewListAndConsistent) {
    HWND main = CreateWindowExA(0, kQuilvoWinClass, "main", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200,
                                nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(main, nullptr);
    // Box i holds the first (base + i) % 5 sessions.
    auto makeLists = [&](int base) {
        auto snapshot = MakeList(5);
        for (int i = 0; i < kBoxCount; ++i) snapshot->members[i].resize(static_cast<std::size_t>((base + i) % 5));
        return Snapshot(snapshot);
    };
    {
        BoxedViewToolWindow view(main, makeLists(0), kBoxCount, services_);
        view.LoadGeometry();
        view.CreatePanels();
        Pump();
        int refused = 0;
        for (int failAt = 0; failAt < 40; ++failAt) {
            SCOPED_TRACE(failAt);
            const Snapshot next = makeLists(failAt + 1);
            test::FailAllocationsAfter(failAt);
            view.UpdatePanels(next);
            test::StopFailingAllocations();
            refused += test::RefusedAllocations();
            for (int i = 0; i < kBoxCount; ++i) {
                BoxPanel* panel = view.Panel(i);
                ASSERT_NE(panel, nullptr);
                ASSERT_NE(panel->Shown(), nullptr);
                int live = 0;
                for (int m = 0; m < panel->MiniCount(); ++m) {
                    if (MiniWindow* mini = panel->Mini(m)) {
                        ++live;
                        EXPECT_TRUE(IsWindow(mini->ownWindow));
                        EXPECT_EQ(GetParent(mini->ownWindow), panel->ownWindow);
                    }
                }
                EXPECT_LE(live, next->MemberCount(i));
                EXPECT_EQ(Children(panel->ownWindow, kMiniWindowClass).size(), static_cast<std::size_t>(live));
                EXPECT_EQ(Children(panel->ownWindow, "BUTTON").size(), static_cast<std::size_t>(live));
                for (HWND mini : Children(panel->ownWindow, kMiniWindowClass))
                    SendMessageA(mini, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
                SendMessageA(panel->ownWindow, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
                SendMessageA(panel->ownWindow, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
                panel->skipNextUpdate = 0;  // the clicks would make it skip the next update
            }
            RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            Pump();
        }
        EXPECT_GT(refused, 40) << "every allocation point of the update was made to fail";
        const Snapshot last = makeLists(3);
        view.UpdatePanels(last);
        for (int i = 0; i < kBoxCount; ++i)
            EXPECT_EQ(Children(view.Panel(i)->ownWindow, kMiniWindowClass).size(),
                      static_cast<std::size_t>(last->MemberCount(i)));
    }
    DestroyWindow(main);
    Pump();
}

// A session on the second monitor, right of or left of the primary, sits inside the panel
// at its place on the virtual screen; the panel's scale is that of the whole virtual screen.
TEST_F(ViewsTest, ASessionOnTheSecondMonitorIsDrawnAtItsPlaceInsideThePanel) {
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
        BoxedViewSingle& view = MakeSingle(list, 300);
        const NormalRect v = VirtualScreen(monitors_.list);
        BoxPanel* panel = view.Panel(0);
        const RECT client = ClientRect(panel->ownWindow);
        EXPECT_EQ(panel->horizontalScale, (v.right - v.left) / client.right);
        EXPECT_EQ(panel->verticalScale, (v.bottom - v.top) / client.bottom);
        const RECT m = RectInParent(Mini().ownWindow);
        EXPECT_EQ(m.left, (d.session.x - v.left) / panel->horizontalScale);
        EXPECT_EQ(m.top, (d.session.y - v.top) / panel->verticalScale);
        EXPECT_LE(m.right, client.right) << "inside its panel";
        EXPECT_LE(m.bottom, client.bottom);
        TearDown();
    }
}

// WM_DPICHANGED as the window system sends it when the view goes to a monitor of 144 DPI:
// the view takes the suggested rectangle, its panel fills the new client area, the label font
// is made 1.5 times as tall and the mini windows are no smaller than 18 pixels.
TEST_F(ViewsTest, ADpiChangeTakesTheSuggestedRectangleRemakesTheFontsAndLaysOutAgain) {
    auto list = OneSession(SessionPlace{100, 100, 40, 40});
    BoxedViewSingle& view = MakeSingle(list, 300);
    ASSERT_EQ(view.Context().dpi, 96);
    const int lineAt96 = view.LabelLineHeight();
    ASSERT_GT(lineAt96, 0);
    const HWND oldMini = Mini().ownWindow;

    RECT suggested = {40, 30, 40 + 450, 30 + 450};
    SendMessageA(view.ownWindow, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    Pump();
    const RECT outer = ScreenRect(view.ownWindow);
    EXPECT_EQ(outer.left, 40);
    EXPECT_EQ(outer.right - outer.left, 450);
    EXPECT_EQ(outer.bottom - outer.top, 450);
    EXPECT_EQ(view.Context().dpi, 144);
    EXPECT_NEAR(view.LabelLineHeight(), lineAt96 * 3 / 2, 2);
    const RECT client = ClientRect(view.ownWindow);
    const PixelRect place = OneRowLayout(client.right, client.bottom, 1)[0];
    const RECT p = RectInParent(view.Panel(0)->ownWindow);
    EXPECT_EQ(p.right - p.left, place.width);
    EXPECT_EQ(p.bottom - p.top, place.height);
    EXPECT_EQ(Mini().ownWindow, oldMini) << "the mini window is laid out again in place";
    const RECT m = RectInParent(Mini().ownWindow);
    EXPECT_EQ(m.right - m.left, 18) << "40 / (2 x scale) is below the minimum of 12 x 1.5";
}

// A mini window with room for its label shows a caption band over the picture, in the active
// caption's colour, the inactive one's while its session is busy, when it is not dimmed and
// marked; with "Labels" 0 in the section the picture fills it as before, and nothing is
// written for the key.
TEST_F(ViewsTest, ALabelledMiniWindowShowsItsBandAndABusySessionIsDimmedAndMarked) {
    auto list = OneSession(SessionPlace{0, 0, 1280, 1024});
    MakeSingle(list, 300);
    const RECT mc = ClientRect(Mini().ownWindow);
    ASSERT_GT(mc.bottom, 40);
    const COLORREF active = GetSysColor(COLOR_ACTIVECAPTION);
    EXPECT_EQ(PixelOfMini(mc.right - 2, 1), active) << "the band, right of the text";
    const COLORREF pictureAt = PixelOfMini(mc.right / 2, mc.bottom - 3);

    Update(OneSession(SessionPlace{0, 0, 1280, 1024}, true));
    Pump();
    EXPECT_EQ(PixelOfMini(2, 1), GetSysColor(COLOR_INACTIVECAPTION));
    const COLORREF dimmed = PixelOfMini(mc.right / 2, mc.bottom - 3);
    EXPECT_EQ(dimmed, pictureAt | RGB(128, 128, 128)) << "the picture washed out";
    const int markLeft = mc.right - 9 - 1;  // a 9-pixel clock face one pixel in from the corner
    EXPECT_EQ(PixelOfMini(markLeft + 2, 1 + 6), GetSysColor(COLOR_WINDOW)) << "the busy mark's face";
    // Only the picture is washed: the band's text keeps its own colour (it was grey on grey).
    // The prefix's inactive caption text is a light grey the wash leaves as it is: black for
    // this look, as most themes have it.
    const int element = COLOR_INACTIVECAPTIONTEXT;
    const COLORREF themed = GetSysColor(element);
    const COLORREF ink = RGB(0, 0, 0);
    SetSysColors(1, &element, &ink);
    PixelOfMini(0, 0);  // painted now
    int textPixels = 0;
    {
        ScopedGetDC dc(Mini().ownWindow);
        for (int y = 1; y < view_->Context().labelLineHeight; ++y) {
            for (int x = 0; x < markLeft; ++x) textPixels += GetPixel(dc.get(), x, y) == ink;
        }
    }
    SetSysColors(1, &element, &themed);
    EXPECT_GT(textPixels, 0) << "\"QAS 200\" in the inactive caption's text colour";
    TearDown();

    ProfileWriteString("BoxedViewSingle", "Labels", "0", kSettingsFile);
    MakeSingle(list, 300);
    EXPECT_FALSE(view_->Context().labels);
    EXPECT_NE(PixelOfMini(mc.right - 2, 1), active);
    TearDown();
    char text[16] = {};
    ProfileReadString("BoxedViewSingle", "Labels", "gone", text, sizeof text, kSettingsFile);
    EXPECT_STREQ(text, "0") << "read, never written";
}

// High contrast, forced through the views' seam: the panel's background, the picture and a busy
// session are drawn in system colours only (no washed-out grey, no fixed picture), and going
// back to normal brings the normal look back.
bool HighContrastForTest() { return true; }
bool NormalContrastForTest() { return false; }

// A production session's mini window carries a band of the production colour along the foot
// of its caption band and says "production"; the panel of a box that names its System has a
// band along its top edge. In high contrast both take the selection colour.
TEST_F(ViewsTest, AProductionSessionAndItsBoxAreMarkedInTheProductionColour) {
    for (const bool contrast : {false, true}) {
        services_.highContrast = contrast ? &HighContrastForTest : &NormalContrastForTest;
        auto list = OneSession(SessionPlace{0, 0, 1280, 1024});
        list->sessions[0].production = 1;
        list->productionBox[0] = 1;
        MakeBox(list);
        const COLORREF red = contrast ? GetSysColor(COLOR_HIGHLIGHT) : RGB(200, 0, 0);
        const RECT mc = ClientRect(Mini().ownWindow);
        const int text = 2 * view_->LabelLineHeight() + 2;
        ASSERT_GT(mc.bottom, text + 8) << "room for the caption band";
        EXPECT_EQ(PixelOfMini(mc.right - 2, text), red) << "the band's foot, contrast " << contrast;
        EXPECT_EQ(PixelOfMini(mc.right - 2, text + kProductionBand - 1), red);
        EXPECT_NE(PixelOfMini(mc.right - 2, text + kProductionBand), red) << "3 rows, then the picture";
        EXPECT_EQ(test::TextOf(Mini().ownWindow), "QAS 200 SE38 Session 0, production");
        BoxPanel& panel = *view_->Panel(0);
        RedrawWindow(panel.ownWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        ScopedGetDC panelDc(panel.ownWindow);
        EXPECT_EQ(GetPixel(panelDc.get(), ClientRect(panel.ownWindow).right - 2, 0), red) << "the panel's top edge";
        TearDown();
    }
}

TEST_F(ViewsTest, InHighContrastEveryPixelIsASystemColour) {
    services_.highContrast = &HighContrastForTest;
    auto busy = OneSession(SessionPlace{0, 0, 1280, 1024}, true);
    MakeSingle(busy, 300);
    ASSERT_TRUE(view_->Context().highContrast);
    const RECT mc = ClientRect(Mini().ownWindow);
    const COLORREF allowed[] = {GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_GRAYTEXT),
                                GetSysColor(COLOR_INACTIVECAPTION), GetSysColor(COLOR_INACTIVECAPTIONTEXT)};
    RedrawWindow(Mini().ownWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ScopedGetDC dc(Mini().ownWindow);
    // The label's letters are left out: the font's smoothing blends its two colours.
    const int band = 2 * view_->LabelLineHeight() + 2;
    int strangers = 0;
    for (int y = band; y < mc.bottom; y += 3) {
        for (int x = 0; x < mc.right; x += 3) {
            const COLORREF c = GetPixel(dc.get(), x, y);
            strangers += std::find(std::begin(allowed), std::end(allowed), c) == std::end(allowed);
        }
    }
    EXPECT_EQ(strangers, 0) << "pixels of no system colour in the busy mini window";
    EXPECT_EQ(PixelOfMini(mc.right - 2, 0), GetSysColor(COLOR_INACTIVECAPTION)) << "the band";
    EXPECT_EQ(PixelOfMini(mc.right / 2, mc.bottom - 3), GetSysColor(COLOR_WINDOW)) << "the picture is not washed out";
    BoxPanel& panel = *view_->Panel(0);
    RedrawWindow(panel.ownWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ScopedGetDC panelDc(panel.ownWindow);
    const RECT pc = ClientRect(panel.ownWindow);
    EXPECT_EQ(GetPixel(panelDc.get(), pc.right - 2, pc.bottom / 2), GetSysColor(COLOR_WINDOW)) << "the panel";

    // Back to normal: the class takes the desktop colour again and the picture is the bitmap.
    services_.highContrast = &NormalContrastForTest;
    TearDown();
    auto calm = OneSession(SessionPlace{0, 0, 1280, 1024});
    MakeSingle(calm, 300);
    EXPECT_FALSE(view_->Context().highContrast);
    RedrawWindow(view_->Panel(0)->ownWindow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ScopedGetDC normalDc(view_->Panel(0)->ownWindow);
    EXPECT_EQ(GetPixel(normalDc.get(), pc.right - 2, pc.bottom / 2), GetSysColor(COLOR_BACKGROUND));
}

}  // namespace
}  // namespace quilvo
