// "Start with Windows": a value under the user's Run key that starts this program at log-on.
// The registry side only; the value's name and text come from app/autostart_rules.h. Names,
// paths and commands are UTF-8 here and go to the registry as UTF-16: a path outside the ANSI
// code page survives whole.
#pragma once

#include <windows.h>

#include <string>

namespace quilvo {

// Where the values live: the user's Run key, or another key a test names.
struct RunKey {
    HKEY root = HKEY_CURRENT_USER;
    const wchar_t* path = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
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

}  // namespace quilvo
