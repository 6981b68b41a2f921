#include "app/main_window.h"

#include <utility>

#include "app/instance.h"
#include "platform/win32_session_marks.h"
#include "resources/resource_ids.h"

namespace quilvo {

constexpr const char* kMainCaption = "zrt::quo \\3 Tarvo";

HWND MainWindow::Create(HINSTANCE instance, const char* sessionClass, std::function<void()> showRequested) {
    sessionClass_ = sessionClass;
    showRequested_ = std::move(showRequested);
    window_ = CreateWindowExA(0, kQuilvoWinClass, kMainCaption, WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              0, 0, 300, 200, nullptr, nullptr, instance, static_cast<ViewWindow*>(this));
    return window_;
}

LRESULT MainWindow::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    // A second start for this session class asks for the main window: shown as the tray
    // menu's "Toolwindow" shows it (after a wait, should one be in progress).
    if (msg == ShowToolwindowMessage()) {
        if (!HoldWhileWaiting(wnd, msg, wp, lp) && showRequested_) showRequested_();
        return 0;
    }
    switch (msg) {
        case WM_DESTROY: UnmarkMainWindow(wnd); break;
        case WM_QUERYENDSESSION:
            if (sessionEnding_) sessionEnding_();
            return TRUE;
        case WM_ENDSESSION:
            // Log-off or shut-down: the process may be ended any moment from here on.
            if (wp) {
                if (sessionEnding_) sessionEnding_();
                ShowSessionsHiddenByUs(sessionClass_);
            }
            return 0;
        default: break;
    }
    return ViewWindow::OnMessage(wnd, msg, wp, lp);
}

void ApplyOpacity(HWND window, int opacity) {
    SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    SetLayeredWindowAttributes(window, 0, static_cast<BYTE>(opacity & 0xFF), LWA_ALPHA);
}

}  // namespace quilvo
