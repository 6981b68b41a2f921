// An open registry key, closed when it goes out of scope. Windows only.
#pragma once

#include <windows.h>

namespace quilvo {

class ScopedHKEY {
public:
    ScopedHKEY() = default;
    ~ScopedHKEY() {
        if (key_ != nullptr) RegCloseKey(key_);
    }
    ScopedHKEY(const ScopedHKEY&) = delete;
    ScopedHKEY& operator=(const ScopedHKEY&) = delete;
    HKEY* put() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace quilvo
