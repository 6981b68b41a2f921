#include "app/app.h"

#include <cstdio>
#include <cstring>

#include <shellapi.h>

#include "app/instance.h"
#include "app/startup_rules.h"
#include "app/tray_menu.h"
#include "commands/box_properties.h"
#include "commands/session_commands.h"
#include "core/drag_state.h"
#include "platform/held_messages.h"
#include "platform/profile.h"
#include "platform/scoped_win.h"
#include "platform/win32_refresh_platform.h"
#include "platform/win32_session_marks.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "views/box_panel.h"
#include "views/boxed_view.h"
#include "views/docked_toolbar.h"
#include "views/docked_view.h"
#include "views/hover_tip.h"
#include "views/mini_window.h"

namespace quilvo {

SessionWindowOps& PlatformSessionOps();

namespace {

constexpr const char* kMainCaption = "zrt::quo \\3 Tarvo";
constexpr const char* kTrayTip = "zrt::quorval /3 Tarvo";
constexpr UINT kRefreshPeriodMs = 2000;

}  // namespace

// All six classes come from one template; only the name and the procedure change.
void RegisterWindowClasses(HINSTANCE instance) {
    struct ClassEntry {
        const char* name;
        WNDPROC proc;
    };
    const ClassEntry classes[] = {
        {kQuilvoWinClass, &MainWindowProc},   {"SAP_FRONTEND_SESSION", &SessionWindowProc},
        {"XToolTip", &HoverTip::WindowProc},  {"XBoxed", &BoxPanel::WindowProc},
        {"XIconWin", &MiniWindow::WindowProc}, {kDockedToolbarClass, &BoxedViewToolbar::WindowProc},
    };
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    for (const ClassEntry& c : classes) {
        wc.lpszClassName = c.name;
        wc.lpfnWndProc = c.proc;
        RegisterClassExA(&wc);
    }
}

namespace {

NOTIFYICONDATAA TrayIconData(HWND trayHost, HICON icon) {
    NOTIFYICONDATAA nid = {};
    // The first layout of the record, whose size differs between 32-bit (88) and 64-bit builds.
    nid.cbSize = NOTIFYICONDATAA_V1_SIZE;
    nid.hWnd = trayHost;
    nid.uID = IDI_QUILVO;
    nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    nid.uCallbackMessage = WM_QUILVO_TRAYICON;
    nid.hIcon = icon;
    lstrcpynA(nid.szTip, kTrayTip, 64);
    return nid;
}

void AddTrayIcon(HWND dlg) {
    NOTIFYICONDATAA nid = TrayIconData(dlg, TheApp().trayIcon);
    Shell_NotifyIconA(NIM_ADD, &nid);
}

void InitTrayHost(HWND dlg) {
    App& app = TheApp();
    std::memset(app.filters, 0, sizeof app.filters);
    int iconId = IconForSessionClass(app.sessionClass);
    app.trayIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(iconId));
    AddTrayIcon(dlg);
    SendMessageA(dlg, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app.trayIcon));
    app.messages = SapMessages::Register();
    // The shell sends this to every top-level window when the notification area is made
    // anew (after a crash or an update of the shell): the icons it held are gone by then.
    app.taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    g_dockedFlag = static_cast<int>(ProfileReadInt(kDockedSection, kKeyVisible, 1, kSettingsFile));
    app.running = true;
}

void RemoveTrayIcon(HWND dlg) {
    NOTIFYICONDATAA nid = TrayIconData(dlg, nullptr);
    Shell_NotifyIconA(NIM_DELETE, &nid);
}

void CALLBACK OnRefreshTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept {
    App& app = TheApp();
    if (app.cycle != nullptr) app.cycle->OnRefreshTimer();
}

void PaintSessionWindow(HWND wnd) {
    ScopedPaint paint(wnd);
    const App& app = TheApp();
    for (int i = 0; i < 5; ++i) {
        const SessionRecord& r = app.sessions.records[i];
        if (r.window != FromHwnd(wnd)) continue;
        char text[64];
        std::snprintf(text, sizeof text, "%s %s %s", r.system, r.client, r.user);
        SetWindowTextA(GetDlgItem(wnd, 0), text);
        break;
    }
}

// Keyboard messages for a modeless dialog of the program (the About box, a box's properties)
// must go through IsDialogMessage: without it Tab, Enter and Escape do nothing there, since
// only a modal dialog's own loop does this by itself. Every dialog qualifies, registered or
// not, so a dialog added later needs nothing here.
bool DialogTakesMessage(MSG& msg) {
    if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST || msg.hwnd == nullptr) return false;
    HWND root = GetAncestor(msg.hwnd, GA_ROOT);
    char cls[16] = {};
    if (root == nullptr || GetClassNameA(root, cls, sizeof cls) == 0 || std::strcmp(cls, "#32770") != 0) return false;
    return IsDialogMessageA(root, &msg) != FALSE;
}

}  // namespace

App& TheApp() {
    static App app;
    return app;
}

void ApplyOpacity(HWND window, int opacity) {
    using SetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);
    HMODULE user32 = LoadLibraryA("user32");
    if (user32 == nullptr) return;
    auto setLayered = reinterpret_cast<SetLayeredFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetLayeredWindowAttributes")));
    if (setLayered != nullptr) {
        LONG_PTR ex = GetWindowLongPtrA(window, GWL_EXSTYLE);
        SetWindowLongPtrA(window, GWL_EXSTYLE, ex | WS_EX_LAYERED);
        setLayered(window, 0, static_cast<BYTE>(opacity & 0xFF), LWA_ALPHA);
    }
    FreeLibrary(user32);
}

void StopApp() { TheApp().running = false; }

INT_PTR CALLBACK TrayHostProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    // The icon's callback can come as a sent message while a pass waits for replies: the menu
    // it opens (and Exit chosen there) must not run inside that wait.
    if (HoldUserActionWhileWaiting(dlg, msg, wp, lp)) return TRUE;
    switch (msg) {
        case WM_INITDIALOG:
            InitTrayHost(dlg);
            return TRUE;
        case WM_DESTROY:
            TheApp().running = false;
            RemoveTrayIcon(dlg);
            SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) ShowWindow(dlg, SW_HIDE);
            SetWindowLongPtrA(dlg, DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_QUILVO_TRAYICON:
            OnTrayIcon(dlg, lp);
            return TRUE;
        case WM_QUILVO_REFRESH_LATER:
            // A refresh asked for while an operation waited runs now that it has ended.
            if (TheApp().cycle != nullptr) TheApp().cycle->RunDeferred();
            return TRUE;
        default:
            if (msg != 0 && msg == TheApp().taskbarCreated) {
                AddTrayIcon(dlg);
                return TRUE;
            }
            return FALSE;
    }
}

LRESULT CALLBACK MainWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (HoldUserActionWhileWaiting(wnd, msg, wp, lp)) return 0;
    if (msg == ShowToolwindowMessage() && HoldWhileWaiting(wnd, msg, wp, lp)) return 0;
    switch (msg) {
        case WM_CREATE:
            return 0;
        case WM_DESTROY:
            SaveWindowPosition(FromHwnd(wnd));
            break;
        case WM_PAINT: {
            // Nothing is drawn: the class background shows and the panels paint themselves.
            InvalidateRect(wnd, nullptr, TRUE);
            ScopedPaint paint(wnd);
            break;
        }
        case WM_CLOSE:
            // The close box hides the view; the program keeps running in the tray.
            if (BoxedView* view = BoxedView::FromWindow(wnd)) {
                view->visible = 0;
                view->Hide();
            }
            return 0;
        case WM_COMMAND:
            return 0;
        case WM_SYSCOMMAND:
            if (wp == ID_BOX_PROPERTIES) return 0;
            break;
        case WM_LBUTTONDOWN:
            InvalidateRect(wnd, nullptr, FALSE);
            return 0;
        case WM_ENDSESSION:
            // Log-off or shut-down: the process may be ended any moment from here on.
            if (wp) ShowSessionsHiddenByUs(TheApp().sessionClass);
            return 0;
        default:
            // A second start for this session class asks for the main window: shown as the
            // tray menu's "Toolwindow" shows it.
            if (msg == ShowToolwindowMessage() && wnd == TheApp().mainWindow) {
                CarryOutTrayCommand(ID_TRAY_TOOLWINDOW, 0, MenuSessions{});
                return 0;
            }
            break;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

LRESULT CALLBACK SessionWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_CREATE:
            return 0;
        case WM_PAINT:
            PaintSessionWindow(wnd);
            return 0;
        case WM_LBUTTONDOWN:
            return 0;
        default:
            return DefWindowProcA(wnd, msg, wp, lp);
    }
}

int RunApp(HINSTANCE instance, const char* commandLine) {
    App& app = TheApp();
    app.instance = instance;
    SessionClassFromArguments(ArgumentText(commandLine), app.sessionClass, sizeof app.sessionClass);
    // One instance per session class: a second one would add a second icon and a second pair
    // of views fighting over the same windows. It brings the running one's window up instead.
    if (!ClaimInstance(app.sessionClass)) {
        ShowRunningInstance(app.sessionClass);
        return 0;
    }
    ShowHiddenSessionsOnCrash(app.sessionClass);
    RegisterWindowClasses(instance);
    SetBoxPropertiesOpener(&OpenBoxProperties);

    app.trayHost = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_TRAYHOST), nullptr, &TrayHostProc, 0);
    app.mainWindow = CreateWindowExA(0, kQuilvoWinClass, kMainCaption,
                                     WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 300, 200,
                                     nullptr, nullptr, instance, nullptr);
    MarkMainWindow(app.mainWindow, app.sessionClass);

    int opacity = ReadAppInt(kKeyOpacity);
    if (opacity == 0) opacity = 255;
    app.idle = ReadIdleSettings();
    ApplyOpacity(app.mainWindow, opacity);
    RestoreMainWindow(FromHwnd(app.mainWindow), 300, 0);

    static Win32DiscoveryWindows discovery(app.messages.getFront);
    static Win32RefreshPlatform platform;
    ViewServices services;
    services.sessions = &app.sessions;
    services.ops = &PlatformSessionOps();
    static Win32ViewFactory views(services);
    app.cycle = new RefreshCycle(app.sessions, app.filters, g_dragState, discovery, platform, views,
                                 app.sessionClass, app.idle);
    app.cycle->SetMainWindow(FromHwnd(app.mainWindow));
    platform.SetNotifyWindow(FromHwnd(app.trayHost));

    SetTimer(app.trayHost, TIMER_REFRESH, kRefreshPeriodMs, &OnRefreshTimerProc);
    app.cycle->DiscoverAndRefresh();
    // Sessions an earlier run hid and could not show again (it was ended from outside) come
    // back now, before anything here hides one.
    ShowSessionsHiddenByUs(app.sessionClass);

    MSG msg;
    while (app.running) {
        // An error result (-1) is handled like an ordinary message.
        if (GetMessageA(&msg, nullptr, 0, 0) == 0) break;
        if (DialogTakesMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    // Every way out of the loop comes here: Exit, "Quit", a quit message posted by any
    // program. No window the program hid stays hidden once it has ended, also none that the
    // table no longer holds (more than fifty sessions, a pass cut short).
    ShowSessionsHiddenByUs(app.sessionClass);
    // Replies still to come would leave their atoms in the desktop's atom table for good.
    discovery.AwaitOutstandingReplies();
    UnmarkMainWindow(app.mainWindow);
    DestroyWindow(app.trayHost);
    DestroyWindow(app.mainWindow);
    return 0;
}

}  // namespace quilvo
