// The hover tip. Its state is never stored on its own: it is read off the tip window and
// the pending create timer, and every event is carried out as the tip state table says
// (views/tip_states.h), so the table and the windows cannot drift apart.
//
// A request still pending on a former target window: the create timer lives on the target
// window of the request that started it, and callers change the target before each request.
// The tip therefore remembers the window (and timer id) whose create timer actually runs,
// and every stop of the create timer - the restart in RequestTip, CancelTipRequest and
// CreateTip - kills it there as well as on the current target. So a request on a second
// target within the delay replaces the first one: at most one request is pending, and as a
// pending request only ever turns into the one tip window, at most one tip is up.
#include "views/hover_tip.h"

#include "views/class_brush.h"

#include <cstddef>
#include <cstring>
#include <type_traits>

#include "base/text.h"
#include "base/debug_output.h"
#include "platform/display.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "views/geometry.h"

namespace quilvo {

namespace {

constexpr UINT kDestroyAfterMs = 1000;
// CreateTip first shows the tip this wide, then sizes it to the text.
constexpr int kFirstShowWidth = 150;
constexpr LONG kTipFontHeight = 12;

HoverTip g_hoverTip;  // constructed at load, before any view exists

// The tip's font at the tip window's own DPI: the DPI of the monitor it stands on.
ScopedFont TipFont(HWND tip) { return CreateTextFont(ScaleForDpi(kTipFontHeight, WindowDpi(tip))); }

// How wide the text is in the font the tip paints it with.
int TipTextWidth(HWND tip, const char* text) {
    const ScopedFont font = TipFont(tip);
    ScopedGetDC dc(tip);
    if (dc.get() == nullptr) return 0;
    ScopedSelectObject selected(dc.get(), font.get());
    SIZE extent = {};
    GetTextExtentPoint32A(dc.get(), text, static_cast<int>(std::strlen(text)), &extent);
    return extent.cx;
}

void PaintTip(HWND wnd, const char* text) {
    const ScopedFont font = TipFont(wnd);

    ScopedPaint paint(wnd);
    HDC dc = paint.dc();
    RECT client = {};
    GetClientRect(wnd, &client);
    {
        ScopedBrush background(CreateSolidBrush(GetSysColor(COLOR_INFOBK)));
        FillRect(dc, &client, background.get());
    }
    // Declared after the paint, so the previous font is back in the DC before EndPaint
    // releases it, and the font is deleted only after that.
    ScopedSelectObject selected(dc, font.get());
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_INFOBK));
    if (text[0] != '\0') TextOutA(dc, 0, 0, text, static_cast<int>(std::strlen(text)));
}

}  // namespace

HoverTip& TheHoverTip() { return g_hoverTip; }

TipState HoverTip::State() const {
    if (tipWindow_ != nullptr) return TipState::Shown;
    if (pendingTimerId_ != 0) return TipState::Pending;
    return TipState::Idle;
}

void CALLBACK HoverTip::CreateTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept {
    DebugOut("ToolTipCreateTimerProc\r\n");
    TheHoverTip().On(TipEvent::CreateTimerFires);
}

void CALLBACK HoverTip::DestroyTimerProc(HWND, UINT, UINT_PTR, DWORD) noexcept {
    DebugOut("ToolTipDestroyTimerProc\r\n");
    TheHoverTip().On(TipEvent::DestroyTimerFires);
}

void HoverTip::On(TipEvent event, int tipX, int tipY, const char* text) {
    // A target window that went away took its timers with it.
    if (pendingTarget_ != nullptr && !IsWindow(pendingTarget_)) {
        pendingTarget_ = nullptr;
        pendingTimerId_ = 0;
    }
    const TipStep step = NextTipStep(State(), event, drag_ != nullptr && drag_->DragInProgress());
    const TipActions& a = step.actions;
    if (a.storeRequest) StoreRequest(tipX, tipY, text);
    if (a.destroyWindow) DestroyTipWindow();
    if (a.stopCreateTimer) StopCreateTimer();
    if (a.startCreateTimer) StartCreateTimer();
    if (a.createWindow) CreateTip();
}

void HoverTip::StoreRequest(int tipX, int tipY, const char* text) {
    if (text == nullptr) text = "";
    x_ = tipX;
    y_ = tipY;
    CopyCut(text_, text);
}

void HoverTip::DestroyTipWindow() {
    HWND tip = tipWindow_;
    tipWindow_ = nullptr;
    if (tip != nullptr) DestroyWindow(tip);  // its destroy timer ends with it
}

void HoverTip::StopCreateTimer() {
    if (target_ != nullptr) KillTimer(target_, TIMER_TIP_CREATE);
    // The running timer may sit on a former target (or, without a target, be a thread timer).
    if (pendingTimerId_ != 0 && !(pendingTarget_ != nullptr && pendingTarget_ == target_))
        KillTimer(pendingTarget_, pendingTimerId_);
    pendingTarget_ = nullptr;
    pendingTimerId_ = 0;
}

void HoverTip::StartCreateTimer() {
    UINT_PTR id = SetTimer(target_, TIMER_TIP_CREATE, delay_, CreateTimerProc);
    if (id == 0) return;
    pendingTarget_ = target_;
    // Without a window SetTimer makes a thread timer and chooses its id itself.
    pendingTimerId_ = target_ != nullptr ? TIMER_TIP_CREATE : id;
}

void HoverTip::CreateTip() {
    static_assert(std::is_standard_layout_v<HoverTip> && offsetof(HoverTip, text_) == 0,
                  "the tip window's user data must point at the text");
    DebugOut("CreateWindowEx ToolTip \r\n");
    // First shown at the view's DPI; sized below at the tip's own, which it has once it stands
    // where it shows.
    const int height = ScaleForDpi(kTipHeight, WindowDpi(target_));
    HWND tip = CreateWindowExA(WS_EX_TOOLWINDOW, kHoverTipClass, nullptr, WS_POPUP | WS_VISIBLE, x_, y_, kFirstShowWidth,
                               height, GetDesktopWindow(), nullptr, GetModuleHandleA(nullptr), this);
    tipWindow_ = tip;
    if (tip == nullptr) return;  // nothing shown; the next request starts over
    SetWindowPos(tip, HWND_TOPMOST, x_, y_, kFirstShowWidth, height, SWP_SHOWWINDOW);
    // Measured once the tip stands where it shows: with its own font at the DPI of that
    // monitor (the target's DC has another font, and the target may be on another monitor).
    MoveWindow(tip, x_, y_, TipTextWidth(tip, text_), ScaleForDpi(kTipHeight, WindowDpi(tip)), TRUE);
    SetTimer(tip, TIMER_TIP_DESTROY, kDestroyAfterMs, DestroyTimerProc);
}

LRESULT HoverTip::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    if (msg != WM_PAINT) return DefWindowProcA(wnd, msg, wp, lp);
    PaintTip(wnd, text_);
    return 0;
}

// A tip window destroyed by anyone else must not stay recorded as the tip.
void HoverTip::OnWindowGone(HWND wnd) noexcept {
    if (tipWindow_ == wnd) tipWindow_ = nullptr;
}

}  // namespace quilvo
