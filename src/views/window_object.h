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

    // Window<T>::OnWindowGone of the classes built on this: a window that went no longer names
    // its object's own window.
    void OnWindowGone(HWND wnd) noexcept { if (ownWindow == wnd) ownWindow = nullptr; }
};

}  // namespace quilvo
