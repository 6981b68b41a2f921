// The main window (class QuilvoWin): the view of the six boxes, shown in it by the refresh
// cycle. Beyond what every QuilvoWin window does (views/view_window.h) it answers a second
// start's request and the end of the user's session, and unmarks itself when it goes.
#pragma once

#include <windows.h>

#include "views/view_window.h"

namespace quilvo {

class MainWindow final : public ViewWindow {
public:
    // Makes the window (caption "zrt::quo \3 Tarvo", 300 x 200, not shown in place yet).
    HWND Create(HINSTANCE instance);
    HWND Handle() const { return window_; }

    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept override;
    void OnWindowGone(HWND) noexcept override { window_ = nullptr; }

private:
    HWND window_ = nullptr;
};

// Makes the window layered with the low 8 bits of opacity as its alpha (every Windows since
// 2000 has layered windows, so it is called directly).
void ApplyOpacity(HWND window, int opacity);

}  // namespace quilvo
