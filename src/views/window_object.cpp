#include "views/window_object.h"

namespace quilvo {

void WindowObject::DestroyOwnWindow() { DestroyWindow(ownWindow); }

void WindowObject::Place() {
    SetWindowPos(ownWindow, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW | SWP_NOREDRAW);
    MoveWindow(ownWindow, x, y, width, height, TRUE);
}

}  // namespace quilvo
