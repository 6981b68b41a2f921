// Messages held back while the program waits for another program. A message sent to one of
// the program's windows during a wait (by the taskbar, an accessibility tool or any program
// that sends clicks) is handled inside that wait; if it acts (opens a menu, ends the program,
// raises or hides sessions), it could free the lists, panels and mini windows the waiting code
// still uses. Such a message is kept here instead and posted to its window, once, when the
// outermost wait has ended, so it is handled from the message loop like a click.
#pragma once

#include <windows.h>

namespace quilvo {

// True when a wait is in progress and the message was kept (a request other than a user's
// action is kept once, however often it comes): the caller returns at once without acting.
bool HoldWhileWaiting(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The same for the messages that carry what the user does (mouse buttons and moves, commands,
// keys, closing, the notification icon's callback); any other message is never held.
bool HoldUserActionWhileWaiting(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace quilvo
