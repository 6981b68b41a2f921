// The main window's position in the application section: saved from its normal (restored)
// rectangle, so a minimised or maximised window stores where it would be restored to.
#include <windows.h>

#include "settings/settings.h"

namespace quilvo {

void SaveWindowPosition(WindowHandle window) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(reinterpret_cast<HWND>(window), &placement)) return;
    WriteMainWindowPosition(placement.rcNormalPosition.left, placement.rcNormalPosition.top);
}

void RestoreMainWindow(WindowHandle window, int width, int height) {
    StoredPosition position = ReadMainWindowPosition();
    SetWindowPos(reinterpret_cast<HWND>(window), HWND_TOPMOST, position.x, position.y, width, height,
                 SWP_SHOWWINDOW);
}

}  // namespace quilvo
