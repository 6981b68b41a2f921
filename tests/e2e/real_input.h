// Real input on the X display the Wine desktop runs on, sent from inside the tests.
#pragma once

#include <windows.h>

#include <string>

#include "quilvo_process.h"
#include "sim_client.h"

namespace e2e {

// Wine starts a program of the machine itself (an ELF file) from CreateProcess, which is how
// real input for the X display comes from here (xdotool). It hands back no process handle to
// wait on, so the shell around the program leaves its exit code in a file under /tmp (Z:\tmp).
inline bool RunUnix(const std::string& command, DWORD timeoutMs = 10000) {
    static LONG counter = 0;
    const std::string name =
        "quilvo-e2e-run-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(InterlockedIncrement(&counter));
    const std::string done = "Z:\\tmp\\" + name;
    DeleteFileA(done.c_str());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "/bin/sh -c \"" + command + "; echo $? > /tmp/" + name + "\"";
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    std::string code;
    WaitUntil([&] { return !(code = sessionsim::detail::ReadWholeFile(done)).empty() && code.back() == '\n'; }, timeoutMs);
    DeleteFileA(done.c_str());
    return code == "0\n";
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

}  // namespace e2e
