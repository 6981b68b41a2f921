// What a callback of the notification icon asks for. The shell, once asked for its version 4
// notifications, sends the mouse messages as before (the event in the low word of lParam)
// and in addition the selection of the icon by keyboard (NIN_KEYSELECT), a selection
// (NIN_SELECT) and the context-menu key (WM_CONTEXTMENU). It also sends NIN_SELECT after
// every left click and WM_CONTEXTMENU after every right click: those echoes must not open a
// menu, or the mouse would do more than it always did.
#pragma once

namespace quilvo {

// The events, as the platform numbers them.
constexpr unsigned kTrayContextMenu = 0x007B;   // WM_CONTEXTMENU
constexpr unsigned kTrayLeftButtonUp = 0x0202;  // WM_LBUTTONUP
constexpr unsigned kTrayRightButtonDown = 0x0204;
constexpr unsigned kTrayRightButtonUp = 0x0205;
constexpr unsigned kTraySelect = 0x0400;        // NIN_SELECT (WM_USER)
constexpr unsigned kTrayKeySelect = 0x0401;     // NIN_KEYSELECT

enum class TrayIconAction { None, Refresh, OpenMenu };

// event: the low word of the callback's lParam. msSinceLeftUp and msSinceRightUp: how long
// ago the last left and right button ups on the icon came (a very large value when none
// did); an echo comes within echoMs (the double-click time) of its button.
TrayIconAction ActionForTrayIcon(unsigned event, unsigned msSinceLeftUp, unsigned msSinceRightUp, unsigned echoMs);

}  // namespace quilvo
