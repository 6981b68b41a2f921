// "Start with Windows": a value under the user's Run key that starts this program at log-on,
// and the switch Task Manager's Startup tab keeps for it. The registry side only; the value's
// name and text come from app/autostart_rules.h. Names, paths and commands are UTF-8 here and
// go to the registry as UTF-16: a path outside the ANSI code page survives whole.
#pragma once

#include <windows.h>

#include <string>

namespace quilvo {

// Where the values live: the user's Run key and its StartupApproved twin, or keys a test names.
struct RunKey {
    HKEY root = HKEY_CURRENT_USER;
    const wchar_t* path = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    // Task Manager's Startup tab marks an entry of the Run key off here, under the same name.
    const wchar_t* approvedPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
};

// The full path of the running program; empty when it cannot be read whole.
std::string ThisProgramPath();

// True when the value exists, is a text of reasonable length (REG_SZ, or REG_EXPAND_SZ read
// expanded; under 4096 bytes) and starts programPath. A missing key or value, another type or
// a longer text: false.
bool RunValueStarts(const RunKey& key, const std::string& name, const std::string& programPath);

// Writes the value with this command (on), or removes it (off; a missing key or value is
// left as it is). False when the registry refused, or the name or the command is no UTF-8.
bool SetRunValue(const RunKey& key, const std::string& name, const std::string& command, bool on);

// True when Windows starts this program at log-on: the Run value starts it and the user has
// not turned the entry off in Task Manager.
bool StartsAtLogOn(const RunKey& key, const std::string& name, const std::string& programPath);

// The user's own choice of "Start with Windows": off when it starts at log-on (the Run value
// removed, Task Manager's mark left as it is), else on (the Run value written when it does not
// start this program, and the entry marked on in Task Manager's place when it was off there).
bool SwitchRunEntry(const RunKey& key, const std::string& name, const std::string& programPath,
                    const std::string& command);

// An administrator's StartWithWindows: the Run value written (when it does not start this
// program) or removed. Task Manager's mark is the user's and is never touched.
bool ForceRunValue(const RunKey& key, const std::string& name, const std::string& programPath,
                   const std::string& command, bool on);

}  // namespace quilvo
