// The desk as the window system reports it: its monitors and the pixels per inch of a window.
// The program declares itself per-monitor DPI aware, so every coordinate here is a physical
// pixel and each window has the DPI of the monitor it is on.
#pragma once

#include <windows.h>

#include "core/monitors.h"

namespace quilvo {

constexpr int kDefaultDpi = 96;

// Every monitor, in the platform's order (EnumDisplayMonitors); the primary screen alone when
// the list cannot be read.
MonitorList ReadMonitors();

// The monitors of the window system, for whoever is handed no other source.
MonitorSource& PlatformMonitors();

// The DPI of the monitor a window is on (GetDpiForWindow, from Windows 10 1607 on), else the
// screen's (the system DPI on older systems); 96 when neither can be read.
int WindowDpi(HWND window);

// WM_DPICHANGED's rectangle (lParam) taken as the window's new place and size, without
// changing its z-order or activating it.
void TakeSuggestedRect(HWND window, LPARAM suggested);

// True when GetWindowPlacement gives the window's normal rectangle in workspace coordinates:
// a top-level window without WS_EX_TOOLWINDOW.
bool PlacementInWorkspace(HWND window);

// True while the user has high contrast on (SPI_GETHIGHCONTRAST, HCF_HIGHCONTRASTON): the
// program then draws with the system's colours only. False when it cannot be read.
bool HighContrastOn();

}  // namespace quilvo
