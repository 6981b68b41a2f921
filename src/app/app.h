// The program's one user-interface thread: start-up, the hidden tray host with the
// notification icon, the main window, the refresh timer and the message loop.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/hotkeys.h"
#include "app/main_window.h"
#include "app/overview_views.h"
#include "app/production_watch.h"
#include "app/session_notices.h"
#include "app/session_reopen.h"
#include "app/tray_host.h"
#include "app/tray_menu.h"
#include "commands/box_properties.h"
#include "commands/win32_session_ops.h"
#include "core/discovery.h"
#include "core/front_order.h"
#include "core/refresh.h"
#include "platform/dispatcher.h"
#include "platform/session_worker.h"
#include "platform/win32_discovery.h"
#include "platform/win32_refresh_platform.h"
#include "views/docked_toolbar.h"
#include "views/drag_controller.h"
#include "views/find_window.h"

namespace quilvo {

// The one owner of the program's parts. Start-up (RunApp) makes them in the order they are
// declared here; the end of the program destroys them in the opposite order (EndApp), the
// sweep of the sessions it hid last. Every part is handed what it needs when it is made.
struct App final : TrayOwner, PassListener {
    HINSTANCE instance = nullptr;
    char sessionClass[kClassNameCapacity] = {};
    // The argument text of the ANSI command line as received ("" for none): the session class.
    const char* arguments = "";
    // The same text from the wide command line, as UTF-8: the command that starts the program at
    // log-on repeats it, and text outside the ANSI code page survives only so.
    std::string runArguments;
    bool running = false;
    SapMessages messages;
    IdleSettings idle;
    // The session worker's thread runs from here to the end (Stop at Exit).
    SessionWorker worker;
    Win32SessionOps ops{worker};
    DragController drag;
    DockedViews docked;
    // Work back to this thread: the steps of a pass, the walker's end.
    Dispatcher dispatcher;
    MainWindow mainWindow;
    TrayHost trayHost;
    std::unique_ptr<Win32DiscoveryWindows> discovery;
    Win32RefreshPlatform refreshPlatform{&dispatcher};
    OkCodeSender okCodes{refreshPlatform};
    std::unique_ptr<TrayNotice> notice;  // the icon's balloon, once the tray host is made
    // The sessions of the moment and the boxes; the views are told of every rebuild.
    std::unique_ptr<RefreshCycle> cycle;
    // The frame around the production session in front.
    std::unique_ptr<ProductionWatch> production;
    std::unique_ptr<BoxPropertiesDialogs> properties;
    // Exit tears them down (they write their sections).
    std::unique_ptr<OverviewViews> views;
    // Ready notices and the opening of new sessions, told of every pass by the cycle.
    std::unique_ptr<SessionNotices> notices;
    // The day's sessions kept and offered back (none when REOPEN=0).
    std::unique_ptr<SessionReopen> reopen;
    std::unique_ptr<TrayMenu> trayMenu;
    std::unique_ptr<FindSessionWindow> find;  // its window is made at the first opening
    Hotkeys hotkeys;
    // When windows were last in front: from the foreground changes the hook reports, the
    // window in front at each pass and the activations the program makes. The find window
    // lists the sessions so.
    FrontOrder front;
    HWINEVENTHOOK foregroundHook = nullptr;

    // TrayOwner
    void OnTrayIcon(HWND trayHost, TrayIconAction action) override;
    void OnNoticeClicked() override;
    void OnHotkey(int id) override;
    void OnPolicyChanged() override;
    // PassListener: the notices, then the sessions kept, once the pass has published.
    void OnPassFinished(SessionSnapshot& draft) override;
};

// Start-up, message loop and end; returns 0 when the loop has ended. The command line comes
// twice: the ANSI one names the session class, the wide one goes into the Run value.
int RunApp(HINSTANCE instance, const char* commandLine, const wchar_t* wideCommandLine);

}  // namespace quilvo
