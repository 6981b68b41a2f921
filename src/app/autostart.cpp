#include "app/autostart.h"

#include "app/autostart_rules.h"
#include "settings/scoped_hkey.h"

namespace quilvo {

namespace {

// The longest command read back: a path and a session class fit many times over; anything
// longer was not written by this program.
constexpr DWORD kMaxCommandBytes = 4096;

}  // namespace

std::string ThisProgramPath() {
    char path[MAX_PATH * 4] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    // A path cut to the buffer would name another file.
    if (length == 0 || length >= sizeof path) return std::string();
    return std::string(path, length);
}

bool RunValueStarts(const RunKey& key, const std::string& name, const std::string& programPath) {
    char command[kMaxCommandBytes] = {};
    DWORD size = sizeof command;
    // RRF_RT_REG_SZ refuses every other type, and the call fails rather than cut a longer text.
    if (RegGetValueA(key.root, key.path, name.c_str(), RRF_RT_REG_SZ, nullptr, command, &size) != ERROR_SUCCESS) {
        return false;
    }
    return RunCommandStarts(command, programPath.c_str());
}

bool SetRunValue(const RunKey& key, const std::string& name, const std::string& command, bool on) {
    ScopedHKEY run;
    if (!on) {
        if (RegOpenKeyExA(key.root, key.path, 0, KEY_SET_VALUE, run.put()) != ERROR_SUCCESS) return true;
        const LONG result = RegDeleteValueA(run.get(), name.c_str());
        return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
    }
    if (RegCreateKeyExA(key.root, key.path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, run.put(), nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    return RegSetValueExA(run.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>(command.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace quilvo
