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

// A name converts only from valid UTF-8; an empty one would be the key's default value.
bool WideName(const std::string& name, std::wstring& wide) {
    wide = WideFromUtf8(name);
    return !wide.empty();
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

}  // namespace quilvo
