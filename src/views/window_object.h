// The common base of views, box panels, mini windows and the hover tip.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quilvo {

class WindowObject {
public:
    virtual ~WindowObject() = default;
    virtual void DestroyOwnWindow();
    virtual void Place();

    HWND parentWindow = nullptr;
    HWND ownWindow = nullptr;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

}  // namespace quilvo
