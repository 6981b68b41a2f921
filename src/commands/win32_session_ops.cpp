// The session window commands' operations on real windows.
#include <windows.h>

#include "commands/win32_session_ops.h"

#include "base/int_range.h"
#include "platform/scoped_win.h"
#include "platform/window_names.h"

namespace quilvo {

namespace {

// The close command: SAP_SET_OKCODE with 3, 0.
constexpr WPARAM kOkCodeClose = 3;

}  // namespace

void Win32SessionOps::ShowAsync(WindowHandle window, int showCode) {
    if (showCode != SW_HIDE && showCode != SW_MINIMIZE && showCode != SW_SHOWMINNOACTIVE &&
        showCode != SW_SHOWMINIMIZED) {
        NoteShown(window);
    }
    // Made by the worker, in order with the raises that follow: a restore activates the
    // window and brings it to the top, and a raise of this or another session must come after.
    // The worker marks the windows it hides (see win32_session_marks.h).
    worker_.Show(window, showCode);
}

void Win32SessionOps::OpenIcon(WindowHandle window) {
    if (!IsIconic(ToHwnd(window))) return;
    NoteShown(window);
    worker_.OpenIcon(window);
}

void Win32SessionOps::BringUp(WindowHandle window) {
    // What the window looks like now says nothing of a hide still queued to it: the worker
    // decides once that has landed.
    NoteShown(window);
    worker_.BringUp(window);
}

void Win32SessionOps::BringToTop(WindowHandle window) {
    // Without activation: the session comes to the top of the z-order; activating it a
    // moment later would take the focus and the mouse capture from the program in the
    // middle of a drag.
    NoteShown(window);
    worker_.Raise(window);
}

void Win32SessionOps::SendClose(WindowHandle window) {
    // Sent without waiting: a session that is busy closes as soon as it is free, and
    // the program goes on at once.
    SendNotifyMessageA(ToHwnd(window), SetOkCodeMessage(), kOkCodeClose, 0);
}

void Win32SessionOps::Activate(WindowHandle window) { worker_.Activate(window); }

void Win32SessionOps::PlaceAsync(WindowHandle window, const NormalRect& normal, bool maximized) {
    // A maximised session is known by the monitor it filled, not by its size before: it is
    // moved onto that monitor with the size the front end gave it, and maximised there.
    const UINT keepSize = maximized ? SWP_NOSIZE : 0;
    SetWindowPos(ToHwnd(window), nullptr, normal.left, normal.top, SpanOf(normal.left, normal.right),
                 SpanOf(normal.top, normal.bottom), SWP_ASYNCWINDOWPOS | SWP_NOZORDER | SWP_NOACTIVATE | keepSize);
    if (maximized) ShowAsync(window, SW_MAXIMIZE);
}

bool Win32SessionOps::NotifyWhenSettled(WindowHandle window, unsigned message) {
    return worker_.NotifyWhenSettled(window, message);
}

}  // namespace quilvo
