// What keeps the user's sessions safe across the program's life: one running instance per
// session class, and the sessions it hid shown again however it ends.
#pragma once

#include <windows.h>

namespace quilvo {

// Claims the one instance of the program for this session class name (compared as discovery
// compares it: without regard to the case of A to Z). False when another instance has it;
// the claim lasts until the process ends, however it ends.
bool ClaimInstance(const char* sessionClass);

// Asks the instance that has the claim to show its main window as the tray menu's
// "Toolwindow" does; waits a little for its main window to exist. False if none was found.
bool ShowRunningInstance(const char* sessionClass);

// Marks the main window as the one of this session class, for a later start to find.
void MarkMainWindow(HWND mainWindow, const char* sessionClass);
void UnmarkMainWindow(HWND mainWindow);

// The message (registered) that ShowRunningInstance posts to the main window.
UINT ShowToolwindowMessage();

// From here on, a crash (an unhandled exception, or std::terminate) shows the session windows
// the program hid before the process goes.
void ShowHiddenSessionsOnCrash(const char* sessionClass);

}  // namespace quilvo
