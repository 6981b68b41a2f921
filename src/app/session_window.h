// The program's own window class of the default session class name. A window of it made in
// this process shows, in its child with id 0, the System, Client and User that the sessions of
// the moment hold for it, looked up among the first five only.
#pragma once

#include <windows.h>

#include <cstdio>

#include "core/snapshot.h"
#include "platform/scoped_win.h"
#include "platform/window.h"

namespace quilvo {

class SessionWindow final : public Window<SessionWindow> {
public:
    explicit SessionWindow(const SnapshotSource& sessions) : sessions_(sessions) {}

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
        const Snapshot now = sessions_.Current();
        for (int i = 0; i < 5 && i < now->Count(); ++i) {
            const SessionRecord& r = now->sessions[static_cast<std::size_t>(i)];
            if (r.window != FromHwnd(wnd)) continue;
            char text[64];
            std::snprintf(text, sizeof text, "%s %s %s", r.system, r.client, r.user);
            SetWindowTextA(GetDlgItem(wnd, 0), text);
            break;
        }
    }

    const SnapshotSource& sessions_;
};

}  // namespace quilvo
