#include "views/production_frame.h"

#include "platform/display.h"
#include "platform/scoped_win.h"
#include "views/geometry.h"
#include "views/view_context.h"

namespace quilvo {

namespace {

// Where the frame lies: the window's rectangle, within its monitor when it is maximised (a
// maximised window's rectangle stands out of the monitor by its own frame all round).
RECT FrameRect(HWND session) {
    RECT r = {};
    GetWindowRect(session, &r);
    if (!IsZoomed(session)) return r;
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoA(MonitorFromWindow(session, MONITOR_DEFAULTTONEAREST), &info)) return r;
    RECT inside = {};
    return IntersectRect(&inside, &r, &info.rcMonitor) ? inside : r;
}

// The window just above the session, for the frame to go below it; none: the top of the
// windows that are not topmost.
HWND InsertAfter(HWND session, HWND frame) {
    HWND above = GetWindow(session, GW_HWNDPREV);
    if (above == frame) above = GetWindow(frame, GW_HWNDPREV);
    if (above == nullptr || (GetWindowLongPtrA(above, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) return HWND_TOP;
    return above;
}

}  // namespace

bool ProductionFrame::Create() {
    // Layered and transparent to the mouse: clicks go to whatever lies below; no activation,
    // and as a tool window no taskbar button and no place in Alt+Tab.
    window_ = CreateWindowExA(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW,
                              kProductionFrameClass, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleA(nullptr), this);
    if (window_ == nullptr) return false;
    SetLayeredWindowAttributes(window_, 0, 255, LWA_ALPHA);
    return true;
}

void ProductionFrame::Follow(HWND session, bool highContrast) {
    if (window_ == nullptr && !Create()) return;
    const RECT at = FrameRect(session);
    const bool moved = session != following_ || !EqualRect(&at, &at_);
    if (highContrast != highContrast_) InvalidateRect(window_, nullptr, FALSE);
    highContrast_ = highContrast;
    following_ = session;
    const HWND after = InsertAfter(session, window_);
    const bool placed = GetWindow(window_, GW_HWNDNEXT) == session && IsWindowVisible(window_);
    if (!moved && placed) return;
    at_ = at;
    SetWindowPos(window_, after, at.left, at.top, at.right - at.left, at.bottom - at.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW | (placed ? SWP_NOZORDER : 0));
    // Only the ring is the window: the session shows through the middle, where nothing of the
    // frame lies. Its width is that of the monitor the frame is on now.
    const int width = ScaleForDpi(kProductionFrame, WindowDpi(window_));
    const int w = at.right - at.left, h = at.bottom - at.top;
    ScopedHandle<HRGN, DeleteGdiObject> ring(CreateRectRgn(0, 0, w, h));
    ScopedHandle<HRGN, DeleteGdiObject> middle(CreateRectRgn(width, width, w - width, h - width));
    if (ring && middle && CombineRgn(ring.get(), ring.get(), middle.get(), RGN_DIFF) != ERROR) {
        // The window owns the region from here on.
        if (SetWindowRgn(window_, ring.get(), TRUE)) (void)ring.release();
    }
    width_ = width;
}

void ProductionFrame::Hide() {
    following_ = nullptr;
    if (window_ != nullptr && IsWindowVisible(window_)) ShowWindow(window_, SW_HIDE);
}

void ProductionFrame::Paint(HWND wnd) {
    ScopedPaint paint(wnd);
    RECT client = {};
    GetClientRect(wnd, &client);
    ScopedBrush red(CreateSolidBrush(ProductionColour(highContrast_)));
    FillRect(paint.dc(), &client, red.get());
}

LRESULT ProductionFrame::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_PAINT: Paint(wnd); return 0;
        case WM_NCHITTEST: return HTTRANSPARENT;
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

}  // namespace quilvo
