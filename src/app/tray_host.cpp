#include "app/tray_host.h"

#include <shellapi.h>

#include <algorithm>

#include "app/icon_record.h"
#include "base/debug_output.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"

namespace quilvo {

namespace {

// Asks the shell for the notifications of its version 4: the selection of the icon with the
// keyboard (NIN_KEYSELECT) and the context-menu key (WM_CONTEXTMENU).
void AskForKeyboardNotifications(HWND trayHost) {
    NOTIFYICONDATAA nid = IconRecord(trayHost);
    nid.uVersion = NOTIFYICON_VERSION_4;
    Shell_NotifyIconA(NIM_SETVERSION, &nid);
}

unsigned Since(bool seen, DWORD at, DWORD now) { return seen ? static_cast<unsigned>(now - at) : 0xFFFFFFFFu; }

void RemoveIcon(HWND dialog) {
    NOTIFYICONDATAA nid = IconRecord(dialog);
    Shell_NotifyIconA(NIM_DELETE, &nid);
}

}  // namespace

HWND TrayHost::Create(HINSTANCE instance, int iconId, TrayOwner& owner) {
    owner_ = &owner;
    icon_ = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    // The shell sends this to every top-level window when the notification area is made
    // anew (after a crash or an update of the shell): the icons it held are gone by then.
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    dialog_ = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_TRAYHOST), nullptr, &DialogProc, Param(this));
    return dialog_;
}

void TrayHost::SetHotkeyLines(const char* find, const char* boxes) {
    SetDlgItemTextA(dialog_, IDC_ABOUT_FIND, find);
    SetDlgItemTextA(dialog_, IDC_ABOUT_BOXES, boxes);
    FitLines();
}

void TrayHost::SetPolicyLine(const char* text) {
    SetDlgItemTextA(dialog_, IDC_ABOUT_POLICY, text);
    FitLines();
}

void TrayHost::FitLines() {
    // The right margin as the left one of the hotkey lines: 8 dialog units.
    RECT margin = {0, 0, 8, 0};
    MapDialogRect(dialog_, &margin);
    RECT client = {};
    GetClientRect(dialog_, &client);
    ScopedGetDC dc(dialog_);
    if (dc.get() == nullptr) return;
    ScopedSelectObject font(dc.get(), reinterpret_cast<HGDIOBJ>(SendMessageA(dialog_, WM_GETFONT, 0, 0)));
    LONG right = client.right;
    for (int id : {IDC_ABOUT_LINE1, IDC_ABOUT_LINE2, IDC_ABOUT_FIND, IDC_ABOUT_BOXES, IDC_ABOUT_POLICY}) {
        HWND line = GetDlgItem(dialog_, id);
        char text[256] = {};
        const int length = GetWindowTextA(line, text, sizeof text);
        SIZE extent = {};
        RECT place = {};
        if (line == nullptr || !GetTextExtentPoint32A(dc.get(), text, length, &extent) || !GetWindowRect(line, &place)) continue;
        MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&place), 2);
        // A pixel more than the text: a static control breaks a line that only just fits.
        const LONG width = std::max<LONG>(place.right - place.left, extent.cx + 1);
        SetWindowPos(line, nullptr, 0, 0, width, place.bottom - place.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        right = std::max<LONG>(right, place.left + width + margin.right);
    }
    if (right == client.right) return;
    RECT frame = {};
    GetWindowRect(dialog_, &frame);
    SetWindowPos(dialog_, nullptr, 0, 0, frame.right - frame.left + (right - client.right), frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TrayHost::ShowAbout() {
    // Fitted again: the box may have moved to a monitor of another DPI since.
    FitLines();
    RECT r = {};
    GetWindowRect(dialog_, &r);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
    SetWindowPos(dialog_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(dialog_, SW_SHOW);
}

INT_PTR TrayHost::OnMessage(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_INITDIALOG: return OnInitDialog(dialog);
        case WM_DESTROY:
            RemoveIcon(dialog);
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) ShowWindow(dialog, SW_HIDE);
            SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
            return TRUE;
        // Held by Dialog during a wait: the icon's callback can come as a sent message while a
        // pass waits for replies, and the menu it opens (and Exit chosen there) must not run
        // inside that wait.
        case WM_QUILVO_TRAYICON: OnIcon(dialog, lp); return TRUE;
        // Held by Dialog during a wait, as a click is.
        case WM_HOTKEY: owner_->OnHotkey(static_cast<int>(wp)); return TRUE;
        // Sent after a policy refresh, with the text "Policy"; it may come while a pass waits,
        // so the new policy is taken from the message loop. The text lives only as long as
        // this message, which is why it is looked at here and not held.
        case WM_SETTINGCHANGE:
            if (lp != 0 && lstrcmpiA(reinterpret_cast<const char*>(lp), "Policy") == 0) {
                PostMessageA(dialog, WM_QUILVO_POLICY, 0, 0);
            }
            return FALSE;
        case WM_QUILVO_POLICY: owner_->OnPolicyChanged(); return TRUE;
        default:
            if (msg == 0 || msg != taskbarCreated_) return FALSE;
            AddIcon(dialog);
            return TRUE;
    }
}

INT_PTR TrayHost::OnInitDialog(HWND dialog) {
    AddIcon(dialog);
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    return TRUE;
}

void TrayHost::AddIcon(HWND dialog) {
    NOTIFYICONDATAA nid = AddIconRecord(dialog, icon_);
    if (Shell_NotifyIconA(NIM_ADD, &nid)) AskForKeyboardNotifications(dialog);
}

void TrayHost::OnIcon(HWND dialog, LPARAM lp) {
    const unsigned event = LOWORD(lp);
    // What the shell does with a notice (shown, hidden, timed out, clicked) goes to the debugger:
    // shells differ in which of these they send.
    if (event >= NIN_BALLOONSHOW && event <= NIN_BALLOONUSERCLICK) DebugLine("notice event %#x\n", event);
    if (event == NIN_BALLOONUSERCLICK) {
        owner_->OnNoticeClicked();
        return;
    }
    const DWORD now = GetTickCount();
    const TrayIconAction action = ActionForTrayIcon(event, Since(leftUpSeen_, leftUpAt_, now),
                                                    Since(rightUpSeen_, rightUpAt_, now), GetDoubleClickTime());
    // Noted before the menu opens: its loop may take the echo while it runs.
    if (event == kTrayLeftButtonUp) {
        leftUpAt_ = now;
        leftUpSeen_ = true;
    } else if (event == kTrayRightButtonUp) {
        rightUpAt_ = now;
        rightUpSeen_ = true;
    }
    owner_->OnTrayIcon(dialog, action);
}

}  // namespace quilvo
