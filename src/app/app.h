// The program's one user-interface thread: start-up, the hidden tray host with the
// notification icon, the main window, the refresh timer and the message loop.
#pragma once

#include <windows.h>

#include "app/hotkeys.h"
#include "app/main_window.h"
#include "app/tray_host.h"
#include "core/boxes.h"
#include "core/discovery.h"
#include "core/refresh.h"
#include "core/session.h"
#include "platform/win32_discovery.h"
#include "views/find_window.h"

namespace quilvo {

// The state the whole program shares, one of each for the life of the process.
struct App {
    HINSTANCE instance = nullptr;
    char sessionClass[kClassNameCapacity] = {};
    MainWindow mainWindow;
    TrayHost trayHost;
    bool running = false;
    SapMessages messages;
    IdleSettings idle;
    SessionTable sessions = {};
    BoxFilter filters[kBoxCount] = {};
    // Made at start-up and never destroyed: the views are torn down only by Exit, and the
    // lists of the last rebuild stay as they are when the program ends.
    RefreshCycle* cycle = nullptr;
    Hotkeys hotkeys;
    FindSessionWindow* find = nullptr;  // made at start-up, its window at the first opening
};

App& TheApp();

// Clears the run flag: the message loop ends after the message being dispatched.
void StopApp();

// What the hotkey with this id does (WM_HOTKEY to the tray host).
void OnHotkey(int id);
// Opens the find window: its hotkey and the tray menu's "Find session...".
void OpenFindWindow();
// The hotkeys given back and the find window destroyed (Exit, the end of the program).
void EndFinding();

// Start-up, message loop and end; returns 0 when the loop has ended.
int RunApp(HINSTANCE instance, const char* commandLine);

}  // namespace quilvo
