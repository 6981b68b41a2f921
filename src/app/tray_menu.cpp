#include "app/tray_menu.h"

#include <string>

#include "app/app.h"
#include "app/autostart.h"
#include "app/autostart_rules.h"
#include "app/tray_host.h"
#include "commands/session_commands.h"
#include "commands/win32_session_menu.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "views/docked_toolbar.h"

namespace quilvo {

namespace {

// The alphas of the four Opacity commands.
constexpr int kOpacityNone = 255;
constexpr int kOpacityLow = 200;
constexpr int kOpacityMid = 150;
constexpr int kOpacityHigh = 72;

// Set while the tray menu is tracked: a click on the icon then is answered by the open menu,
// not by a second one.
class MenuOpenFlag {
public:
    MenuOpenFlag() { TheApp().menuOpen = true; }
    ~MenuOpenFlag() { TheApp().menuOpen = false; }
    MenuOpenFlag(const MenuOpenFlag&) = delete;
    MenuOpenFlag& operator=(const MenuOpenFlag&) = delete;
};

// The views are read from the refresh cycle when the command runs, never kept across the
// menu: a refresh may run while the menu is open.
void ShowView(OverviewView* view) {
    if (view != nullptr) view->Show();
}

void SetOpacity(int opacity) {
    ApplyOpacity(TheApp().mainWindow.Handle(), opacity);
    WriteProfileInt(kAppSection, kKeyOpacity, opacity);
}

void ToggleDocked() {
    App& app = TheApp();
    app.docked.flag = app.docked.flag ? 0 : 1;
    // Without a discovery pass: the table stays as the last pass left it.
    if (app.cycle) app.cycle->Refresh();
}

void ShowTrayMenu(HWND trayHost) {
    if (TheApp().menuOpen) return;
    MenuOpenFlag open;
    {
        const PopupMenu menu(IDM_TRAY);
        if (HMENU popup = menu.popup) {
            MenuSessions built;
            BuildSessionMenu(popup, TheApp().sessions, built);
            InsertFindItem(popup, TheApp().hotkeys.FindKeys());
            // Read when the menu opens: the value may have been changed by hand meanwhile.
            InsertStartItem(popup, StartsWithWindows());
            // A tracked menu closes when the user clicks elsewhere only if its owner is the
            // foreground window.
            SetForegroundWindow(trayHost);
            const UINT id = menu.TrackAtPointer(trayHost);
            // A refresh may have run while the menu was open: the command sees the session
            // table as it is now.
            CarryOutTrayCommand(id, id != 0 ? ItemDataByCommand(popup, id) : 0, built);
        }
    }
    // The owner must get a message once the menu is gone, or the next menu may not close when
    // the user clicks elsewhere (after Exit there is no owner left, and no next menu).
    PostMessageA(trayHost, WM_NULL, 0, 0);
}

}  // namespace

void OnTrayIcon(HWND trayHost, TrayIconAction action) {
    // Sent by another program (the taskbar, or any other): it is answered before the menu's
    // own message loop runs, so the sender is not held for as long as the menu is open.
    if (InSendMessage()) ReplyMessage(0);
    if (action == TrayIconAction::Refresh) {
        if (TheApp().cycle) TheApp().cycle->DiscoverAndRefresh();
    } else if (action == TrayIconAction::OpenMenu) {
        ShowTrayMenu(trayHost);
    }
}

void InsertFindItem(HMENU trayPopup, const std::string& keys) {
    const std::string text = "&Find session..." + (keys.empty() ? std::string() : "\t" + keys);
    InsertMenuA(trayPopup, ID_TRAY_EXIT, MF_BYCOMMAND | MF_STRING, ID_TRAY_FIND, text.c_str());
}

void InsertStartItem(HMENU trayPopup, bool checked) {
    InsertMenuA(trayPopup, ID_TRAY_EXIT, MF_BYCOMMAND | MF_STRING | (checked ? MF_CHECKED : MF_UNCHECKED),
                ID_TRAY_AUTOSTART, "Start with &Windows");
}

namespace {

// The session class counts only when one was given: a start without one has the value
// "Quilvo", whatever class it looks for.
std::string OwnRunValueName() {
    const App& app = TheApp();
    return RunValueName(app.arguments[0] != '\0' ? app.sessionClass : "");
}

}  // namespace

bool StartsWithWindows() {
    const std::string program = ThisProgramPath();
    return !program.empty() && RunValueStarts(RunKey{}, OwnRunValueName(), program);
}

void SwitchStartWithWindows() {
    const std::string program = ThisProgramPath();
    if (program.empty()) return;
    const bool on = !RunValueStarts(RunKey{}, OwnRunValueName(), program);
    SetRunValue(RunKey{}, OwnRunValueName(), RunCommand(program.c_str(), TheApp().arguments), on);
}

void CarryOutTrayCommand(UINT id, std::uintptr_t itemData, const MenuSessions& built) {
    App& app = TheApp();
    SessionWindowOps& ops = app.ops;
    switch (id) {
        case 0: break;
        case ID_TRAY_EXIT: RunExitSequence(); break;
        case ID_TRAY_ABOUT: app.trayHost.ShowAbout(); break;
        case ID_TRAY_FIND: OpenFindWindow(); break;
        case ID_TRAY_AUTOSTART: SwitchStartWithWindows(); break;
        case ID_TRAY_SHOWALL: ShowAllSessions(app.sessions, kShowRestore, ops); break;
        case ID_TRAY_ICONIZEALL: ShowAllSessions(app.sessions, kShowMinimize, ops); break;
        case ID_TRAY_HIDEALL: ShowAllSessions(app.sessions, kShowHide, ops); break;
        case ID_TRAY_DESTROYALL: ShowAllSessions(app.sessions, kShowClose, ops); break;
        // No toolbar or tool-column view is ever made: these have nothing to show.
        case ID_TRAY_TOOLBAR:
        case ID_TRAY_TOOLCOLUMN: break;
        case ID_TRAY_TOOLWINDOW:
            if (app.cycle) ShowView(app.cycle->ToolWindowView());
            break;
        case ID_TRAY_SINGLEBOX:
            if (app.cycle) ShowView(app.cycle->SingleView());
            break;
        case ID_TRAY_DOCKED: ToggleDocked(); break;
        case ID_TRAY_OPACITY_NONE: SetOpacity(kOpacityNone); break;
        case ID_TRAY_OPACITY_LOW: SetOpacity(kOpacityLow); break;
        case ID_TRAY_OPACITY_MID: SetOpacity(kOpacityMid); break;
        case ID_TRAY_OPACITY_HIGH: SetOpacity(kOpacityHigh); break;
        default: DispatchSessionCommand(app.sessions, built, static_cast<int>(id), itemData, ops); break;
    }
}

}  // namespace quilvo
