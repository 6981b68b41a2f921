// The find window of a running program as the user drives it (the hotkey and typing, as real
// keys) and as a test reads it back (its list's rows).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <string>

#include "e2e_util.h"
#include "quilvo_process.h"
#include "real_input.h"

namespace e2e {

class FindWindowReader {
public:
    // Only kept: the process may be started later.
    explicit FindWindowReader(const QuilvoProcess& quilvo) : quilvo_(quilvo) {}

    HWND Finder() const {
        auto windows = quilvo_.TopWindows("QuilvoFind");
        return windows.empty() ? nullptr : windows.front();
    }
    bool FindOpen() const { return Finder() != nullptr && IsWindowVisible(Finder()); }
    HWND Field() const { return FindWindowExA(Finder(), nullptr, "EDIT", nullptr); }
    // Open and in front with the keyboard in its field: what a user who sees the window types
    // goes there. The window is shown a moment before it takes the foreground, and a key sent
    // in that moment goes to the window in front before it.
    bool FindReady() const {
        return FindOpen() && GetForegroundWindow() == Finder() && ThreadInputOf(Finder()).hwndFocus == Field() &&
               HasXFocus(Finder());
    }
    HWND List() const { return FindWindowExA(Finder(), nullptr, "LISTBOX", nullptr); }
    int Rows() const { return static_cast<int>(SendMessageA(List(), LB_GETCOUNT, 0, 0)); }
    // Read as wide text: from another process a list box hands its text over as such.
    std::string Row(int i) const {
        wchar_t text[512] = {};
        SendMessageW(List(), LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        return std::string(text, text + std::wcslen(text));
    }
    POINT RowCentre(int i) const {
        RECT r = {};
        SendMessageA(List(), LB_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&r));
        POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ClientToScreen(List(), &p);
        return p;
    }
    // The hotkey, then the text typed into the find window.
    void OpenAndType(const std::string& text) const {
        ASSERT_TRUE(RealHotkey("ctrl+alt+space"));
        ASSERT_TRUE(WaitUntil([&] { return FindReady(); }, 3000)) << "the hotkey opens the find window; " << State();
        // Wine may have given the hotkey's releases to the window in front before, while the
        // find window's thread took Ctrl and Alt as down: typed letters then make no
        // characters. Pressed and released once more with the window in front, they are up
        // for it (Ctrl+Alt alone does nothing).
        ASSERT_TRUE(RealKeys("ctrl+alt"));
        if (!text.empty()) {
            ASSERT_TRUE(RunUnix("/usr/bin/xdotool type --delay 60 '" + text + "'"));
        }
    }
    // For a failure's message: the window in front, and what the find window shows.
    std::string State() const {
        const HWND front = GetForegroundWindow();
        // WM_GETTEXT: GetWindowTextA of another process's control gives its creation text.
        char field[256] = {};
        if (Finder() != nullptr) {
            SendMessageA(Field(), WM_GETTEXT, sizeof field, reinterpret_cast<LPARAM>(field));
        }
        return "in front: " + ClassOf(front) + " \"" + TextOf(front) + "\"; the find window " +
               (FindOpen() ? "open" : Finder() ? "hidden" : "not made") + ", field \"" + field + "\", " +
               std::to_string(Rows()) + " rows";
    }
    // Whether the session comes to the user within ms: in front, shown and not iconic, and
    // active in its own thread. Another program's SetForegroundWindow makes a window the
    // foreground window at once; its thread takes the activation (and Wine moves the X focus)
    // when it gets to it, and keys pressed before that may meet the move half-way.
    static bool Foreground(HWND session, DWORD ms = 3000) {
        return WaitUntil(
            [&] {
                return GetForegroundWindow() == session && IsWindowVisible(session) && !IsIconic(session) &&
                       ThreadInputOf(session).hwndActive == session;
            },
            ms);
    }

private:
    const QuilvoProcess& quilvo_;
};

}  // namespace e2e
