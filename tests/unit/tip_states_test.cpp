#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "views/tip_states.h"

namespace quilvo {
namespace {

constexpr TipState kIdle = TipState::Idle;
constexpr TipState kPending = TipState::Pending;
constexpr TipState kShown = TipState::Shown;

// The actions as one comparable tuple: store, destroy window, stop timer, start timer, create.
auto Acts(const TipActions& a) {
    return std::make_tuple(a.storeRequest, a.destroyWindow, a.stopCreateTimer, a.startCreateTimer,
                           a.createWindow);
}
auto Acts(bool store, bool destroy, bool stop, bool start, bool create) {
    return std::make_tuple(store, destroy, stop, start, create);
}

std::string Name(TipState s) { return TipStateName(s); }

TEST(TipStates, RequestAlwaysEndsPendingWithARestartedTimer) {
    for (TipState from : {kIdle, kPending}) {
        TipStep s = NextTipStep(from, TipEvent::Request, false);
        EXPECT_EQ(Name(s.next), "pending") << Name(from);
        EXPECT_EQ(Acts(s.actions), Acts(true, false, true, true, false)) << Name(from);
    }
    // A tip that is up goes at once; the new request waits its delay.
    TipStep s = NextTipStep(kShown, TipEvent::Request, false);
    EXPECT_EQ(Name(s.next), "pending");
    EXPECT_EQ(Acts(s.actions), Acts(true, true, true, true, false));
}

TEST(TipStates, RequestDuringDragChangesNothingNotEvenTheText) {
    for (TipState from : {kIdle, kPending, kShown}) {
        TipStep s = NextTipStep(from, TipEvent::Request, true);
        EXPECT_EQ(Name(s.next), Name(from));
        EXPECT_EQ(Acts(s.actions), Acts(false, false, false, false, false)) << Name(from);
    }
}

TEST(TipStates, CancelStopsOnlyAPendingRequestAndKeepsATipThatIsUp) {
    TipStep pending = NextTipStep(kPending, TipEvent::Cancel, false);
    EXPECT_EQ(Name(pending.next), "idle");
    EXPECT_TRUE(pending.actions.stopCreateTimer);

    TipStep shown = NextTipStep(kShown, TipEvent::Cancel, false);
    EXPECT_EQ(Name(shown.next), "shown");
    EXPECT_FALSE(shown.actions.destroyWindow);

    EXPECT_EQ(Name(NextTipStep(kIdle, TipEvent::Cancel, false).next), "idle");
}

TEST(TipStates, DestroyAndDestroyTimerRemoveOnlyATipThatIsUp) {
    for (TipEvent e : {TipEvent::Destroy, TipEvent::DestroyTimerFires}) {
        TipStep shown = NextTipStep(kShown, e, false);
        EXPECT_EQ(Name(shown.next), "idle");
        EXPECT_EQ(Acts(shown.actions), Acts(false, true, false, false, false));

        // A pending request survives a DestroyTip: its tip still comes.
        TipStep pending = NextTipStep(kPending, e, false);
        EXPECT_EQ(Name(pending.next), "pending");
        EXPECT_EQ(Acts(pending.actions), Acts(false, false, false, false, false));

        EXPECT_EQ(Name(NextTipStep(kIdle, e, false).next), "idle");
    }
}

TEST(TipStates, CreateTimerShowsThePendingTipOnce) {
    TipStep s = NextTipStep(kPending, TipEvent::CreateTimerFires, false);
    EXPECT_EQ(Name(s.next), "shown");
    // The timer is stopped before the window is made, so it fires once per request.
    EXPECT_EQ(Acts(s.actions), Acts(false, false, true, false, true));

    // A late tick with nothing pending makes no second window.
    for (TipState from : {kIdle, kShown}) {
        TipStep late = NextTipStep(from, TipEvent::CreateTimerFires, false);
        EXPECT_EQ(Name(late.next), Name(from));
        EXPECT_FALSE(late.actions.createWindow);
        EXPECT_FALSE(late.actions.destroyWindow);
    }
}

TEST(TipStates, DragFlagMattersOnlyForRequests) {
    for (TipState from : {kIdle, kPending, kShown}) {
        for (TipEvent e : {TipEvent::Cancel, TipEvent::Destroy, TipEvent::CreateTimerFires,
                           TipEvent::DestroyTimerFires}) {
            TipStep free = NextTipStep(from, e, false);
            TipStep dragging = NextTipStep(from, e, true);
            EXPECT_EQ(Name(free.next), Name(dragging.next));
            EXPECT_EQ(Acts(free.actions), Acts(dragging.actions));
        }
    }
}

}  // namespace
}  // namespace quilvo
