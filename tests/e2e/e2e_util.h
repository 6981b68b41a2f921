// Looking at another process's windows the way an accessibility tool would, keys posted to them
// as a menu or a dialog reads them, and what shows that the program did what it does by itself:
// its passes (the simulator's log) and its rebuilds (its debug lines).
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/boxes.h"
#include "platform/scoped_win.h"
#include "quilvo_process.h"
#include "sim_client.h"
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

// Keys as a menu's loop or a dialog reads them: posted to the thread of `window`, in order. A
// letter or a digit comes as its character, which is what a menu acts on: posted as a key, it
// would become a character only when the loop translates it, behind the keys posted after it.
inline void PostKeys(HWND window, const std::vector<WPARAM>& keys) {
    for (WPARAM key : keys) {
        if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) {
            PostMessageA(window, WM_CHAR, key, 1);
            continue;
        }
        PostMessageA(window, WM_KEYDOWN, key, 0);
        PostMessageA(window, WM_KEYUP, key, 0xC0000000);
    }
}

// Whether the thread of another process's window has handled every message sent to it before
// this call (a show or hide queued to it, say): a message sent now comes after them.
inline bool SyncWith(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
}

// Waits for a discovery pass that begins after this call, as the simulator's log shows it:
// queries that come after a moment without any (a pass asks all its sessions within a moment,
// and passes come two seconds apart, so a pass under way at the call is not taken for it).
// With `sessions` named, until each of them has been asked by it. The program's refresh timer
// fires only when no posted message waits in its queue, so the pass also shows that everything
// posted to the program before the call has been handled; and a session handles the messages
// sent to it in order, so whatever was sent to one of `sessions` before its query has landed.
// For sessions that answer at once: a busy one logs its query only when it is free again.
inline bool WaitForNextPass(const sessionsim::Simulator& sim, const std::vector<std::string>& sessions = {},
                            DWORD timeoutMs = kSettle) {
    constexpr DWORD kQuietMs = 500;
    const auto asked = [&] {
        std::vector<std::string> names;  // "get NAME CODE ANSWER"
        for (const std::string& line : sim.LogLines())
            if (line.rfind("get ", 0) == 0) names.push_back(line.substr(4, line.find(' ', 4) - 4));
        return names;
    };
    std::size_t seen = asked().size();
    DWORD quietSince = GetTickCount();
    const bool quiet = WaitUntil(
        [&] {
            const std::size_t now = asked().size();
            if (now != seen) {
                seen = now;
                quietSince = GetTickCount();
            }
            return GetTickCount() - quietSince >= kQuietMs;
        },
        timeoutMs);
    return quiet && WaitUntil(
                        [&] {
                            const std::vector<std::string> names = asked();
                            if (names.size() <= seen) return false;
                            for (const std::string& s : sessions)
                                if (std::find(names.begin() + static_cast<std::ptrdiff_t>(seen), names.end(), s) ==
                                    names.end())
                                    return false;
                            return true;
                        },
                        timeoutMs);
}

// The lines the program writes while it rebuilds its lists, one per session and list: when
// there are more of them than `before`, a rebuild has begun since that count was taken.
inline int RebuildLines(const QuilvoProcess& program) { return program.CountLines(quilvo::kMatchLine); }
inline bool WaitForRebuild(const QuilvoProcess& program, int before, DWORD timeoutMs = kSettle) {
    return program.WaitForLine(quilvo::kMatchLine, timeoutMs, before + 1);
}

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
