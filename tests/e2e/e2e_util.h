// Looking at another process's windows the way an accessibility tool would.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace e2e {

inline std::string ClassOf(HWND w) {
    char name[128] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

inline std::string TextOf(HWND w) {
    char text[256] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

// Direct children of a window with the given class, in the order the system keeps them.
inline std::vector<HWND> Children(HWND parent, const char* cls) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
        if (lstrcmpiA(ClassOf(c).c_str(), cls) == 0) out.push_back(c);
    }
    return out;
}

// A child's outer rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline RECT ScreenRect(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    return r;
}

inline RECT ClientRect(HWND w) {
    RECT r = {};
    GetClientRect(w, &r);
    return r;
}

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
            ++c->count;
            EnumChildWindows(w, [](HWND, LPARAM q) -> BOOL { ++*reinterpret_cast<int*>(q); return TRUE; },
                             reinterpret_cast<LPARAM>(&c->count));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&ctx));
    return ctx.count;
}

inline LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

}  // namespace e2e
