// Looking at another process's windows the way an accessibility tool would.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "window_helpers.h"

namespace e2e {

using quilvo::test::Children;
using quilvo::test::ClassOf;
using quilvo::test::ClientRect;
using quilvo::test::RectInParent;
using quilvo::test::ScreenRect;
using quilvo::test::TextOf;

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

}  // namespace e2e
