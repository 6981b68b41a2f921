// The mark a session window carries while the program keeps it hidden. Hidden session windows
// have no taskbar button: if the program ended without showing them again, nothing on the
// screen would lead the user back to them. The mark is a window property of the session
// window itself, so the window system keeps it with that window after the program is gone,
// and whatever road the program ends by (or the next start) can find and show exactly the
// windows it hid.
#pragma once

#include <windows.h>

namespace quilvo {

// The program hides the window (mark = true) or shows it again (mark = false).
void MarkHiddenByUs(HWND session, bool mark);
bool IsMarkedHiddenByUs(HWND session);

// Shows, without activating them, every window of the session class that carries the mark and
// is hidden, and removes the mark from every window that carries it. Returns how many windows
// were shown. Safe to call from an unhandled-exception filter: it allocates nothing.
int ShowSessionsHiddenByUs(const char* sessionClass);

}  // namespace quilvo
