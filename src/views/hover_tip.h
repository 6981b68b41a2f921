// The one hover tip of the program: shows a session's title 300 ms after the mouse came
// onto a mini window or session button, and removes it again after one second.
#pragma once

#include <windows.h>

#include "views/window_object.h"

namespace quilvo {

class HoverTip : public WindowObject {
public:
    HoverTip();
    void DestroyOwnWindow() override;  // DestroyTip

    // The window that owns the create timer and measures the text; callers set it first.
    void SetTarget(HWND target) { parentWindow = target; }
    void RequestTip(int x, int y, const char* text);
    void CancelTipRequest();
    void DestroyTip();

    HWND TipWindow() const { return ownWindow; }
    const char* Text() const { return text_; }

    static LRESULT CALLBACK WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

private:
    void CreateTip();
    static void CALLBACK CreateTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept;
    static void CALLBACK DestroyTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept;

    char text_[128] = {};
    DWORD delay_ = 300;
    HWND pendingTarget_ = nullptr;  // the window whose create timer is running, if any
};

// The module-level tip and the window that made the last request.
HoverTip& TheHoverTip();
extern HWND g_lastHoveredWindow;

}  // namespace quilvo
