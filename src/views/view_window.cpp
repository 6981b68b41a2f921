#include "views/view_window.h"

#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "views/boxed_view.h"

namespace quilvo {

LRESULT ViewWindow::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_DESTROY: SaveWindowPosition(FromHwnd(wnd)); break;
        case WM_PAINT: OnPaint(wnd); break;
        case WM_CLOSE: OnClose(); return 0;
        case WM_COMMAND: return 0;
        case WM_SYSCOMMAND:
            if (wp == ID_BOX_PROPERTIES) return 0;
            break;
        case WM_LBUTTONDOWN:
            InvalidateRect(wnd, nullptr, FALSE);
            return 0;
        case WM_DPICHANGED: OnDpiChanged(HIWORD(wp), lp); return 0;
        // Sent to top-level windows only: the view passes the news to its panels.
        case WM_SETTINGCHANGE:
        case WM_SYSCOLORCHANGE:
            if (shownView != nullptr) shownView->OnSystemColoursChanged();
            break;
        case WM_ERASEBKGND:
            if (EraseInHighContrast(wnd, reinterpret_cast<HDC>(wp))) return 1;
            break;
        default: break;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void ViewWindow::OnPaint(HWND wnd) {
    InvalidateRect(wnd, nullptr, TRUE);
    ScopedPaint paint(wnd);
}

// Moved to a monitor of another DPI: the view takes the suggested size and lays itself out
// again. A window that shows no view yet keeps its size: the main window's view places it
// (keeping a stored size as stored) before it is shown in it.
void ViewWindow::OnDpiChanged(int dpi, LPARAM suggested) {
    if (shownView != nullptr) shownView->OnDpiChanged(dpi, suggested);
}

bool ViewWindow::EraseInHighContrast(HWND wnd, HDC dc) {
    if (shownView == nullptr || !shownView->Context().highContrast) return false;
    RECT client = {};
    GetClientRect(wnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    return true;
}

// The close box hides the view; the program keeps running in the tray.
void ViewWindow::OnClose() {
    if (shownView == nullptr) return;
    shownView->visible = 0;
    shownView->Hide();
}

}  // namespace quilvo
