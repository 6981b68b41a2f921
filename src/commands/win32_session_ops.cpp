// The session window commands' operations on real windows.
#include <windows.h>

#include "commands/session_commands.h"
#include "platform/scoped_win.h"
#include "platform/win32_session_marks.h"

namespace quilvo {

namespace {

// The close command: SAP_SET_OKCODE with 3, 0.
constexpr WPARAM kOkCodeClose = 3;

UINT SetOkCodeMessage() {
    // RegisterWindowMessageA gives the same id for the same name in every process.
    static const UINT id = RegisterWindowMessageA("SAP_SET_OKCODE");
    return id;
}

// No operation here waits for the session's thread: each one is queued to it and done once
// that thread is free, in the order queued, so a restore still lands before the raise that
// follows it. A session that is busy (a long report) or hung can never hold the program, and
// nothing sent to the program meanwhile can run inside a command. (OpenIcon and
// BringWindowToTop on another thread's window wait for that thread; a probe before them did
// not help, since a thread that answered it could be busy a moment later.)
class Win32SessionOps final : public SessionWindowOps {
public:
    void ShowAsync(WindowHandle window, int showCode) override {
        // Every hide issued here marks the window until a show issued here removes the mark,
        // so that no road out of the program leaves it hidden (see win32_session_marks.h).
        HWND hwnd = ToHwnd(window);
        if (showCode == SW_HIDE) {
            NoteHideByUs(hwnd);
        } else {
            NoteShowByUs(hwnd);
        }
        ShowWindowAsync(hwnd, showCode);
    }
    void OpenIcon(WindowHandle window) override {
        // What OpenIcon does, queued: an iconic window is restored.
        HWND hwnd = ToHwnd(window);
        if (!IsIconic(hwnd)) return;
        NoteShowByUs(hwnd);
        ShowWindowAsync(hwnd, SW_RESTORE);
    }
    void BringToTop(WindowHandle window) override {
        // Queued to the window's thread. Without activation: the session comes to the top of
        // the z-order; activating it later, whenever its thread gets to it, would take the
        // focus and the mouse capture from the program in the middle of a drag.
        SetWindowPos(ToHwnd(window), HWND_TOP, 0, 0, 0, 0,
                     SWP_ASYNCWINDOWPOS | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    void SendClose(WindowHandle window) override {
        // Sent without waiting: a session that is busy closes as soon as it is free, and
        // the program goes on at once.
        SendNotifyMessageA(ToHwnd(window), SetOkCodeMessage(), kOkCodeClose, 0);
    }
};

}  // namespace

SessionWindowOps& PlatformSessionOps() {
    static Win32SessionOps ops;
    return ops;
}

}  // namespace quilvo
