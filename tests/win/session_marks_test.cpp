// The marks of the session windows the program hid, as shows and hides are queued and land,
// on a real window of this process standing in for a session.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/win32_session_marks.h"

namespace quilvo {
namespace {

class SessionMarks : public ::testing::Test {
protected:
    void SetUp() override {
        window = CreateWindowExA(0, "STATIC", "session", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
    }
    void TearDown() override {
        ShowSessionsHiddenByUs("Static");  // takes the properties off again
        DestroyWindow(window);
    }
    void Show(bool visible) { ShowWindow(window, visible ? SW_SHOWNA : SW_HIDE); }
    HWND window = nullptr;
};

// A hide queued while the window looked hidden (another program's doing) marks nothing; but
// should the window show itself before that hide lands, the next pass that sees it visible
// marks it, so the hide that then lands cannot lose it.
TEST_F(SessionMarks, AHideQueuedToAHiddenWindowMarksItWhenAPassSeesItVisible) {
    NoteHideByUs(window);
    EXPECT_FALSE(IsMarkedHiddenByUs(window));
    NoteSeenAtPass(window);
    EXPECT_FALSE(IsMarkedHiddenByUs(window)) << "still hidden: nothing to tell";
    Show(true);  // it showed itself; the hide is still on its way
    NoteSeenAtPass(window);
    EXPECT_TRUE(IsMarkedHiddenByUs(window));
    Show(false);  // the hide lands
    EXPECT_EQ(ShowSessionsHiddenByUs("Static"), 1);
}

// A show of ours is pending until a pass sees it landed; after that, a hide queued to the
// window once another program hid it marks nothing.
TEST_F(SessionMarks, AShowSeenLandedIsNoLongerPending) {
    NoteShowByUs(window);
    Show(true);
    NoteSeenAtPass(window);
    Show(false);  // another program hides it
    NoteHideByUs(window);
    EXPECT_FALSE(IsMarkedHiddenByUs(window));
    EXPECT_EQ(ShowSessionsHiddenByUs("Static"), 0);

    // Without a pass in between, the show may still be on its way: the hide marks.
    NoteShowByUs(window);
    NoteHideByUs(window);
    EXPECT_TRUE(IsMarkedHiddenByUs(window));

    // A show in hand keeps the mark until its call has returned.
    NoteShowAsked(window);
    EXPECT_TRUE(IsMarkedHiddenByUs(window));
    Show(true);
    NoteShowMade(window);
    EXPECT_FALSE(IsMarkedHiddenByUs(window));
}

}  // namespace
}  // namespace quilvo
