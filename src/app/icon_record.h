// The record of every call to the shell about the notification icon (add, version, change,
// balloon, delete), filled in one place so that no call tells the shell less than another.
#pragma once

#include <windows.h>

#include <shellapi.h>

namespace quilvo {

// The full current layout of the record (a shell reads a shorter one as an older layout), the
// host and the icon's id, and the tip with NIF_TIP | NIF_SHOWTIP: a shell that sends version 4
// notifications shows the tip only when asked, and drops it from an icon changed without it.
NOTIFYICONDATAA IconRecord(HWND trayHost);

// IconRecord with what NIM_ADD needs besides: the callback message and the icon.
NOTIFYICONDATAA AddIconRecord(HWND trayHost, HICON icon);

// IconRecord with a balloon (NIF_INFO): title and text cut to what the record holds.
NOTIFYICONDATAA BalloonRecord(HWND trayHost, const char* title, const char* text);

}  // namespace quilvo
