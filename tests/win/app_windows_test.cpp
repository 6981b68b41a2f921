// The application's own window procedures and its opacity, on real windows.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/main_window.h"
#include "app/session_window.h"
#include "app/window_classes.h"
#include "base/text.h"
#include "platform/scoped_win.h"
#include "record_checks.h"
#include "window_helpers.h"

namespace quilvo {
namespace {

using test::Pump;

// The program registers a session window class of its own; a window of it in this process
// shows the System, Client and User that the sessions of the moment hold for it, looked up
// among the first five only.
TEST(AppWindows, OwnSessionWindowShowsItsRecordFromTheFirstFive) {
    HeldSnapshot sessions;
    SessionWindow shows(sessions);
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterWindowClasses(module);
    HWND fifth = CreateWindowExA(0, "SAP_FRONTEND_SESSION", "fifth", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, module, &shows);
    HWND sixth = CreateWindowExA(0, "SAP_FRONTEND_SESSION", "sixth", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                               nullptr, nullptr, module, &shows);
    HWND fifthText = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 150, 20, fifth, nullptr,
                                    module, nullptr);
    HWND sixthText = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 150, 20, sixth, nullptr,
                                   module, nullptr);
    ASSERT_NE(fifthText, nullptr);

    std::vector<SessionRecord> records(4, ::test::Record(0x1));
    records.push_back(::test::Record(FromHwnd(fifth), "PRD", "100", "ALICE"));
    records.push_back(::test::Record(FromHwnd(sixth), "PRD", "100", "ALICE"));
    sessions.Set(std::make_shared<const SessionSnapshot>(::test::SnapshotOf(records)));

    for (HWND w : {fifth, sixth}) {
        InvalidateRect(w, nullptr, TRUE);
        UpdateWindow(w);
    }
    Pump();
    char text[64] = {};
    GetWindowTextA(fifthText, text, sizeof text);
    EXPECT_STREQ(text, "PRD 100 ALICE");
    GetWindowTextA(sixthText, text, sizeof text);
    EXPECT_STREQ(text, "");

    // A left press is swallowed: it never reaches the default handling.
    EXPECT_EQ(SendMessageA(fifth, WM_LBUTTONDOWN, MK_LBUTTON, 0), 0);
    DestroyWindow(fifth);
    DestroyWindow(sixth);
}

TEST(AppWindows, OpacityMakesTheWindowLayeredWithTheLowEightBits) {
    HWND w = CreateWindowExA(0, "STATIC", "layered", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                             nullptr, GetModuleHandleA(nullptr), nullptr);
    const struct {
        int opacity;
        BYTE alpha;
    } cases[] = {{255, 255}, {72, 72}, {300, 44}, {256, 0}};
    for (const auto& c : cases) {
        ApplyOpacity(w, c.opacity);
        EXPECT_TRUE(GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_LAYERED);
        BYTE alpha = 1;
        DWORD flags = 0;
        ASSERT_TRUE(GetLayeredWindowAttributes(w, nullptr, &alpha, &flags));
        EXPECT_EQ(alpha, c.alpha) << c.opacity;
        EXPECT_TRUE(flags & LWA_ALPHA);
    }
    DestroyWindow(w);
}

}  // namespace
}  // namespace quilvo
