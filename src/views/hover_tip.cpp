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

#include <cstring>

#include "core/drag_state.h"
#include "core/text.h"
#include "platform/debug_output.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"

namespace quilvo {

namespace {

constexpr UINT kDestroyAfterMs = 1000;
// CreateTip first shows the tip this wide, then sizes it to the text.
constexpr int kFirstShowWidth = 150;
constexpr LONG kTipFontHeight = 12;

HoverTip g_hoverTip;  // constructed at load, before any view exists

void PaintTip(HWND wnd, const char* text) {
    LOGFONTA lf = {};
    lf.lfHeight = kTipFontHeight;
    std::strcpy(lf.lfFaceName, "ARIAL");
    ScopedFont font(CreateFontIndirectA(&lf));

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

HWND g_lastHoveredWindow = nullptr;

HoverTip& TheHoverTip() { return g_hoverTip; }

HoverTip::HoverTip() : delay_(300) {}

void HoverTip::DestroyOwnWindow() { DestroyTip(); }

TipState HoverTip::State() const {
    if (ownWindow != nullptr) return TipState::Shown;
    if (pendingTimerId_ != 0) return TipState::Pending;
    return TipState::Idle;
}

void HoverTip::RequestTip(int tipX, int tipY, const char* text) { On(TipEvent::Request, tipX, tipY, text); }

void HoverTip::CancelTipRequest() { On(TipEvent::Cancel); }

void HoverTip::DestroyTip() { On(TipEvent::Destroy); }

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
    const TipStep step = NextTipStep(State(), event, g_dragState.dragFlag != 0);
    const TipActions& a = step.actions;
    if (a.storeRequest) StoreRequest(tipX, tipY, text);
    if (a.destroyWindow) DestroyTipWindow();
    if (a.stopCreateTimer) StopCreateTimer();
    if (a.startCreateTimer) StartCreateTimer();
    if (a.createWindow) CreateTip();
}

void HoverTip::StoreRequest(int tipX, int tipY, const char* text) {
    if (text == nullptr) text = "";
    // Measured with the target's device context as it is, i.e. its default font, not the
    // tip's own font.
    SIZE extent = {};
    {
        ScopedGetDC dc(parentWindow);
        if (dc.get() != nullptr)
            GetTextExtentPoint32A(dc.get(), text, static_cast<int>(std::strlen(text)), &extent);
    }
    x = tipX;
    y = tipY;
    width = extent.cx;
    CopyCut(text_, text);
}

void HoverTip::DestroyTipWindow() {
    HWND tip = ownWindow;
    ownWindow = nullptr;
    if (tip != nullptr) DestroyWindow(tip);  // its destroy timer ends with it
}

void HoverTip::StopCreateTimer() {
    if (parentWindow != nullptr) KillTimer(parentWindow, TIMER_TIP_CREATE);
    // The running timer may sit on a former target (or, without a target, be a thread timer).
    if (pendingTimerId_ != 0 && !(pendingTarget_ != nullptr && pendingTarget_ == parentWindow))
        KillTimer(pendingTarget_, pendingTimerId_);
    pendingTarget_ = nullptr;
    pendingTimerId_ = 0;
}

void HoverTip::StartCreateTimer() {
    UINT_PTR id = SetTimer(parentWindow, TIMER_TIP_CREATE, delay_, CreateTimerProc);
    if (id == 0) return;
    pendingTarget_ = parentWindow;
    // Without a window SetTimer makes a thread timer and chooses its id itself.
    pendingTimerId_ = parentWindow != nullptr ? TIMER_TIP_CREATE : id;
}

void HoverTip::CreateTip() {
    DebugOut("CreateWindowEx ToolTip \r\n");
    HWND tip = CreateWindowExA(WS_EX_TOOLWINDOW, "XToolTip", nullptr, WS_POPUP | WS_VISIBLE, x, y,
                               width, kTipHeight, GetDesktopWindow(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    ownWindow = tip;
    if (tip == nullptr) return;  // nothing shown; the next request starts over
    // The window paints whatever text the tip holds.
    SetWindowLongPtrA(tip, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(text_));
    SetWindowPos(tip, HWND_TOPMOST, x, y, kFirstShowWidth, kTipHeight, SWP_SHOWWINDOW);
    MoveWindow(tip, x, y, width, kTipHeight, TRUE);
    SetTimer(tip, TIMER_TIP_DESTROY, kDestroyAfterMs, DestroyTimerProc);
}

LRESULT CALLBACK HoverTip::WindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_PAINT: {
            const char* text = reinterpret_cast<const char*>(GetWindowLongPtrA(wnd, GWLP_USERDATA));
            if (text == nullptr) {
                // Nothing to paint; validate anyway, or WM_PAINT would come back at once.
                ValidateRect(wnd, nullptr);
                return 0;
            }
            PaintTip(wnd, text);
            return 0;
        }
        case WM_NCDESTROY:
            // A tip window destroyed by anyone else must not stay recorded as the tip.
            if (TheHoverTip().ownWindow == wnd) TheHoverTip().ownWindow = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace quilvo
