// The one hover tip of the program: shows a session's title 300 ms after the mouse came
// onto a mini window or session button, and removes it again after one second.
#pragma once

#include <windows.h>

#include "core/drag_probe.h"
#include "platform/window.h"
#include "platform/window_names.h"
#include "views/tip_states.h"

namespace quilvo {

class HoverTip : public Window<HoverTip> {
public:
    HoverTip() = default;
    HoverTip(const HoverTip&) = delete;
    HoverTip& operator=(const HoverTip&) = delete;

    // The window that owns the create timer and measures the text; callers set it first.
    void SetTarget(HWND target) { target_ = target; }
    void RequestTip(int x, int y, const char* text) { On(TipEvent::Request, x, y, text); }
    void CancelTipRequest() { On(TipEvent::Cancel); }
    void DestroyTip() { On(TipEvent::Destroy); }

    // While a drag moves windows the tip takes no requests.
    void UseDrag(const DragProbe* drag) { drag_ = drag; }
    // The mini window or button whose tip was asked for last.
    HWND LastHovered() const { return lastHovered_; }
    void SetLastHovered(HWND window) { lastHovered_ = window; }

    HWND TipWindow() const { return tipWindow_; }
    const char* Text() const { return text_; }
    // The window whose create timer runs, or none when no request is pending.
    HWND PendingTarget() const { return pendingTarget_; }
    TipState State() const;

    // Window<HoverTip>: the messages of its XToolTip window.
    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;
    void OnWindowGone(HWND wnd) noexcept;

    // Timer procedures: they ignore their arguments and act on the one HoverTip.
    static void CALLBACK CreateTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept;
    static void CALLBACK DestroyTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept;

    static constexpr int kTipHeight = 12;

private:
    void CreateTip();
    void On(TipEvent event, int x = 0, int y = 0, const char* text = nullptr);
    void StoreRequest(int x, int y, const char* text);
    void DestroyTipWindow();
    void StopCreateTimer();
    void StartCreateTimer();

    // First, so that the tip window's user data, which names this object, points at the
    // zero-terminated text as well: tools (and the end-to-end tests) read the tip's text from
    // another process that way.
    char text_[128] = {};
    HWND target_ = nullptr;          // the window that made the last request
    HWND tipWindow_ = nullptr;
    int x_ = 0;
    int y_ = 0;
    DWORD delay_ = 300;
    HWND pendingTarget_ = nullptr;   // the window whose create timer is running, if any
    UINT_PTR pendingTimerId_ = 0;    // that timer's id; 0 when no request is pending
    const DragProbe* drag_ = nullptr;
    HWND lastHovered_ = nullptr;
};

// The program's one tip. Its timers find it here; everything else is handed it.
HoverTip& TheHoverTip();

}  // namespace quilvo
