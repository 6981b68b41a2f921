#include "views/find_window.h"

#include <commctrl.h>

#include <algorithm>

#include "base/debug_output.h"
#include "platform/display.h"
#include "platform/held_messages.h"
#include "platform/win32_foreground.h"
#include "platform/window_names.h"
#include "resources/resource_ids.h"
#include "views/class_brush.h"
#include "views/geometry.h"

namespace quilvo {

namespace {

constexpr const char* kCaption = "Find session";
// Sizes at 96 pixels per inch; the window scales them to the screen's.
constexpr int kWidth = 600;
constexpr int kHeight = 340;
constexpr int kMargin = 8;
constexpr int kFieldHeight = 24;
// Tab stops of the list, in dialog units (four to a character): Client, User, Transaction,
// title.
constexpr int kTabStops[] = {28, 52, 112, 168};
constexpr UINT_PTR kFieldSubclass = 1;
constexpr UINT_PTR kListSubclass = 2;
// After Enter on a session the window waits this long for the session to take the activation.
constexpr UINT kCloseAfterMs = 1000;
constexpr WPARAM kEscape = 0x1B;

const char* const kFilterFieldNames[] = {"System", "Client", "User", "Transaction"};

// The names a screen reader gives the field and the list. Such tools name a control without
// a text of its own after the visible static text just before it among its siblings; these
// statics are visible but have no size, so nothing of them is ever painted.
constexpr const char* kFieldName = "Find session";
constexpr const char* kListName = "Sessions and boxes";

void AddName(HWND window, HINSTANCE module, const char* name) {
    CreateWindowExA(0, "STATIC", name, WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 0, 0, 0, window, nullptr, module, nullptr);
}

// The work area of the monitor that holds the mouse pointer: where the user is working.
RECT WorkAreaUnderPointer() {
    POINT pointer = {};
    GetCursorPos(&pointer);
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &info)) return info.rcWork;
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return area;
}

}  // namespace

std::string FindRowText(const FindRow& row) {
    std::string text;
    if (row.kind == FindRowKind::Open || row.kind == FindRowKind::Full) return OpenRowText(row);
    if (row.kind == FindRowKind::Session) {
        for (std::size_t i = 0; i < row.fields.size(); ++i) {
            // "ready" and "production" lead the title's column, where the eye finds them in any
            // row; said in words, never only in colour.
            const bool title = i + 1 == row.fields.size();
            const std::string marks = title ? std::string(row.ready ? "ready  " : "") + (row.production ? "production  " : "")
                                            : std::string();
            text += (i > 0 ? "\t" : "") + marks + row.fields[i];
        }
        return text;
    }
    // "Box 2: System PRD, Transaction VA01": only the fields the filter sets.
    text = row.fields.empty() ? std::string() : row.fields[0];
    const char* separator = ": ";
    for (std::size_t i = 1; i < row.fields.size() && i <= 4; ++i) {
        if (row.fields[i].empty()) continue;
        text += separator + std::string(kFilterFieldNames[i - 1]) + " " + row.fields[i];
        separator = ", ";
    }
    return text;
}

FindSessionWindow::~FindSessionWindow() { DestroyDetached(window_, this); }

bool FindSessionWindow::Create() {
    HINSTANCE module = GetModuleHandleA(nullptr);
    // A tool window: no taskbar button of its own, and topmost so it opens over everything.
    window_ = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kFindWindowClass, kCaption,
                              WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, kWidth, kHeight, nullptr, nullptr, module,
                              this);
    if (!window_) return false;
    // Each name made right before its control: it stands just before it among the siblings.
    AddName(window_, module, kFieldName);
    field_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, 0, 0,
                             window_, nullptr, module, nullptr);
    AddName(window_, module, kListName);
    list_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", nullptr,
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT,
                            0, 0, 0, 0, window_, nullptr, module, nullptr);
    SetWindowSubclass(field_, &FieldProc, kFieldSubclass, reinterpret_cast<DWORD_PTR>(this));
    SetWindowSubclass(list_, &ListProc, kListSubclass, reinterpret_cast<DWORD_PTR>(this));
    TakeFont();
    return field_ != nullptr && list_ != nullptr;
}

// The controls' font for the window's DPI; the window lays itself out again.
void FindSessionWindow::TakeFont() {
    fontDpi_ = WindowDpi(window_);
    ScopedFont font = CreateMessageFont(fontDpi_);
    for (HWND control : {field_, list_}) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    font_ = std::move(font);  // the controls have let go of the old one
    // The list turns its tab stops into pixels by the font it has when it is given them: set
    // again after every font, or the columns keep the widths of the first font.
    SendMessageA(list_, LB_SETTABSTOPS, std::size(kTabStops), reinterpret_cast<LPARAM>(kTabStops));
    Layout();
}

void FindSessionWindow::Open() {
    if (!window_ && !Create()) return;
    KillTimer(window_, TIMER_FIND_CLOSE);
    // The window in front now goes last in the list (opened again over itself: the one before).
    const HWND foreground = GetForegroundWindow();
    if (foreground != window_) inFront_ = FromHwnd(foreground);
    if (services_.front) services_.front->Note(inFront_);
    openPending_ = services_.ops != nullptr &&
                   services_.ops->NotifyWhenSettled(FromHwnd(window_), WM_QUILVO_FIND_SETTLED);
    if (!openPending_) ShowOpen();
}

void FindSessionWindow::ShowOpen() {
    const RECT area = WorkAreaUnderPointer();
    // Onto that monitor first: its DPI (the window's from then on) sizes the window.
    placing_ = true;
    SetWindowPos(window_, HWND_TOPMOST, area.left, area.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    placing_ = false;
    if (WindowDpi(window_) != fontDpi_) TakeFont();
    const int dpi = fontDpi_;
    const int width = std::min<int>(ScaleForDpi(kWidth, dpi), area.right - area.left);
    const int height = std::min<int>(ScaleForDpi(kHeight, dpi), area.bottom - area.top);
    SetWindowTextA(field_, "");
    ReadHighContrast();
    Filter();
    SetWindowPos(window_, HWND_TOPMOST, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, width, height, SWP_SHOWWINDOW);
    // The hotkey (or the tray menu) has made the program the foreground process, which may
    // set the foreground window. An opening that waited for the last command's calls may come
    // after the user has gone on in another program, and then the system refuses: the window
    // goes again, as a topmost window that cannot take the keys would only cover that program.
    Win32Foreground foreground;
    if (!AskForFront(foreground, FromHwnd(window_))) {
        DebugLine("Find window hidden: another program is in front\n");
        Close();
        return;
    }
    SetFocus(field_);
}

void FindSessionWindow::Close() {
    if (!window_) return;
    openPending_ = false;
    KillTimer(window_, TIMER_FIND_CLOSE);
    if (IsWindowVisible(window_)) ShowWindow(window_, SW_HIDE);
}

void FindSessionWindow::ReadHighContrast() {
    highContrast_ = services_.highContrast != nullptr ? services_.highContrast() : HighContrastOn();
    // Focus shown always, not only once a key was pressed in the window.
    if (highContrast_) SendMessageA(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    RedrawWindow(window_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// The class's grey shows around the controls; in high contrast the dialog colour instead.
bool FindSessionWindow::EraseBackground(HDC dc) {
    if (!highContrast_) return false;
    RECT client = {};
    GetClientRect(window_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

void FindSessionWindow::Layout() {
    RECT client = {};
    GetClientRect(window_, &client);
    const int dpi = WindowDpi(window_);
    const int margin = ScaleForDpi(kMargin, dpi);
    const int fieldHeight = ScaleForDpi(kFieldHeight, dpi);
    MoveWindow(field_, margin, margin, std::max(0, static_cast<int>(client.right) - 2 * margin), fieldHeight, TRUE);
    MoveWindow(list_, margin, 2 * margin + fieldHeight, std::max(0, static_cast<int>(client.right) - 2 * margin),
               std::max(0, static_cast<int>(client.bottom) - 3 * margin - fieldHeight), TRUE);
}

void FindSessionWindow::Filter(bool keepChoice) {
    const LRESULT before = keepChoice ? SendMessageA(list_, LB_GETCURSEL, 0, 0) : -1;
    const bool hadChoice = before >= 0 && static_cast<std::size_t>(before) < shown_.size();
    const FindRow chosen = hadChoice ? shown_[static_cast<std::size_t>(before)] : FindRow{};
    const WindowHandle chosenWindow = hadChoice ? shownWindows_[static_cast<std::size_t>(before)] : kNoWindow;
    char query[256] = {};
    GetWindowTextA(field_, query, sizeof query);
    const Snapshot now = services_.sessions != nullptr ? services_.sessions->Current() : std::make_shared<const SessionSnapshot>();
    std::vector<FindRow> rows = SessionFindRows(*now);
    std::vector<FindRow> boxes = BoxFindRows(now->filters);
    rows.insert(rows.end(), boxes.begin(), boxes.end());
    if (services_.front) OrderByLastFront(rows, *now, *services_.front, inFront_);
    shown_.clear();
    shownWindows_.clear();
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    std::vector<int> order = RankFindRows(query, rows);
    PutReadyFirst(rows, order);
    if (services_.newSessions) {
        PlaceOpenRows(rows, order, OpenTransactionRows(query, *now, services_.maxSessions, services_.front));
    }
    for (int i : order) {
        const FindRow& row = rows[static_cast<std::size_t>(i)];
        SendMessageA(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(FindRowText(row).c_str()));
        // An open or full row shows the session its OK code would go to.
        const bool session = row.kind != FindRowKind::Box;
        shownWindows_.push_back(session ? now->sessions[static_cast<std::size_t>(row.index)].window : kNoWindow);
        shown_.push_back(row);
    }
    std::size_t select = 0;
    for (std::size_t i = 0; hadChoice && i < shown_.size(); ++i) {
        const bool same = shown_[i].kind == chosen.kind &&
                          (chosen.kind == FindRowKind::Box ? shown_[i].index == chosen.index : shownWindows_[i] == chosenWindow);
        if (same) {
            select = i;
            break;
        }
    }
    SendMessageA(list_, LB_SETCURSEL, select, 0);
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void FindSessionWindow::Choose() {
    const LRESULT chosen = SendMessageA(list_, LB_GETCURSEL, 0, 0);
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= shown_.size()) return;
    const FindRow& row = shown_[static_cast<std::size_t>(chosen)];
    if (row.kind == FindRowKind::Box) {
        // Shown until the box's first session takes the activation, as below: hidden first,
        // the window would hand the foreground to the session behind it, which the switch
        // then hides, and the program would no longer be in front to give it to the box.
        // A box with no session to activate: closed at once.
        if (services_.switchToBox && services_.switchToBox(row.index)) {
            CloseOnDeactivation();
        } else {
            Close();
        }
        return;
    }
    if (row.kind == FindRowKind::Full) return;  // the logon may open no more sessions
    // A pass since the list was filled may have taken the session away: then nothing
    // happens, and the list shows the sessions as they are now.
    const WindowHandle window = shownWindows_[static_cast<std::size_t>(chosen)];
    if (!services_.sessions || !services_.ops || services_.sessions->Current()->Find(window) == nullptr) {
        Filter();
        return;
    }
    if (row.kind == FindRowKind::Open) {
        const FindRow open = row;  // Close may refill the list
        Close();
        if (services_.openSession) services_.openSession(window, open);
        return;
    }
    ActivateSession(window);
    CloseOnDeactivation();
}

// Not hidden yet: hiding the active window makes the system activate another one, and the
// session's activation, which lands when its own thread gets to it, could come second and
// leave no window in front. The window closes when it loses activation to the session;
// should the session never take it, a moment later all the same.
void FindSessionWindow::CloseOnDeactivation() {
    SetTimer(window_, TIMER_FIND_CLOSE, kCloseAfterMs, nullptr);
}

// Restored first if iconized (a raised icon stays an icon), shown if hidden (as it is once the
// calls queued to it before have landed: a hide may still be on its way), then made the
// foreground window while this window is still the active one: only the foreground process
// may hand the foreground on, and it must do so before it lets go of it.
void FindSessionWindow::ActivateSession(WindowHandle window) {
    services_.ops->BringUp(window);
    services_.ops->Activate(window);
    if (services_.front) services_.front->Note(window);
}

bool FindSessionWindow::OnFieldKey(WPARAM key) {
    switch (key) {
        case VK_UP:
        case VK_DOWN:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_HOME:
        case VK_END:
            // The rows as the sessions are now; then the list moves its selection as if it had the
            // focus, while the caret stays in the field.
            Filter(true);
            SendMessageA(list_, WM_KEYDOWN, key, 0);
            return true;
        case VK_RETURN: Choose(); return true;
        case kEscape: Close(); return true;
        default: return false;
    }
}

LRESULT CALLBACK FindSessionWindow::FieldProc(HWND field, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                       DWORD_PTR self) noexcept {
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(field, &FieldProc, id);
        return DefSubclassProc(field, msg, wp, lp);
    }
    // As for every window of the program: what the user types during a wait runs after it.
    if (HoldUserActionWhileWaiting(field, msg, wp, lp)) return 0;
    if (msg == WM_KEYDOWN && reinterpret_cast<FindSessionWindow*>(self)->OnFieldKey(wp)) return 0;
    // Enter and Escape were taken as keys; their characters would only make the field beep.
    if (msg == WM_CHAR && (wp == '\r' || wp == kEscape)) return 0;
    return DefSubclassProc(field, msg, wp, lp);
}

// A click on a row leaves the keyboard with the field, where Enter, Escape, the arrows and
// typing do what they do before any click. The list takes the focus on the press (it needs it
// to track the mouse); on the release, with its choice made, the field takes it back.
LRESULT CALLBACK FindSessionWindow::ListProc(HWND list, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                             DWORD_PTR self) noexcept {
    if (msg == WM_NCDESTROY) {
        RemoveWindowSubclass(list, &ListProc, id);
        return DefSubclassProc(list, msg, wp, lp);
    }
    if (HoldUserActionWhileWaiting(list, msg, wp, lp)) return 0;
    const LRESULT result = DefSubclassProc(list, msg, wp, lp);
    if (msg == WM_LBUTTONUP) {
        FindSessionWindow* find = reinterpret_cast<FindSessionWindow*>(self);
        if (find->field_ != nullptr && GetFocus() == list) SetFocus(find->field_);
    }
    return result;
}

LRESULT FindSessionWindow::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_SIZE: Layout(); return 0;
        case WM_SETFOCUS: SetFocus(field_); return 0;
        case WM_ACTIVATE:
            // A deactivation cancels no opening that waits for the last command's calls to
            // land: one that reaches the window late, hidden or still shown from its last use
            // (the session chosen in it a moment ago taking the foreground), belongs to what
            // went before. Shown, the window goes until that opening shows it again.
            if (LOWORD(wp) == WA_INACTIVE && IsWindowVisible(wnd)) {
                if (openPending_) {
                    ShowWindow(wnd, SW_HIDE);
                } else {
                    Close();
                }
            }
            break;
        case WM_CLOSE: Close(); return 0;
        case WM_QUILVO_FIND_SETTLED:
            if (openPending_) {
                openPending_ = false;
                ShowOpen();
            }
            return 0;
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE: ReadHighContrast(); break;
        case WM_ERASEBKGND:
            if (EraseBackground(reinterpret_cast<HDC>(wp))) return 1;
            break;
        case WM_TIMER:
            if (wp == TIMER_FIND_CLOSE) Close();
            return 0;
        case WM_DPICHANGED:
            // Dragged onto a monitor of another DPI: the size the system suggests, and the font.
            // Open, which places the window itself, takes the monitor's DPI on its own.
            if (!placing_) {
                TakeSuggestedRect(wnd, lp);
                TakeFont();
            }
            return 0;
        case WM_COMMAND:
            if (reinterpret_cast<HWND>(lp) == field_ && HIWORD(wp) == EN_CHANGE) Filter();
            if (reinterpret_cast<HWND>(lp) == list_ && HIWORD(wp) == LBN_DBLCLK) Choose();
            return 0;
        default: break;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void FindSessionWindow::OnWindowGone(HWND wnd) noexcept {
    if (window_ == wnd) window_ = field_ = list_ = nullptr;
}

}  // namespace quilvo
