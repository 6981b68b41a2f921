// The policy keys read from the registry: HKLM and HKCU Software\Policies\Quilvo, opened for
// reading only. Nothing here writes; the reads happen only when LoadPolicy is called (at start
// and when Windows says the policy changed), so the policy costs nothing at rest.
#include <windows.h>

#include "base/debug_output.h"
#include "settings/policy.h"
#include "settings/scoped_hkey.h"
#include "settings/settings.h"

namespace quilvo {

namespace {

// Longer than any list of production systems or hotkey an administrator writes.
constexpr DWORD kMaxTextBytes = 4096;

class RegistryHive final : public PolicyHive {
public:
    RegistryHive(HKEY root, const char* path) {
        if (RegOpenKeyExA(root, path, 0, KEY_READ, key_.put()) != ERROR_SUCCESS) *key_.put() = nullptr;
    }

    PolicyRawValue Value(const char* name) const override {
        PolicyRawValue value;
        if (key_.get() == nullptr) return value;
        char data[kMaxTextBytes] = {};
        DWORD type = 0;
        DWORD size = sizeof data - 1;  // room for the terminator a text may lack
        const LONG result = RegQueryValueExA(key_.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
        if (result == ERROR_FILE_NOT_FOUND) return value;
        value.present = true;
        if (result == ERROR_MORE_DATA) {
            value.type = PolicyValueType::kTooLong;
        } else if (result != ERROR_SUCCESS) {
            value.type = PolicyValueType::kOther;
        } else if (type == REG_DWORD && size == sizeof(DWORD)) {
            value.type = PolicyValueType::kDword;
            CopyMemory(&value.dword, data, sizeof(DWORD));
        } else if (type == REG_SZ) {
            value.type = PolicyValueType::kText;
            value.text = data;  // up to the first terminator; the buffer keeps one at its end
        }
        return value;
    }

private:
    ScopedHKEY key_;
};

}  // namespace

PolicyRead LoadPolicy(const char* path) {
    const RegistryHive machine(HKEY_LOCAL_MACHINE, path);
    const RegistryHive user(HKEY_CURRENT_USER, path);
    PolicyRead read = ReadPolicy(machine, user);
    for (const std::string& line : read.debugLines) DebugLine("%s\n", line.c_str());
    UsePolicy(read.values);
    return read;
}

}  // namespace quilvo
