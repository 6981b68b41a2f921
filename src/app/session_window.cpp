#include "app/session_window.h"

#include <cstdio>

#include "platform/scoped_win.h"

namespace quilvo {

LRESULT SessionWindow::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_CREATE: return 0;
        case WM_PAINT: Paint(wnd); return 0;
        case WM_LBUTTONDOWN: return 0;
        default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

void SessionWindow::Paint(HWND wnd) {
    ScopedPaint paint(wnd);
    for (int i = 0; i < 5; ++i) {
        const SessionRecord& r = sessions_.records[i];
        if (r.window != FromHwnd(wnd)) continue;
        char text[64];
        std::snprintf(text, sizeof text, "%s %s %s", r.system, r.client, r.user);
        SetWindowTextA(GetDlgItem(wnd, 0), text);
        break;
    }
}

}  // namespace quilvo
