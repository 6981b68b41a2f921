// The frame around the production session in front: a ring of the production colour along the
// edge of its window (inside the monitor's edge when it is maximised), 3 pixels at 96 DPI,
// scaled to the monitor's. A window of the program's own that never takes a click or the
// focus, shows in no taskbar or Alt+Tab, and stands just above the session, not topmost.
#pragma once

#include <windows.h>

#include "platform/window.h"
#include "platform/window_names.h"

namespace quilvo {

// The frame's width at 96 DPI.
constexpr int kProductionFrame = 3;

class ProductionFrame final : public Window<ProductionFrame> {
public:
    ProductionFrame() = default;
    ~ProductionFrame() { DestroyDetached(window_, this); }
    ProductionFrame(const ProductionFrame&) = delete;
    ProductionFrame& operator=(const ProductionFrame&) = delete;

    // Lies along the session's window, just above it; made the first time, moved only when
    // the window moved or changed its size. highContrast: the user's selection colour.
    void Follow(HWND session, bool highContrast);
    void Hide();
    HWND Handle() const { return window_; }
    // The session it lies around; none while hidden.
    HWND Following() const { return following_; }

    // Window<ProductionFrame>
    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void OnWindowGone(HWND) noexcept { window_ = nullptr; }

private:
    bool Create();
    void Paint(HWND wnd);

    HWND window_ = nullptr;
    HWND following_ = nullptr;
    RECT at_ = {};
    int width_ = 0;
    bool highContrast_ = false;
};

}  // namespace quilvo
