// The main window (class QuilvoWin): the view of the six boxes, shown in it by the refresh
// cycle. Beyond what every QuilvoWin window does (views/view_window.h) it answers a second
// start's request and the end of the user's session, and unmarks itself when it goes.
#pragma once

#include <windows.h>

#include <functional>

#include "views/view_window.h"

namespace quilvo {

class MainWindow final : public ViewWindow {
public:
    // Makes the window (caption "zrt::quo \3 Tarvo", 300 x 200, not shown in place yet).
    // sessionClass: the class whose hidden sessions are shown when the user's session ends;
    // showRequested: a second start asks for the window. Both must outlive the window.
    HWND Create(HINSTANCE instance, const char* sessionClass, std::function<void()> showRequested);
    HWND Handle() const { return window_; }
    // What must be on the disk before the user's session ends (WM_QUERYENDSESSION, then
    // WM_ENDSESSION): the process may be ended any moment after.
    void OnSessionEnding(std::function<void()> ending) { sessionEnding_ = std::move(ending); }

    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept override;
    void OnWindowGone(HWND) noexcept override { window_ = nullptr; }

private:
    HWND window_ = nullptr;
    const char* sessionClass_ = "";
    std::function<void()> showRequested_;
    std::function<void()> sessionEnding_;
};

// Makes the window layered with the low 8 bits of opacity as its alpha (every Windows since
// 2000 has layered windows, so it is called directly).
void ApplyOpacity(HWND window, int opacity);

}  // namespace quilvo
