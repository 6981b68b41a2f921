// The hover tip's life as a plain state table: which state a tip is in and what an event
// does to it. The HoverTip derives its state from its window and timer and carries out the
// actions this table names, so the rules can be checked without any window.
#pragma once

namespace quilvo {

enum class TipState {
    Idle,     // no tip window, no create timer
    Pending,  // the create timer runs
    Shown,    // the tip window is up and its destroy timer runs
};

enum class TipEvent {
    Request,            // RequestTip
    Cancel,             // CancelTipRequest
    Destroy,            // DestroyTip
    CreateTimerFires,   // the delay after a request has passed
    DestroyTimerFires,  // one second after the tip was created
};

// What the tip does on an event, in this order.
struct TipActions {
    bool storeRequest = false;       // measure the text, keep position, width and text
    bool destroyWindow = false;      // destroy the tip window (its destroy timer ends with it)
    bool stopCreateTimer = false;    // stop the create timer
    bool startCreateTimer = false;   // start the create timer with the delay
    bool createWindow = false;       // create and show the tip, start its destroy timer
};

struct TipStep {
    TipState next;
    TipActions actions;
};

// dragging: the drag flag at the moment of the event; only a request looks at it.
TipStep NextTipStep(TipState state, TipEvent event, bool dragging);

const char* TipStateName(TipState state);

}  // namespace quilvo
