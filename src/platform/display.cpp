#include "platform/display.h"

#include "platform/scoped_win.h"

namespace quilvo {
namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(monitor, &info)) return TRUE;
    const RECT& m = info.rcMonitor;
    const RECT& w = info.rcWork;
    reinterpret_cast<MonitorList*>(param)->Add(NormalRect{m.left, m.top, m.right, m.bottom},
                                               NormalRect{w.left, w.top, w.right, w.bottom});
    return TRUE;
}

class Win32Monitors final : public MonitorSource {
public:
    MonitorList Monitors() override { return ReadMonitors(); }
};

int ScreenDpi() {
    ScopedGetDC screen(nullptr);
    const int dpi = screen.get() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
    return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

MonitorList ReadMonitors() {
    MonitorList list;
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&list));
    if (list.count == 0) list = OneMonitor(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return list;
}

MonitorSource& PlatformMonitors() {
    static Win32Monitors monitors;
    return monitors;
}

int WindowDpi(HWND window) {
    // Looked up at run time: Windows before 10 (1607) does not have it.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow != nullptr && window != nullptr) {
        const UINT dpi = getDpiForWindow(window);
        if (dpi > 0) return static_cast<int>(dpi);
    }
    return ScreenDpi();
}

void TakeSuggestedRect(HWND window, LPARAM suggested) {
    const RECT* r = reinterpret_cast<const RECT*>(suggested);
    SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool PlacementInWorkspace(HWND window) {
    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    const LONG_PTR exStyle = GetWindowLongPtrA(window, GWL_EXSTYLE);
    return (style & WS_CHILD) == 0 && (exStyle & WS_EX_TOOLWINDOW) == 0;
}

bool HighContrastOn() {
    HIGHCONTRASTA contrast = {};
    contrast.cbSize = sizeof contrast;
    if (!SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0)) return false;
    return (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace quilvo
