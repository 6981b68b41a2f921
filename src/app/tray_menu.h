// The notification icon's callback and the tray menu: a left click opens the menu (resource
// 102 under the session entries and group pop-ups), a right press refreshes at once. Every
// command of the menu (the About box and Exit: app/tray_host.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/tray_rules.h"
#include "commands/session_menu.h"

namespace quilvo {

// What the tray host's callback message 1124 asked for (app/tray_rules.h): a refresh at once,
// or the tray menu.
void OnTrayIcon(HWND trayHost, TrayIconAction action);

// "&Find session..." right above "E&xit", followed by a tab and keys when a find hotkey is in
// force (keys empty: none is).
void InsertFindItem(HMENU trayPopup, const std::string& keys);

// "Start with &Windows" right above "E&xit", checked when the program starts at log-on.
void InsertStartItem(HMENU trayPopup, bool checked);

// The value under the user's Run key that starts this program as it was started, and
// whether it is there; the tray command switches it.
bool StartsWithWindows();
void SwitchStartWithWindows();

// Carries out a command chosen from the tray menu: 0 does nothing, the resource's commands
// their own work, any other id is a session menu command with the chosen item's data, for
// the sessions the menu was built from.
void CarryOutTrayCommand(UINT id, std::uintptr_t itemData, const MenuSessions& built);

}  // namespace quilvo
