// The one record of a mini-window drag. The drag start of a mini window fills it, the box
// panel moves the windows with it and clears it; while its drag flag is set the refresh cycle
// skips its passes and the hover tip takes no requests.
#pragma once

#include <cstdint>

#include "base/handle.h"

namespace quilvo {

struct DragState {
    std::uint8_t dragFlag;         // a drag is in progress
    std::int32_t grabX;            // pointer position inside the dragged mini window's client area
    std::int32_t grabY;
    WindowHandle draggedMini;      // the mini window's own window
    WindowHandle draggedSession;   // the real session window that moves with it
    WindowHandle repaintWindow;    // the view's own window, repainted when the drag ends
};

// The program's one drag record; every field clear at start-up.
inline DragState g_dragState = {};

}  // namespace quilvo
