// The settings on Windows: the private-profile seam over the platform's own ini code (nothing
// of ours), and the main window's position in the application section, saved from its normal
// (restored) rectangle, so a minimised or maximised window stores where it would be restored to.
#include <windows.h>

#include "settings/profile.h"
#include "settings/settings.h"

namespace quilvo {

std::uint32_t ProfileReadInt(const char* section, const char* key, int defaultValue, const char* file) {
    return GetPrivateProfileIntA(section, key, defaultValue, file);
}

std::uint32_t ProfileReadString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, std::uint32_t size, const char* file) {
    return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, file);
}

bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file) {
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

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
