// The program's one user-interface thread: start-up, the hidden tray host with the
// notification icon, the main window, the refresh timer and the message loop.
#pragma once

#include <windows.h>

#include "app/hotkeys.h"
#include "app/main_window.h"
#include "app/session_notices.h"
#include "app/tray_host.h"
#include "commands/box_properties.h"
#include "commands/win32_session_ops.h"
#include "core/boxes.h"
#include "core/discovery.h"
#include "core/front_order.h"
#include "core/refresh.h"
#include "core/session.h"
#include "platform/session_worker.h"
#include "platform/win32_discovery.h"
#include "platform/win32_refresh_platform.h"
#include "views/boxed_view.h"
#include "views/docked_toolbar.h"
#include "views/drag_controller.h"
#include "views/find_window.h"

namespace quilvo {

// The one owner of the program's parts. Start-up (RunApp) makes them in the order they are
// declared here; the end of the program destroys them in the opposite order, the sweep of the
// sessions it hid last.
struct App {
    HINSTANCE instance = nullptr;
    char sessionClass[kClassNameCapacity] = {};
    // The argument text of the command line as received ("" for none): the command that
    // starts the program at log-on repeats it.
    const char* arguments = "";
    bool running = false;
    SapMessages messages;
    IdleSettings idle;
    SessionTable sessions = {};
    BoxFilter filters[kBoxCount] = {};
    // The session worker's thread runs from here to the end (Stop at Exit).
    SessionWorker worker;
    Win32SessionOps ops{worker};
    DragController drag;
    DockedViews docked;
    bool menuOpen = false;  // the tray menu is tracked: a click on the icon opens no second one
    MainWindow mainWindow;
    TrayHost trayHost;
    std::unique_ptr<Win32DiscoveryWindows> discovery;
    Win32RefreshPlatform refreshPlatform;
    std::unique_ptr<BoxPropertiesDialogs> properties;
    std::unique_ptr<Win32ViewFactory> views;
    // The views live in the cycle; Exit tears them down (they write their sections).
    std::unique_ptr<RefreshCycle> cycle;
    // Ready notices and the opening of new sessions, told of every pass by the cycle.
    std::unique_ptr<SessionNotices> notices;
    std::unique_ptr<FindSessionWindow> find;  // its window is made at the first opening
    Hotkeys hotkeys;
    // When windows were last in front: from the foreground changes the hook reports, the
    // window in front at each pass and the activations the program makes. The find window
    // lists the sessions so.
    FrontOrder front;
    HWINEVENTHOOK foregroundHook = nullptr;
};

App& TheApp();

// The end of the program: its parts destroyed in the opposite order of their making.
void EndApp(App& app);

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
