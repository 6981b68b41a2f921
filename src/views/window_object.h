// What views, box panels and mini windows share: their window, its parent and its place.
#pragma once

#include <windows.h>

#include <cstdint>

namespace quilvo {

struct WindowObject {
    HWND parentWindow = nullptr;
    HWND ownWindow = nullptr;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

}  // namespace quilvo
