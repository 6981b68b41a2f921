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

inline bool RealClick(POINT p) {
    return RunUnix("/usr/bin/xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1");
}

// X key names, e.g. "h" or "Escape Return".
inline bool RealKeys(const std::string& keys) { return RunUnix("/usr/bin/xdotool key --delay 80 " + keys); }

}  // namespace e2e
