// What the views draw with: a window class's background brush replaced by a new solid brush,
// the one face the panels, tip and docked strip write in, and the system's message font.
#pragma once

#include <windows.h>

#include "platform/scoped_win.h"

namespace quilvo {

// The texts of panels, tip and docked strip: Arial of this height (and width, 0 for the
// face's own).
ScopedFont CreateTextFont(int height, int width = 0, bool italic = false);

// The system's message font for a window at dpi: at `points` points, or with points 0 at the
// size the system gives it (for the screen's DPI), scaled to dpi.
ScopedFont CreateMessageFont(int dpi, int points = 0);

// The new brush becomes the background of the whole class of wnd first; the old one is
// deleted after, and only when it is neither a stock brush nor a system-colour index
// (COLOR_x + 1), which the class may have started with. The new brush shows at the next
// erase: nothing is repainted here.
void ReplaceClassBackground(HWND wnd, COLORREF colour);

}  // namespace quilvo
