#include "app/app.h"

#include <cstring>

#include "app/autostart.h"
#include "app/close_question.h"
#include "app/diagnostics_file.h"
#include "app/instance.h"
#include "app/startup_rules.h"
#include "app/window_classes.h"
#include "platform/scoped_win.h"
#include "platform/wide_text.h"
#include "platform/win32_session_marks.h"
#include "resources/resource_ids.h"
#include "settings/policy.h"
#include "settings/settings.h"
#include "views/hover_tip.h"

namespace quilvo {

namespace {

constexpr UINT kRefreshPeriodMs = 2000;

// The program's one App: the timer and hook callbacks below carry no data of their own.
App& TheApp() {
    static App app;
    return app;
}

void CALLBACK OnRefreshTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept {
    App& app = TheApp();
    // The window in front at each pass, where the hook is not told (Wine sends it nothing): a
    // user who stays in a session for a pass has it noted.
    app.front.Note(FromHwnd(GetForegroundWindow()));
    if (app.cycle) app.cycle->OnRefreshTimer();
    if (app.production) app.production->OnTick();
}

void CALLBACK OnProductionLookProc(HWND, UINT, UINT_PTR, DWORD) noexcept {
    if (TheApp().production) TheApp().production->Check();
}

// Every change of the foreground window, as it happens, from the window system; out of
// context, so it comes to this thread through its message loop and needs no library of its
// own. The program's own windows (the find window, the tray host) are left out.
void CALLBACK OnForegroundChanged(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG, DWORD, DWORD) noexcept {
    if (window == nullptr || object != OBJID_WINDOW) return;
    TheApp().front.Note(FromHwnd(window));
    if (TheApp().production) TheApp().production->Check();
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

// A box hotkey or a box's row in the find window: what a left click on the box's panel does,
// on the boxes as the last rebuild sorted them, and the keyboard focus to its first session.
bool SwitchToBox(int box) {
    App& app = TheApp();
    if (!app.cycle) return false;
    const WindowHandle first = SwitchToBoxWithFocus(*app.cycle->Current(), box, app.ops);
    app.front.Note(first);
    return first != kNoWindow;
}

// A session the user showed or brought up through the program.
void OnSessionShown(WindowHandle session) {
    if (TheApp().notices) TheApp().notices->OnSessionShown(session);
}

// Enter on a find window's open row.
void OpenNewSession(WindowHandle session, const FindRow& row) {
    if (TheApp().notices) TheApp().notices->Open(session, row);
}

void OpenFindWindow(App& app) {
    if (app.find) app.find->Open();
}

// The hotkeys given back and the find window destroyed (Exit, the end of the program).
void EndFinding(App& app) {
    app.hotkeys.Unregister();
    if (app.foregroundHook != nullptr) UnhookWinEvent(app.foregroundHook);
    app.foregroundHook = nullptr;
    if (app.find && app.find->Handle() != nullptr) DestroyWindow(app.find->Handle());
}

// The hotkeys the settings (or the policy) name; the About box says which are in force.
void RegisterHotkeys(App& app) {
    app.hotkeys.Register(app.trayHost.Handle(), ReadHotkeySettings());
    app.trayHost.SetHotkeyLines(app.hotkeys.FindLine().c_str(), app.hotkeys.BoxesLine().c_str());
}

// The find window and the hotkeys that lead to it.
void StartFinding(App& app) {
    FindServices services;
    services.sessions = app.cycle.get();
    services.ops = &app.ops;
    services.switchToBox = &SwitchToBox;
    services.maxSessions = ReadMaxSessions();
    services.newSessions = NewSessionsOffered();
    services.openSession = &OpenNewSession;
    services.front = &app.front;
    app.foregroundHook = SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &OnForegroundChanged,
                                         0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    app.find = std::make_unique<FindSessionWindow>(services);
    RegisterHotkeys(app);
}

// What follows the policy at start and after each change: the About box's line and the Run
// value of "Start with Windows".
void FollowPolicy(App& app, const PolicyRead& policy) {
    app.trayHost.SetPolicyLine(PolicyAboutLine(policy.names).c_str());
    if (app.trayMenu) app.trayMenu->ApplyStartPolicy();
}

// Windows applied a new policy: besides the above, the hotkeys are registered again, the find
// window offers open rows as it now says, and the production list is taken at the next
// rebuild. The ready notices and the sessions kept (ReadyAfter, Reopen, OpenSessions) are set
// up at start only and follow at the next start.
void ReadPolicyAgain(App& app) {
    const PolicyRead policy = LoadPolicy();
    FollowPolicy(app, policy);
    app.hotkeys.Unregister();
    RegisterHotkeys(app);
    if (app.find) app.find->OfferNewSessions(ReadMaxSessions(), NewSessionsOffered());
    if (app.cycle) app.cycle->ForceRebuild();
}

// Clears the run flag: the message loop ends after the message being dispatched.
void StopApp(App& app) {
    app.running = false;
    // Exit may run inside a message sent to the program (the icon's callback) while the loop
    // waits in GetMessageA: a posted message wakes it to see the flag.
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
}

// Exit: every session shown, the refresh timer stopped, the views torn down (they write their
// sections), the main window shown, the tray host and the main window destroyed (the icon
// goes, the main window's position is written); the message loop then ends.
void RunExitSequence(App& app) {
    if (app.reopen) app.reopen->Save();
    if (app.cycle) ShowAllSessions(*app.cycle->Current(), kShowRestore, app.ops);
    KillTimer(app.trayHost.Handle(), TIMER_REFRESH);
    if (app.production) app.production->Stop();
    // The main window's view first, then the single view, then the docked view; each writes
    // its section. The views' windows stay until the program ends.
    if (app.views) app.views->TearDown();
    app.docked.TearDown();
    ShowWindow(app.mainWindow.Handle(), SW_SHOWNA);
    EndFinding(app);
    // The tray host takes the icon with it; the main window writes its position.
    DestroyWindow(app.trayHost.Handle());
    DestroyWindow(app.mainWindow.Handle());
    StopApp(app);
}

// OK in a box's properties: every panel takes the rebuild, which comes at once on the
// sessions as the last pass found them; the pass that follows brings them up to date.
void RegroupBoxes(App& app) {
    if (app.views) app.views->ForgetSkippedUpdates();
    if (!app.cycle) return;
    app.cycle->ForceRebuild();
    app.cycle->Refresh();
    app.cycle->DiscoverAndRefresh();
}

TrayMenuParts MenuParts(App& app) {
    TrayMenuParts parts;
    parts.cycle = app.cycle.get();
    parts.ops = &app.ops;
    parts.views = app.views.get();
    parts.docked = &app.docked;
    parts.mainWindow = app.mainWindow.Handle();
    parts.exit = [&app] { RunExitSequence(app); };
    parts.about = [&app] { app.trayHost.ShowAbout(); };
    parts.find = [&app] { OpenFindWindow(app); };
    parts.findKeys = [&app] { return app.hotkeys.FindKeys(); };
    parts.saveDiagnostics = [&app] {
        // Said, not left to be found missing: the user is about to send it to someone.
        if (SaveDiagnostics(DiagnosticsSources{app.cycle.get(), &app.worker, &app.hotkeys}).empty()) {
            MessageBoxA(app.trayHost.Handle(), "The diagnostics file could not be written to the Quilvo folder of your local application data.",
                        "Quilvo", MB_OK | MB_ICONWARNING);
        }
    };
    parts.arguments = app.runArguments.c_str();
    parts.sessionClass = app.sessionClass;
    parts.confirmClose = [&app](const std::string& question) {
        return CloseQuestionDialog::Ask(app.trayHost.Handle(), question);
    };
    parts.reopenEntries = [&app] { return app.reopen ? app.reopen->MenuEntries() : std::vector<std::string>(); };
    parts.reopen = [&app](std::size_t entry) {
        if (app.reopen) app.reopen->ReopenEntry(entry);
    };
    return parts;
}

ViewServices ViewParts(App& app) {
    ViewServices services;
    services.sessions = app.cycle.get();
    services.ops = &app.ops;
    services.properties = app.properties.get();
    services.tip = &TheHoverTip();
    services.drag = &app.drag;
    return services;
}

// Windows starts the programs of the user's Run key ("Start with Windows") in its system
// folder, where no Quilvo.ini is kept and none can be written: such a start takes the folder
// of the program, where the settings are kept when it is installed or unpacked. A start in
// any other folder keeps it.
void LeaveSystemFolder() {
    // Wide: a folder outside the ANSI code page has no ANSI name to compare or to go to. A
    // current folder longer than the buffer is not the system folder.
    wchar_t current[MAX_PATH] = {};
    wchar_t system[MAX_PATH] = {};
    const DWORD c = GetCurrentDirectoryW(MAX_PATH, current);
    const UINT s = GetSystemDirectoryW(system, MAX_PATH);
    if (c == 0 || c >= MAX_PATH || s == 0 || s >= MAX_PATH ||
        !SameFolder(Utf8FromWide(current, c).c_str(), Utf8FromWide(system, s).c_str())) {
        return;
    }
    const std::string program = ThisProgramPath();
    const std::size_t slash = program.rfind('\\');
    if (slash == std::string::npos) return;
    SetCurrentDirectoryW(WideFromUtf8(program.substr(0, slash)).c_str());
}

void RunMessageLoop(const App& app) {
    MSG msg;
    while (app.running) {
        // An error result (-1) is handled like an ordinary message.
        if (GetMessageA(&msg, nullptr, 0, 0) == 0) break;
        if (DialogTakesMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Every way out of the loop comes here: Exit, "Quit", a quit message posted by any program.
// The parts go in the opposite order of their making. Exit has torn the views down already
// (they wrote their sections); after "Quit" they are left as they are, their sections as
// stored.
void EndApp(App& app) {
    KillTimer(app.trayHost.Handle(), TIMER_REFRESH);
    if (app.views) app.views->LeaveUnsaved();
    EndFinding(app);
    app.find.reset();
    app.trayMenu.reset();
    app.production.reset();
    if (app.cycle) app.cycle->SetPassListener(nullptr);
    app.reopen.reset();
    app.notices.reset();
    app.notice.reset();
    if (app.cycle) app.cycle->SetRebuildListener(nullptr);
    app.views.reset();
    app.properties.reset();
    // The cycle's discovery goes with it: replies still to come land nowhere from now on.
    app.cycle.reset();
    app.refreshPlatform.StopWalker();
    app.docked.TearDown();
    // Replies still to come would leave their atoms in the desktop's atom table for good.
    if (app.discovery) app.discovery->AwaitOutstandingReplies();
    app.discovery.reset();
    // What Exit has not destroyed yet: the tray host takes the icon with it, the main window
    // writes its position.
    if (app.trayHost.Handle() != nullptr) DestroyWindow(app.trayHost.Handle());
    if (app.mainWindow.Handle() != nullptr) DestroyWindow(app.mainWindow.Handle());
    app.worker.Stop();
    // Last: no window the program hid stays hidden once it has ended, also none that the
    // sessions of the last pass no longer hold (more than fifty sessions, a pass cut short).
    ShowSessionsHiddenByUs(app.sessionClass);
}

}  // namespace

void App::OnTrayIcon(HWND trayHostWindow, TrayIconAction action) {
    if (trayMenu) trayMenu->OnIcon(trayHostWindow, action);
}

void App::OnNoticeClicked() {
    if (notice) notice->OnClicked();
}

void App::OnPassFinished(SessionSnapshot& draft) {
    if (notices) notices->OnPassFinished(draft);
    // The boxes of the pass are sorted only after this: the kept sessions read the snapshot
    // the pass publishes.
    if (reopen) refreshPlatform.Post([this] {
        if (reopen) reopen->OnPass();
    });
}

void App::OnPolicyChanged() { ReadPolicyAgain(*this); }

void App::OnHotkey(int id) {
    if (id == Hotkeys::kFindId) OpenFindWindow(*this);
    if (id >= Hotkeys::kFirstBoxId && id < Hotkeys::kFirstBoxId + kBoxCount) SwitchToBox(id - Hotkeys::kFirstBoxId);
}

int RunApp(HINSTANCE instance, const char* commandLine, const wchar_t* wideCommandLine) {
    App& app = TheApp();
    app.instance = instance;
    app.arguments = ArgumentText(commandLine);
    // A command line that is not whole UTF-16 has no UTF-8 form: the ANSI one is the best there is.
    const std::string wide = Utf8FromWide(wideCommandLine, wideCommandLine ? wcslen(wideCommandLine) : 0);
    app.runArguments = wide.empty() ? Utf8FromAnsi(app.arguments) : ArgumentText(wide.c_str());
    SessionClassFromArguments(app.arguments, app.sessionClass, sizeof app.sessionClass);
    // One instance per session class: a second one would add a second icon and a second pair
    // of views fighting over the same windows. It brings the running one's window up instead.
    if (!ClaimInstance(app.sessionClass)) {
        ShowRunningInstance(app.sessionClass);
        return 0;
    }
    ShowHiddenSessionsOnCrash(app.sessionClass);
    LeaveSystemFolder();
    // Before anything reads a setting: the policy comes first wherever it is set.
    const PolicyRead policy = LoadPolicy();
    RegisterWindowClasses(instance);

    app.trayHost.Create(instance, IconForSessionClass(app.sessionClass), app);
    app.messages = SapMessages::Register();
    app.docked.ReadFlag();
    app.running = true;
    app.dispatcher.Create(instance);

    // A second start for this session class asks for the main window: shown as the tray
    // menu's "Toolwindow" shows it.
    HWND mainWindow = app.mainWindow.Create(instance, app.sessionClass, [&app] {
        if (app.views) app.views->ShowToolWindow();
    });
    MarkMainWindow(mainWindow, app.sessionClass);
    const int opacity = OpacityFromSetting(ReadAppInt(kKeyOpacity));
    app.idle = ReadIdleSettings();
    ApplyOpacity(mainWindow, opacity);
    RestoreMainWindow(FromHwnd(mainWindow), 300, 0);

    app.discovery = std::make_unique<Win32DiscoveryWindows>(app.messages.getFront);
    app.cycle = std::make_unique<RefreshCycle>(app.drag, *app.discovery, app.refreshPlatform, IniCycleSettings(),
                                               app.sessionClass, app.idle);
    app.cycle->SetMainWindow(FromHwnd(mainWindow));
    app.production = std::make_unique<ProductionWatch>(app.trayHost.Handle(), &OnProductionLookProc, *app.cycle);
    app.properties = std::make_unique<BoxPropertiesDialogs>(app.cycle->Filters(), [&app] { RegroupBoxes(app); });
    TheHoverTip().UseDrag(&app.drag);
    app.views = std::make_unique<OverviewViews>(mainWindow, ViewParts(app));
    app.cycle->SetRebuildListener(app.views.get());
    app.notice = std::make_unique<TrayNotice>(app.trayHost.Handle());
    app.notices = std::make_unique<SessionNotices>(ReadReadyAfter(), *app.cycle, app.ops, app.okCodes, *app.notice);
    if (ReadReopen()) {
        app.reopen = std::make_unique<SessionReopen>(ReadMaxSessions(), *app.cycle, app.ops, app.okCodes, *app.notice,
                                                     app.front);
        app.reopen->Load();
        app.mainWindow.OnSessionEnding([&app] {
            if (app.reopen) app.reopen->Save();
        });
    }
    app.cycle->SetPassListener(&app);
    app.ops.SetShownListener(&OnSessionShown);
    app.trayMenu = std::make_unique<TrayMenu>(MenuParts(app));

    StartFinding(app);
    FollowPolicy(app, policy);

    // Sessions an earlier run hid and could not show again (it was ended from outside) come
    // back now, before anything here hides one, and before the first pass's walk notes what
    // it sees on its own thread.
    ShowSessionsHiddenByUs(app.sessionClass);
    SetTimer(app.trayHost.Handle(), TIMER_REFRESH, kRefreshPeriodMs, &OnRefreshTimerProc);
    app.cycle->DiscoverAndRefresh();

    RunMessageLoop(app);
    EndApp(app);
    return 0;
}

}  // namespace quilvo
