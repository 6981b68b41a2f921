#include "app/autostart.h"

#include "app/autostart_rules.h"
#include "platform/wide_text.h"
#include "settings/scoped_hkey.h"

namespace quilvo {

namespace {

// The longest command read back: a path and a session class fit many times over; anything
// longer was not written by this program.
constexpr DWORD kMaxCommandBytes = 4096;
// The longest path Windows has (UNICODE_STRING's limit, in characters).
constexpr std::size_t kLongestPath = 32768;
// Task Manager's mark: 12 bytes, a flag word whose lowest bit means "off", then when.
constexpr DWORD kApprovedBytes = 12;
// Shorter than the flag word: not a mark anyone wrote, so it turns nothing off.
constexpr DWORD kShortestMark = 4;
// Room for a longer mark than Task Manager writes; a value longer still is junk.
constexpr DWORD kApprovedRoom = 64;

// A name converts only from valid UTF-8; an empty one would be the key's default value.
bool WideName(const std::string& name, std::wstring& wide) {
    wide = WideFromUtf8(name);
    return !wide.empty();
}

// True when the user turned the entry off in Task Manager's Startup tab.
bool Disabled(const RunKey& key, const std::string& name) {
    std::wstring wideName;
    BYTE mark[kApprovedRoom] = {};
    DWORD size = sizeof mark;
    // Missing, of another type or longer than the room: on, as Windows starts the entry then.
    if (!WideName(name, wideName) ||
        RegGetValueW(key.root, key.approvedPath, wideName.c_str(), RRF_RT_REG_BINARY, nullptr, mark, &size) !=
        ERROR_SUCCESS) {
        return false;
    }
    return size >= kShortestMark && (mark[0] & 1) != 0;
}

// The form Task Manager writes when the user turns an entry on again: 2, then zeros.
bool MarkEnabled(const RunKey& key, const std::string& name) {
    std::wstring wideName;
    ScopedHKEY approved;
    if (!WideName(name, wideName) ||
        RegCreateKeyExW(key.root, key.approvedPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, approved.put(), nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const BYTE enabled[kApprovedBytes] = {0x02};
    return RegSetValueExW(approved.get(), wideName.c_str(), 0, REG_BINARY, enabled, sizeof enabled) == ERROR_SUCCESS;
}

}  // namespace

std::string ThisProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::string();
        if (length < path.size()) return Utf8FromWide(path.data(), length);
        // A path cut to the buffer would name another file: a longer buffer, or nothing.
        if (path.size() >= kLongestPath) return std::string();
        path.resize(path.size() * 2);
    }
}

bool RunValueStarts(const RunKey& key, const std::string& name, const std::string& programPath) {
    std::wstring wideName;
    if (!WideName(name, wideName)) return false;
    wchar_t command[kMaxCommandBytes / sizeof(wchar_t)] = {};
    DWORD size = sizeof command;
    // RRF_RT_REG_SZ refuses every other type, and the call fails rather than cut a longer text.
    // Read wide: a value an older version wrote through the ANSI calls reads the same.
    if (RegGetValueW(key.root, key.path, wideName.c_str(), RRF_RT_REG_SZ, nullptr, command, &size) != ERROR_SUCCESS) {
        return false;
    }
    return RunCommandStarts(Utf8FromWide(command, wcslen(command)).c_str(), programPath.c_str());
}

bool SetRunValue(const RunKey& key, const std::string& name, const std::string& command, bool on) {
    std::wstring wideName;
    if (!WideName(name, wideName)) return false;
    ScopedHKEY run;
    if (!on) {
        if (RegOpenKeyExW(key.root, key.path, 0, KEY_SET_VALUE, run.put()) != ERROR_SUCCESS) return true;
        const LONG result = RegDeleteValueW(run.get(), wideName.c_str());
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring text = WideFromUtf8(command);
    if (text.empty() || RegCreateKeyExW(key.root, key.path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, run.put(),
                                        nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExW(run.get(), wideName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool StartsAtLogOn(const RunKey& key, const std::string& name, const std::string& programPath) {
    return RunValueStarts(key, name, programPath) && !Disabled(key, name);
}

bool SwitchRunEntry(const RunKey& key, const std::string& name, const std::string& programPath,
                    const std::string& command) {
    if (StartsAtLogOn(key, name, programPath)) return SetRunValue(key, name, command, false);
    if (!RunValueStarts(key, name, programPath) && !SetRunValue(key, name, command, true)) return false;
    // The user chose it while it showed off: turned off in Task Manager (or left so by an
    // entry removed since), it is turned on there as Task Manager itself would.
    return !Disabled(key, name) || MarkEnabled(key, name);
}

bool ForceRunValue(const RunKey& key, const std::string& name, const std::string& programPath,
                   const std::string& command, bool on) {
    // Written only when it differs: a start with the policy already in force writes nothing.
    // Off removes the value whatever it starts (removing a missing one is no write).
    if (on && RunValueStarts(key, name, programPath)) return true;
    return SetRunValue(key, name, command, on);
}

}  // namespace quilvo
