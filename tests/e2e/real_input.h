// Real input on the X display the Wine desktop runs on, sent from inside the tests.
#pragma once

#include <windows.h>

#include <string>

#include "quilvo_process.h"
#include "sim_client.h"

namespace e2e {

// Wine starts a program of the machine itself (an ELF file) from CreateProcess, which is how
// real input for the X display comes from here (xdotool). It hands back no process handle to
// wait on, so the shell around the program leaves its exit code in a file under /tmp (Z:\tmp),
// and what it writes, when asked for, in another.
inline bool RunUnix(const std::string& command, DWORD timeoutMs = 10000, std::string* output = nullptr) {
    static LONG counter = 0;
    const std::string name =
        "quilvo-e2e-run-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(InterlockedIncrement(&counter));
    const std::string done = "Z:\\tmp\\" + name;
    const std::string written = done + ".out";
    DeleteFileA(done.c_str());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const std::string redirect = output != nullptr ? " > /tmp/" + name + ".out" : "";
    std::string cmd = "/bin/sh -c \"" + command + redirect + "; echo $? > /tmp/" + name + "\"";
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    std::string code;
    WaitUntil([&] { return !(code = sessionsim::detail::ReadWholeFile(done)).empty() && code.back() == '\n'; }, timeoutMs);
    DeleteFileA(done.c_str());
    if (output != nullptr) {
        *output = sessionsim::detail::ReadWholeFile(written);
        DeleteFileA(written.c_str());
    }
    return code == "0\n";
}

// Whether the X server gives the keys to this window of the program's own, which moves the X
// keyboard focus to it when it activates it. With one monitor (Wine's virtual desktop) the
// focus is the window's own X window, as Wine notes it in a property of the window.
inline bool HasXFocus(HWND window) {
    const auto x = reinterpret_cast<ULONG_PTR>(GetPropA(window, "__wine_x11_whole_window"));
    std::string focus;
    return x != 0 && RunUnix("/usr/bin/xdotool getwindowfocus", 10000, &focus) && focus == std::to_string(x) + "\n";
}

// A screen point as xdotool takes it: X coordinates start at the virtual screen's top left
// corner, Wine's at the primary monitor's (the same point with one monitor).
inline std::string XPoint(POINT p) {
    return std::to_string(p.x - GetSystemMetrics(SM_XVIRTUALSCREEN)) + " " +
           std::to_string(p.y - GetSystemMetrics(SM_YVIRTUALSCREEN));
}

inline bool RealMove(POINT p) { return RunUnix("/usr/bin/xdotool mousemove " + XPoint(p)); }

inline bool RealClick(POINT p) { return RunUnix("/usr/bin/xdotool mousemove " + XPoint(p) + " click 1"); }

// Pressed at `from`, moved to `to` and released there, with the right button.
inline bool RealRightDrag(POINT from, POINT to) {
    return RunUnix("/usr/bin/xdotool mousemove " + XPoint(from) + " sleep 0.3 mousedown 3 sleep 0.3 mousemove " +
                   XPoint(to) + " sleep 0.5 mouseup 3");
}

// X key names, e.g. "h" or "Escape Return".
inline bool RealKeys(const std::string& keys) { return RunUnix("/usr/bin/xdotool key --delay 80 " + keys); }

// A hotkey, its keys pressed and released at once. Wine keeps a key state for the desktop and
// one for each thread, and brings them in line from the X server's key map whenever the X
// focus moves (the program hid its window, a session took the foreground). Such a move seen
// late, in the middle of a chord held for a while, took Ctrl up again: Ctrl+Alt+Space reached
// the session as Alt+Space, its system menu, and the hotkey never came.
inline bool RealHotkey(const std::string& keys) { return RunUnix("/usr/bin/xdotool key --delay 0 " + keys); }

}  // namespace e2e
