// Looking at another process's windows the way an accessibility tool would.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/scoped_win.h"
#include "window_helpers.h"

namespace e2e {

using quilvo::test::Children;
using quilvo::test::ClassOf;
using quilvo::test::ClientRect;
using quilvo::test::RectInParent;
using quilvo::test::ScreenRect;
using quilvo::test::TextOf;
using quilvo::test::ThreadInputOf;

// Panels sorted by position: top row left to right, then the bottom row.
inline std::vector<HWND> PanelsOf(HWND view) {
    std::vector<HWND> panels = Children(view, "XBoxed");
    std::sort(panels.begin(), panels.end(), [](HWND a, HWND b) {
        RECT ra = RectInParent(a), rb = RectInParent(b);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return panels;
}

// Every window of a process: top-level windows and all their descendants.
inline int CountProcessWindows(DWORD pid) {
    struct Ctx {
        DWORD pid;
        int count;
    } ctx{pid, 0};
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
            auto* c = reinterpret_cast<Ctx*>(p);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner != c->pid) return TRUE;
            c->count += 1 + quilvo::test::DescendantCount(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.count;
}

inline LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

// A pixel of a window's client area as the screen shows it.
inline COLORREF ScreenPixel(HWND window, int x, int y) {
    POINT p = {x, y};
    ClientToScreen(window, &p);
    quilvo::ScopedGetDC screen(nullptr);
    return GetPixel(screen.get(), p.x, p.y);
}

// Rows from the top of a mini window, along its right edge, in the band's colour.
inline int BandRows(HWND mini, COLORREF band) {
    const RECT c = ClientRect(mini);
    int rows = 0;
    while (rows < c.bottom && ScreenPixel(mini, c.right - 2, rows) == band) ++rows;
    return rows;
}

}  // namespace e2e
