// The program's own window class of the default session class name. A window of it made in
// this process shows, in its child with id 0, the System, Client and User that the session
// table holds for it, looked up among the first five records only.
#pragma once

#include <windows.h>

#include <cstdio>

#include "core/session.h"
#include "platform/scoped_win.h"
#include "platform/window.h"

namespace quilvo {

class SessionWindow final : public Window<SessionWindow> {
public:
    explicit SessionWindow(const SessionTable& sessions) : sessions_(sessions) {}

    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
        switch (msg) {
            case WM_PAINT: Paint(wnd); return 0;
            case WM_LBUTTONDOWN: return 0;
            default: return DefWindowProcA(wnd, msg, wp, lp);
        }
    }

private:
    void Paint(HWND wnd) {
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

    const SessionTable& sessions_;
};

}  // namespace quilvo
