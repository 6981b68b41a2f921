// A window class's background brush replaced by a new solid brush.
#pragma once

#include <windows.h>

namespace quilvo {

// The new brush becomes the background of the whole class of wnd first; the old one is
// deleted after, and only when it is neither a stock brush nor a system-colour index
// (COLOR_x + 1), which the class may have started with. The new brush shows at the next
// erase: nothing is repainted here.
void ReplaceClassBackground(HWND wnd, COLORREF colour);

}  // namespace quilvo
