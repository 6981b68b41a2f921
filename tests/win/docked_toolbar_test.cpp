// The docked toolbar on real windows: a strip made by the creation routine inside the
// "AfxWnd" child of a simulated session window, found by FindAfxWndChild.
#include <gtest/gtest.h>

#include "record_checks.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/app.h"
#include "app/window_classes.h"
#include "core/boxes.h"
#include "platform_ops.h"
#include "views/drag_controller.h"
#include "base/text.h"
#include "gdi_slots.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "sim_client.h"
#include "views/class_brush.h"
#include "views/box_panel.h"
#include "window_helpers.h"
#include "views/docked_rules.h"
#include "views/docked_toolbar.h"
#include "views/mini_window.h"

namespace quilvo {
namespace {

constexpr COLORREF kTextBackground = RGB(0, 0, 128);
constexpr const char* kLabel = "Quilvo";
constexpr int kStripWidth = 600;
constexpr int kStripHeight = 48;

constexpr const char* kOwnAfxClass = "AfxWnd42s";

using test::DebugLines;
using test::PumpFor;
using test::PumpUntil;
using test::RectInParent;


HWND VisibleMenu() {
    for (HWND w = FindWindowExA(nullptr, nullptr, "#32768", nullptr); w; w = FindWindowExA(nullptr, w, "#32768", nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == GetCurrentProcessId() && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

// A right press on the strip, then the key of one item typed into its menu, as a user would.
// The menu runs its own loop on this thread, so the key comes from a helper thread; false
// when no menu showed or the key did not end it.
bool ChooseFromStripMenu(HWND strip, WPARAM key) {
    std::atomic<bool> ok{false};
    std::thread typist([&] {
        HWND menu = nullptr;
        for (int i = 0; i < 300 && menu == nullptr; ++i, Sleep(10)) menu = VisibleMenu();
        if (menu == nullptr) return;
        PostMessageA(strip, WM_KEYDOWN, key, 0);
        PostMessageA(strip, WM_KEYUP, key, 0xC0000000);
        for (int i = 0; i < 300 && VisibleMenu() != nullptr; ++i) Sleep(10);
        ok = VisibleMenu() == nullptr;
        if (!ok) PostMessageA(strip, WM_KEYDOWN, VK_ESCAPE, 0);  // never leave the test stuck in a menu
    });
    const LRESULT result = SendMessageA(strip, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(kStripWidth - 10, 5));
    typist.join();
    EXPECT_EQ(result, 1);
    return ok;
}

std::string Ini(const char* section, const char* key) {
    char value[64] = {};
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, ".\\Quilvo.ini");
    return value;
}


class DockedToolbarTest : public ::testing::Test {
protected:
    test::ScratchDirectory dir_{"quilvo-docked"};  // first made, last gone

    static void SetUpTestSuite() {
        RegisterWindowClasses(GetModuleHandleA(nullptr));
        test::RegisterTestClass(kOwnAfxClass);
    }

    void SetUp() override {
        ASSERT_TRUE(dir_.Entered());

        ASSERT_TRUE(sim.Start("session A system=PRD client=100 user=ALICE x=100 y=50 w=800 h=600\n"
                              "session B system=QAS client=200 user=BOB x=300 y=700 w=640 h=200\n"
                              "session T class=AfxWnd42s parent=A x=0 y=0 w=700 h=100\n"))
            << sim.LastError();
        a_ = sim.Hwnd("A");
        b_ = sim.Hwnd("B");

        const HWND windows[] = {a_, b_};
        const RECT places[] = {{100, 50, 800, 600}, {300, 700, 640, 200}};  // x, y, width, height
        std::vector<SessionRecord> sessions;
        for (int i = 0; i < 2; ++i) {
            SessionRecord r = ::test::Record(FromHwnd(windows[i]));
            r.x = places[i].left;
            r.y = places[i].top;
            r.width = places[i].right;
            r.height = places[i].bottom;
            sessions.push_back(r);
        }
        // Every box holds both sessions.
        SessionSnapshot both = ::test::SnapshotOf(sessions);
        for (auto& members : both.members) members = {0, 1};
        snapshot_ = std::make_shared<const SessionSnapshot>(both);
        docked_.flag = 1;
        capture_ = std::make_unique<DebugLines::Capture>();
    }

    void TearDown() override {
        capture_.reset();
        if (docked_.View() && IsWindow(docked_.View()->ownWindow)) DestroyWindow(docked_.View()->ownWindow);
        docked_.TearDown();
        if (ownFrame_) DestroyWindow(ownFrame_);
        PumpFor(20);
        sim.Stop();
    }

    // The "AfxWnd" child of the simulated session A: where a docked toolbar would sit.
    HWND SessionHost() {
        HWND host = FindAfxWndChild(a_);
        EXPECT_EQ(host, sim.Hwnd("T"));
        return host;
    }
    // The same arrangement inside this process. A window made inside another process's
    // window draws nothing under Wine (its device context has no surface), so what the strip
    // paints is read here.
    HWND OwnHost() {
        ownFrame_ = CreateWindowExA(0, "STATIC", "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300, 720, 200,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        HWND afx = CreateWindowExA(0, kOwnAfxClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 700, 100, ownFrame_,
                                   nullptr, GetModuleHandleA(nullptr), nullptr);
        EXPECT_EQ(FindAfxWndChild(ownFrame_), afx);
        return afx;
    }

    BoxedViewToolbar* Create(HWND host) {
        DockedViewSetup setup;
        setup.parent = host;
        setup.place = RECT{0, 0, kStripWidth, kStripHeight};
        setup.snapshot = snapshot_;
        setup.boxCount = kBoxCount;
        setup.label = kLabel;
        setup.details[0] = "PRD";
        setup.details[1] = "100";
        setup.details[2] = "ALICE";
        setup.textBackground = kTextBackground;
        setup.services.ops = &platform_.ops;
        setup.services.drag = &drag_;
        return docked_.Create(setup);
    }

    sessionsim::Simulator sim;
    test::PlatformOps platform_;
    DragController drag_;
    DockedViews docked_;
    HWND a_ = nullptr;
    HWND b_ = nullptr;
    HWND ownFrame_ = nullptr;
    Snapshot snapshot_;
    std::unique_ptr<DebugLines::Capture> capture_;
};


// The columns between left and right in which a band of rows differs from the class
// background, and how many of those pixels are white-ish or the text background.
struct Band {
    int first = -1, last = -1, whitish = 0, background = 0;
};

Band ScanBand(HDC dc, int left, int right, int top, int bottom, COLORREF classColour) {
    Band band;
    for (int x = left; x < right; ++x) {
        for (int y = top; y < bottom; ++y) {
            const COLORREF c = GetPixel(dc, x, y);
            if (c == classColour) continue;
            band.last = x;
            if (band.first < 0) band.first = x;
            band.whitish += GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200;
            band.background += c == kTextBackground;
        }
    }
    return band;
}

TEST_F(DockedToolbarTest, PaintsLabelAndDetailsRightOfThePanelsOnItsRecolouredBackground) {
    HWND host = OwnHost();
    BoxedViewToolbar* view = Create(host);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(docked_.View(), view);
    HWND strip = view->ownWindow;
    EXPECT_EQ(GetParent(strip), host);
    EXPECT_STREQ(view->sectionName, "BoxedViewToolbar");
    ASSERT_EQ(view->BoxCount(), kBoxCount);
    for (int i = 0; i < kBoxCount; ++i) {
        ASSERT_NE(view->Panel(i), nullptr);
        EXPECT_EQ(view->Panel(i)->MiniCount(), 2);
        EXPECT_EQ(GetParent(view->Panel(i)->ownWindow), strip);
    }

    // Every paint recolours twice and makes a font: either of them kept would take a slot of the
    // GDI handle table away at every paint (test::GdiSlots). Hidden, they cost no screen traffic.
    ShowWindow(strip, SW_HIDE);
    const test::GdiSlots slots;
    SendMessageA(strip, WM_PAINT, 0, 0);
    const auto before = slots.Next();
    for (int i = 0; i < 300; ++i) SendMessageA(strip, WM_PAINT, 0, 0);
    EXPECT_LE(slots.Taken(before), test::GdiSlots::kTolerated) << "paints keep GDI objects";
    ShowWindow(strip, SW_SHOWNA);
    RedrawWindow(strip, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpFor(50);

    const COLORREF info = GetSysColor(COLOR_INFOBK);
    LOGBRUSH brush = {};
    ASSERT_NE(GetObjectA(reinterpret_cast<HBRUSH>(GetClassLongPtrA(strip, GCLP_HBRBACKGROUND)), sizeof brush, &brush), 0);
    EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
    EXPECT_EQ(brush.lbColor, info);

    // The texts in the strip's own font, measured independently.
    const DockedFont size = DockedTextFont(kStripHeight);
    const ScopedFont font = CreateTextFont(size.height, size.width, true);
    ASSERT_TRUE(font) << "no font could be made after the paints";
    ScopedGetDC dc(strip);
    SIZE label = {};
    SIZE details = {};
    {
        ScopedSelectObject selected(dc.get(), font.get());
        GetTextExtentPoint32A(dc.get(), kLabel, static_cast<int>(std::strlen(kLabel)), &label);
        GetTextExtentPoint32A(dc.get(), "[PRD : 100 : ALICE]", 19, &details);
    }
    const int x = kBoxCount * view->Panel(0)->width;
    RECT client = {};
    GetClientRect(strip, &client);
    ASSERT_EQ(client.bottom, kStripHeight);
    // Right of the panels only: they are windows of their own, in their own colour.
    const int panelsRight = RectInParent(view->Panel(kBoxCount - 1)->ownWindow).right;
    const struct {
        const char* what;
        int top, bottom, width;
    } bands[] = {{"label", 0, size.height, label.cx}, {"details", kStripHeight - size.height, kStripHeight, details.cx}};
    for (const auto& b : bands) {
        SCOPED_TRACE(b.what);
        const Band band = ScanBand(dc.get(), panelsRight, kStripWidth, b.top, b.bottom, info);
        EXPECT_EQ(band.first, x);
        EXPECT_EQ(band.last, x + b.width - 1);
        EXPECT_GT(band.whitish, 0) << "white text";
        EXPECT_GT(band.background, b.width) << "on the text background colour";
    }
}

// "&Use Background Colorizer" only closes the menu; "&Close" clears the docked flag and the
// view's visible flag, and the teardown stores the latter where the next start reads the
// former.
TEST_F(DockedToolbarTest, CloseFromItsMenuStoresInvisibleForTheNextStart) {
    BoxedViewToolbar* view = Create(SessionHost());
    ASSERT_NE(view, nullptr);
    HWND strip = view->ownWindow;

    ASSERT_TRUE(ChooseFromStripMenu(strip, 'U'));
    EXPECT_TRUE(IsWindow(strip));
    EXPECT_EQ(docked_.View(), view);
    EXPECT_EQ(view->visible, 1);
    EXPECT_EQ(docked_.flag, 1);
    EXPECT_EQ(GetFileAttributesA(".\\Quilvo.ini"), INVALID_FILE_ATTRIBUTES) << "nothing written";

    RECT screen = {};
    GetWindowRect(strip, &screen);
    ASSERT_TRUE(ChooseFromStripMenu(strip, 'C'));
    EXPECT_FALSE(IsWindow(strip));
    EXPECT_EQ(docked_.View(), nullptr);
    EXPECT_EQ(docked_.flag, 0);
    EXPECT_EQ(Ini("BoxedViewToolbar", "Visible"), "0");
    EXPECT_EQ(Ini("BoxedViewToolbar", "ZoomFactor"), "2");
    EXPECT_EQ(Ini("BoxedViewToolbar", "WindowX"), std::to_string(screen.left));
    EXPECT_EQ(Ini("BoxedViewToolbar", "Width"), std::to_string(kStripWidth));
    EXPECT_EQ(DebugLines::Containing("freed Boxes"), 1);

    // The next start reads the docked flag right after making the tray host.
    docked_.flag = 1;
    struct : TrayOwner {
        void OnTrayIcon(HWND, TrayIconAction) override {}
        void OnNoticeClicked() override {}
        void OnHotkey(int) override {}
        void OnPolicyChanged() override {}
    } nobody;
    TrayHost host;
    HWND trayHost = host.Create(GetModuleHandleA(nullptr), IDI_QUILVO, nobody);
    ASSERT_NE(trayHost, nullptr);
    docked_.ReadFlag();
    EXPECT_EQ(docked_.flag, 0);
    DestroyWindow(trayHost);
}

// Whatever ends the strip, its view is torn down once: its section is written once (one
// "freed Boxes" line) and a later teardown finds nothing. The last way is the real one: the
// session window that holds the strip closes.
TEST_F(DockedToolbarTest, CloseDestroyAndTheSessionClosingTearDownOnce) {
    const struct {
        const char* way;
        std::function<void(HWND)> end;
    } ways[] = {
        {"WM_CLOSE", [](HWND strip) { SendMessageA(strip, WM_CLOSE, 0, 0); }},
        {"DestroyWindow", [](HWND strip) { DestroyWindow(strip); }},
        {"session closes", [this](HWND) { EXPECT_TRUE(sim.Send("close A")); }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        DeleteFileA(".\\Quilvo.ini");
        DebugLines::lines.clear();
        BoxedViewToolbar* view = Create(SessionHost());
        ASSERT_NE(view, nullptr);
        HWND strip = view->ownWindow;
        w.end(strip);
        EXPECT_TRUE(PumpUntil([&] { return !IsWindow(strip); }, 5000));
        EXPECT_EQ(docked_.View(), nullptr);
        EXPECT_EQ(DebugLines::Containing("freed Boxes"), 1);
        EXPECT_EQ(DebugLines::Containing("deleted Box"), kBoxCount);
        EXPECT_EQ(Ini("BoxedViewToolbar", "Visible"), "1");  // only "&Close" clears it
        docked_.TearDown();
        EXPECT_EQ(DebugLines::Containing("freed Boxes"), 1);
    }

}

// The docked toolbar raises and captures like any view, but its mini windows never move a
// session window. The same press and move in another view drag the session.
TEST_F(DockedToolbarTest, ARightPressOnItsMiniWindowRaisesTheSessionButMovesNothing) {
    BoxedViewToolbar* view = Create(SessionHost());
    ASSERT_NE(view, nullptr);
    BoxPanel* panel = view->Panel(0);
    MiniWindow* mini = panel->Mini(1);
    ASSERT_NE(mini, nullptr);
    ASSERT_EQ(ToHwnd(mini->Session().window), b_);
    const auto placeOfB = [this] {
        const std::string p = sim.Command("placement B").Data();  // "SHOWCMD x y w h"
        return p.substr(p.find(' ') + 1);
    };
    ASSERT_TRUE(sim.Send("minimize B"));
    ASSERT_TRUE(sim.WaitForLine("show B minimized"));
    const std::string before = placeOfB();
    const RECT miniBefore = RectInParent(mini->ownWindow);

    const auto pressAndMove = [&] {
        SendMessageA(mini->ownWindow, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
        SendMessageA(panel->ownWindow, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(30, 20));
        PumpFor(300);
    };
    pressAndMove();
    EXPECT_TRUE(sim.WaitForLine("show B restored"));
    EXPECT_FALSE(drag_.DragInProgress());
    EXPECT_EQ(placeOfB(), before);
    const RECT miniAfter = RectInParent(mini->ownWindow);
    EXPECT_EQ(miniAfter.left, miniBefore.left);
    EXPECT_EQ(miniAfter.top, miniBefore.top);
    SendMessageA(panel->ownWindow, WM_RBUTTONUP, 0, MAKELPARAM(30, 20));

    view->Context().kind = ViewKind::Single;
    pressAndMove();
    EXPECT_TRUE(drag_.DragInProgress());
    EXPECT_TRUE(PumpUntil([&] { return placeOfB() != before; }, 3000)) << "the control case moved nothing";
    SendMessageA(panel->ownWindow, WM_RBUTTONUP, 0, MAKELPARAM(30, 20));
    view->Context().kind = ViewKind::Docked;
}

}  // namespace
}  // namespace quilvo
