// How a box panel follows a new box list without remaking what it shows: the mini windows it
// has (the old list) and the sessions it is now given (the new list) give a plan of which
// mini window each session keeps, which of those move or draw anew, which sessions get new
// windows and which mini windows go. Pure: the panel carries the plan out on real windows.
#pragma once

#include <vector>

#include "base/handle.h"
#include "core/session.h"
#include "views/geometry.h"

namespace quilvo {

// One session as a panel shows it: its window, the mini window's place in the panel (before
// any cascade) and the record it draws and raises from.
struct ShownSession {
    WindowHandle window = kNoWindow;
    PixelRect place;
    const SessionRecord* record = nullptr;  // none: nothing drawn from it yet
};

// What a mini window draws differs between two records of its session: System, Client or
// Transaction (its label), the title while System and Client are empty (the label shows it
// then), the busy, ready and production marks. (The title's other uses, the tip and the button's text, are read when
// they are needed; the zoomed flag only when the session is raised.)
bool DrawsDifferently(const SessionRecord& a, const SessionRecord& b);

struct UpdatePlan {
    struct Step {
        int from = -1;          // the old mini window this session keeps; -1: a new one is made
        bool moves = false;     // kept, at another place or of another size
        bool redraws = false;   // kept, with something it draws changed
    };
    std::vector<Step> steps;    // one per session of the new list, in its order
    std::vector<int> gone;      // old mini windows no session keeps, in their old order

    // A session came, went or changed its place in the order: the stacking may change.
    bool Reordered() const;
    // Nothing to do at all: the same sessions in the same order, places and looks.
    bool Unchanged() const;
};

// A session keeps the first old mini window of its window that no earlier session of the new
// list has kept; a window listed twice keeps one and gets one made. Allocates (it may throw
// std::bad_alloc before anything is changed).
UpdatePlan PlanUpdate(const std::vector<ShownSession>& old, const std::vector<ShownSession>& fresh);

}  // namespace quilvo
