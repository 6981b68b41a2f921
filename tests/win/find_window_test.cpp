// The find window as a real window on the test thread, over a table of plain windows standing
// for sessions, with real input (SendInput) for the mouse and the keys.
#include <gtest/gtest.h>

#include "record_checks.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/window_classes.h"
#include "base/text.h"
#include "platform/scoped_win.h"
#include "recording_ops.h"
#include "resources/resource_ids.h"
#include "views/find_window.h"
#include "window_helpers.h"

namespace quilvo {
namespace {

using test::Pump;
using test::PumpUntil;

void SendKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    Pump();
}

// A left click at a point of the screen, as the mouse makes it. The press and the release
// each carry the point: under load Wine's desktop process may hand on a pointer position it
// read from the X server a while ago (the pointer over a window that went), and a click made
// at "wherever the cursor is" then landed on the row the test before had clicked.
void SendClick(POINT at) {
    const auto normal = [](LONG pixel, int extent) { return (pixel * 65536 + extent - 1) / extent; };
    INPUT input[2] = {};
    for (INPUT& in : input) {
        in.type = INPUT_MOUSE;
        in.mi.dx = normal(at.x, GetSystemMetrics(SM_CXSCREEN));
        in.mi.dy = normal(at.y, GetSystemMetrics(SM_CYSCREEN));
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
    Pump();
}

class FindWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterWindowClasses(GetModuleHandleA(nullptr));
        test::RegisterTestClass("FindTestSession");
        const char* const fields[][4] = {{"PRD", "100", "ALICE", "VA01"}, {"QAS", "200", "BOB", "SE38"},
                                         {"QAS", "300", "CAROL", "SE16"}};
        std::vector<SessionRecord> records;
        for (const auto& f : fields) {
            HWND window = CreateWindowExA(0, "FindTestSession", f[2], WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                          nullptr, GetModuleHandleA(nullptr), nullptr);
            sessions_.push_back(window);
            records.push_back(::test::Record(FromHwnd(window), f[0], f[1], f[2], f[3]));
        }
        snapshot_ = ::test::SnapshotOf(records);
        table_.Set(std::make_shared<const SessionSnapshot>(snapshot_));
        FindServices services;
        services.sessions = &table_;
        services.ops = &ops_;
        find_ = std::make_unique<FindSessionWindow>(services);
        find_->Open();
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == find_->Handle(); }, 2000));
    }
    void TearDown() override {
        find_.reset();
        for (HWND w : sessions_) DestroyWindow(w);
        Pump();
    }

    POINT RowCentre(int row) const {
        RECT r = {};
        SendMessageA(find_->List(), LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
        POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(find_->List(), &p);
        return p;
    }
    int Chosen() const { return static_cast<int>(SendMessageA(find_->List(), LB_GETCURSEL, 0, 0)); }
    std::string FieldText() const {
        char text[64] = {};
        GetWindowTextA(find_->Field(), text, sizeof text);
        return text;
    }

    SessionSnapshot snapshot_;
    HeldSnapshot table_;
    std::vector<HWND> sessions_;
    ::test::RecordingOps ops_;
    std::unique_ptr<FindSessionWindow> find_;
};

// After a click on a row the keys do what they do before any click: the arrows move on from
// the row clicked, Enter takes the row chosen, letters are typed into the field, Escape closes.
TEST_F(FindWindowTest, AfterAClickOnARowTheKeysStillWork) {
    SendClick(RowCentre(1));
    ASSERT_TRUE(PumpUntil([&] { return Chosen() == 1; }, 2000)) << "the click chooses the row";
    EXPECT_EQ(GetFocus(), find_->Field()) << "the keyboard is back with the field";
    SendKey(VK_DOWN);
    EXPECT_EQ(Chosen(), 2);
    SendKey(VK_RETURN);
    ASSERT_FALSE(ops_.calls.empty());
    EXPECT_EQ(ops_.calls.back(), "activate " + std::to_string(FromHwnd(sessions_[2])));

    find_->Open();
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == find_->Handle(); }, 2000));
    SendClick(RowCentre(0));
    SendKey('Q');
    EXPECT_EQ(FieldText(), "q");
    EXPECT_EQ(SendMessageA(find_->List(), LB_GETCOUNT, 0, 0), 2) << "typing filters as before";
    SendKey(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(find_->Handle()));
}

// The hotkey pressed again the moment the session chosen in the window has the foreground: the
// window, still shown, learns of losing it only after the new opening began to wait for the
// session's calls. That deactivation belongs to the use before; the opening follows.
TEST_F(FindWindowTest, ADeactivationLeftFromTheLastUseCancelsNoOpeningThatWaits) {
    SetWindowTextA(find_->Field(), "carol");
    ops_.settleLater = true;
    find_->Open();
    ShowWindow(sessions_[2], SW_SHOW);  // takes the activation
    Pump();
    EXPECT_FALSE(IsWindowVisible(find_->Handle())) << "no window shown out of the user's reach";
    PostMessageA(find_->Handle(), WM_QUILVO_FIND_SETTLED, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == find_->Handle(); }, 2000));
    EXPECT_EQ(FieldText(), "") << "opened anew";
}

// A box row: what the switch asked for, and whether the find window still had the foreground
// then, which is the program's right to hand it to the box's first session.
struct BoxSwitch {
    HWND find = nullptr;
    int box = -1;
    bool findInFront = false;
    bool withSession = true;
};
BoxSwitch g_switch;

bool RecordBoxSwitch(int box) {
    g_switch.box = box;
    g_switch.findInFront = GetForegroundWindow() == g_switch.find && IsWindowVisible(g_switch.find);
    return g_switch.withSession;
}

// Hidden before the switch, the window gave the foreground to the session behind it, which the
// switch then hid, and the box's first session took it from a program no longer in front. It
// now goes when that session takes the activation; at once when there is no session to take it.
TEST_F(FindWindowTest, ABoxRowSwitchesWhileTheWindowIsStillInFront) {
    std::strcpy(snapshot_.filters[1].system, "QAS");
    table_.Set(std::make_shared<const SessionSnapshot>(snapshot_));
    FindServices services;
    services.sessions = &table_;
    services.ops = &ops_;
    services.switchToBox = &RecordBoxSwitch;
    find_ = std::make_unique<FindSessionWindow>(services);
    for (const bool withSession : {true, false}) {
        SCOPED_TRACE(withSession ? "a session to activate" : "an empty box");
        g_switch = {};
        g_switch.withSession = withSession;
        find_->Open();
        g_switch.find = find_->Handle();
        ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == find_->Handle(); }, 2000));
        SetWindowTextA(find_->Field(), "box 2");
        SendKey(VK_RETURN);
        EXPECT_EQ(g_switch.box, 1);
        EXPECT_TRUE(g_switch.findInFront);
        EXPECT_EQ(IsWindowVisible(find_->Handle()) != FALSE, withSession);
        if (!withSession) continue;
        ShowWindow(sessions_[1], SW_SHOW);  // the box's first session takes the activation
        Pump();
        EXPECT_FALSE(IsWindowVisible(find_->Handle()));
        ShowWindow(sessions_[1], SW_HIDE);
    }
}

// The list's columns stand at tab stops of quarters of its font's average character width:
// set after the font, not before (then they kept the system font's widths, also after a DPI
// change brought a new font). Read off the screen: where the Client column's text begins.
TEST_F(FindWindowTest, TheListsTabStopsFollowItsFont) {
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        HWND list = find_->List();
        RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        RECT item = {};
        SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));  // not the chosen row
        ScopedGetDC dc(list);
        const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
        // The first text pixel after a gap of more than 4 columns past the first text.
        int firstText = -1;
        int column = -1;
        int lastText = -1;
        for (int x = item.left; x < item.right && column < 0; ++x) {
            bool inked = false;
            for (int y = item.top; y < item.bottom && !inked; ++y) inked = GetPixel(dc.get(), x, y) == text;
            if (!inked) continue;
            if (firstText < 0) firstText = x;
            else if (x - lastText > 4) column = x;
            lastText = x;
        }
        // The list's own measure: the font it has, "A" to "Z" and "a" to "z" averaged.
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0));
        ScopedSelectObject selected(dc.get(), font);
        const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
        SIZE size = {};
        GetTextExtentPoint32A(dc.get(), alphabet, 52, &size);
        const int average = (size.cx / 26 + 1) / 2;
        ASSERT_GT(column, 0);
        EXPECT_NEAR(column - item.left, 28 * average / 4, 3) << "the first tab stop, 28 quarters of " << average;
        // A DPI change brings the font anew (here at the same DPI): the stops stay with it.
        RECT r = {};
        GetWindowRect(find_->Handle(), &r);
        SendMessageA(find_->Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&r));
    }
}

}  // namespace
}  // namespace quilvo
