// The walker thread of a discovery pass, with a real window of this thread as the one told.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>

#include "platform/pass_walker.h"

namespace quilvo {
namespace {

constexpr UINT kWalked = WM_APP + 21;

// A walk is made on another thread and announced from there by a posted message; a caption of a window of
// this thread, which the walk can read only when this thread takes the message sent for it, is
// given while the owner waits; Stop makes the walk handed over before it ends the thread, and
// nothing is made after it.
TEST(PassWalker, AWalkIsMadeElsewhereAnnouncedAndFinishedBeforeStopReturns) {
    HWND window = CreateWindowExA(0, "STATIC", "own caption", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    PassWalker walker;
    std::atomic<DWORD> walkThread{0};
    std::string caption;
    ASSERT_TRUE(walker.Start(
        [&] {
            walkThread = GetCurrentThreadId();
            char text[64] = {};
            SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
            caption = text;
        },
        [&] { PostMessageA(window, kWalked, 0, 0); }));
    walker.Await();
    EXPECT_NE(walkThread.load(), GetCurrentThreadId());
    EXPECT_EQ(caption, "own caption");
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, window, kWalked, kWalked, PM_REMOVE)) << "the walk is announced";

    ASSERT_TRUE(walker.Start(
        [&] {
            Sleep(200);
            caption = "second";
        },
        [&] { PostMessageA(window, kWalked, 0, 0); }));
    walker.Stop();
    EXPECT_EQ(caption, "second") << "the walk handed over is made";
    EXPECT_FALSE(walker.Start([&] { caption = "after"; }, [] {}));
    EXPECT_EQ(caption, "second");
    DestroyWindow(window);
}

}  // namespace
}  // namespace quilvo
