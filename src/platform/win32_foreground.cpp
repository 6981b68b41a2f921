#include "platform/win32_foreground.h"

#include <windows.h>

#include "platform/scoped_win.h"

namespace quilvo {

WindowHandle Win32Foreground::Front() const { return FromHwnd(GetForegroundWindow()); }

bool Win32Foreground::Ours(WindowHandle window) const {
    DWORD process = 0;
    GetWindowThreadProcessId(ToHwnd(window), &process);
    return process == GetCurrentProcessId();
}

// Any thread of a process that may set the foreground may do it: the session worker's too.
bool Win32Foreground::Take(WindowHandle window) { return SetForegroundWindow(ToHwnd(window)) != FALSE; }

// The taskbar button only, not the caption: a flashing caption is drawn by the window's own
// thread, which may be busy. FLASHW_TIMERNOFG flashes until the window comes to the front.
void Win32Foreground::Flash(WindowHandle window) {
    FLASHWINFO flash = {};
    flash.cbSize = sizeof flash;
    flash.hwnd = ToHwnd(window);
    flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
    FlashWindowEx(&flash);
}

}  // namespace quilvo
