#include "views/tip_states.h"

namespace quilvo {

TipStep NextTipStep(TipState state, TipEvent event, bool dragging) {
    TipStep step{state, {}};
    TipActions& a = step.actions;
    switch (event) {
        case TipEvent::Request:
            // During a drag nothing at all happens: not even the text is taken.
            if (dragging) return step;
            a.storeRequest = true;
            a.destroyWindow = (state == TipState::Shown);
            a.stopCreateTimer = true;  // a restart: a pending request is replaced
            a.startCreateTimer = true;
            step.next = TipState::Pending;
            return step;
        case TipEvent::Cancel:
            // Only a pending request is cancelled; a tip that is up stays.
            a.stopCreateTimer = true;
            if (state == TipState::Pending) step.next = TipState::Idle;
            return step;
        case TipEvent::Destroy:
        case TipEvent::DestroyTimerFires:
            if (state == TipState::Shown) {
                a.destroyWindow = true;
                step.next = TipState::Idle;
            }
            return step;
        case TipEvent::CreateTimerFires:
            // The create timer fires once per request: it is stopped before the tip is made.
            a.stopCreateTimer = true;
            if (state == TipState::Pending) {
                a.createWindow = true;
                step.next = TipState::Shown;
            }
            return step;
    }
    return step;
}

const char* TipStateName(TipState state) {
    switch (state) {
        case TipState::Idle: return "idle";
        case TipState::Pending: return "pending";
        case TipState::Shown: return "shown";
    }
    return "?";
}

}  // namespace quilvo
