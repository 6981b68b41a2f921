#include "views/mini_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "commands/session_commands.h"
#include "core/drag_state.h"
#include "base/debug_output.h"
#include "base/text.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "views/box_panel.h"
#include "views/boxed_view.h"
#include "views/geometry.h"
#include "views/hover_tip.h"
#include "views/mini_label.h"

namespace quilvo {

namespace {

// Up to this client size the mini window shows the small picture.
constexpr int kSmallPictureLimit = 20;
constexpr int kSmallPictureSize = 16;
constexpr int kLargePictureSize = 32;

// The id of the session buttons' subclass (one per procedure and button).
constexpr UINT_PTR kSessionButton = 1;

// The busy mark's side at 96 DPI, and the raster operation that washes the picture out:
// destination OR pattern.
constexpr int kBusyMarkSize = 9;
constexpr DWORD kDestOrPattern = 0x00FA0089;

// One line of a label in its place, cut with an ellipsis where it does not fit.
void DrawFittedLine(HDC dc, const char* text, const PixelRect& place) {
    constexpr int kMaxLine = kLabelLineCapacity;
    constexpr char kEllipsis[] = "...";
    const int length = static_cast<int>(std::strlen(text));
    if (length <= 0 || length >= kMaxLine) return;
    int cumulative[kMaxLine] = {};
    SIZE size = {};
    SIZE ellipsis = {};
    if (!GetTextExtentExPointA(dc, text, length, 0, nullptr, cumulative, &size)) return;
    GetTextExtentPoint32A(dc, kEllipsis, 3, &ellipsis);
    const FittedText fit = FitWithEllipsis(cumulative, length, ellipsis.cx, place.width);
    if (fit.kept > 0) TextOutA(dc, place.x, place.y, text, fit.kept);
    if (fit.ellipsis) TextOutA(dc, place.x + (fit.kept > 0 ? cumulative[fit.kept - 1] : 0), place.y, kEllipsis, 3);
}

// The screen position of a window's normal top left corner inside the panel's client area,
// and that of the panel's client origin.
bool PlacementInPanel(HWND child, HWND panel, PixelPoint* position, PixelPoint* panelOrigin) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(child, &placement)) return false;
    POINT origin = {0, 0};
    ClientToScreen(panel, &origin);
    *position = PixelPoint{placement.rcNormalPosition.left, placement.rcNormalPosition.top};
    *panelOrigin = PixelPoint{origin.x, origin.y};
    return true;
}

}  // namespace

MiniWindow::MiniWindow() {
    width = 1;
    height = 1;
}

MiniWindow::~MiniWindow() { DestroyDetached(ownWindow, this); }

void MiniWindow::Create() {
    ownWindow = CreateWindowExA(0, kMiniWindowClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER, x,
                                y, width, height, parentWindow, nullptr, GetModuleHandleA(nullptr), this);
}

BoxedView* MiniWindow::View() const { return owningPanel ? owningPanel->view : nullptr; }

void MiniWindow::TakeSession(const SessionRecord& s) {
    CopyCut(title, s.title);
    CopyCut(system, s.system);
    CopyCut(client, s.client);
    CopyCut(transaction, s.transaction);
    busy = s.busy != 0;
}

void MiniWindow::Paint(HWND wnd) {
    ScopedPaint paint(wnd);
    RECT client = {};
    GetClientRect(wnd, &client);
    const PixelRect area = PaintLabel(paint.dc(), client);
    const bool large = area.width > kSmallPictureLimit || area.height > kSmallPictureLimit;
    const int picture = large ? IDB_MINI_LARGE : IDB_MINI_SMALL;
    const int source = large ? kLargePictureSize : kSmallPictureSize;

    // Declared in this order so that the bitmap leaves the memory DC before the DC is deleted,
    // and the bitmap is deleted only after that.
    HDC dc = paint.dc();
    HINSTANCE module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(wnd, GWLP_HINSTANCE));
    ScopedBitmap bitmap(LoadBitmapA(module, MAKEINTRESOURCEA(picture)));
    ScopedMemDC memory(CreateCompatibleDC(dc));
    if (!bitmap || !memory.get()) return;
    {
        ScopedSelectObject selected(memory.get(), bitmap.get());
        StretchBlt(dc, area.x, area.y, area.width, area.height, memory.get(), 0, 0, source, source, SRCCOPY);
    }
    if (busy) PaintBusyMark(dc, client);
}

PixelRect MiniWindow::PaintLabel(HDC dc, const RECT& clientRect) const {
    const BoxedView* view = View();
    const bool wanted = view != nullptr && view->labels && view->LabelFont() != nullptr;
    const MiniLabelLayout layout = LayOutMiniLabel(clientRect.right, clientRect.bottom,
                                                   wanted ? view->LabelLineHeight() : 0, wanted ? view->dpi : kBaseDpi);
    if (!layout.labelled) return layout.picture;
    const RECT band = {0, 0, layout.band.width, layout.band.height};
    // A busy session's band takes the colours of an inactive caption.
    FillRect(dc, &band, GetSysColorBrush(busy ? COLOR_INACTIVECAPTION : COLOR_ACTIVECAPTION));
    ScopedSelectObject font(dc, view->LabelFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(busy ? COLOR_INACTIVECAPTIONTEXT : COLOR_CAPTIONTEXT));
    const MiniLabelText text = MiniLabelLines(system, client, transaction, title);
    const char* lines[2] = {text.first, text.second};
    for (int i = 0; i < 2; ++i) DrawFittedLine(dc, lines[i], layout.lines[i]);
    return layout.picture;
}

void MiniWindow::PaintBusyMark(HDC dc, const RECT& clientRect) const {
    // The picture is washed out (every colour at least mid-grey) and a small clock face
    // stands in the top right corner.
    {
        ScopedSelectObject grey(dc, GetStockObject(GRAY_BRUSH));
        PatBlt(dc, 0, 0, clientRect.right, clientRect.bottom, kDestOrPattern);
    }
    const int size = std::min<int>(ScaleForDpi(kBusyMarkSize, View() ? View()->dpi : kBaseDpi),
                                   std::min(clientRect.right, clientRect.bottom) - 2);
    if (size < 5) return;
    const int left = clientRect.right - size - 1;
    const int top = 1;
    ScopedSelectObject pen(dc, GetStockObject(DC_PEN));
    ScopedSelectObject brush(dc, GetStockObject(DC_BRUSH));
    SetDCPenColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetDCBrushColor(dc, GetSysColor(COLOR_WINDOW));
    Ellipse(dc, left, top, left + size, top + size);
    const int cx = left + size / 2;
    const int cy = top + size / 2;
    MoveToEx(dc, cx, cy, nullptr);
    LineTo(dc, cx, top + 2);
    MoveToEx(dc, cx, cy, nullptr);
    LineTo(dc, left + size - 2, cy);
}

// One tip request when the mouse comes onto a mini window or its button; false when the tip
// of this view already belongs to this very window.
bool MiniWindow::RequestHoverTip(HWND wnd, bool button) {
    BoxedView* view = View();
    if (view->tipShown) {
        if (g_lastHoveredWindow == wnd) return false;
        TheHoverTip().DestroyTip();
    }
    PixelPoint position;
    PixelPoint origin;
    if (!PlacementInPanel(wnd, owningPanel->ownWindow, &position, &origin)) return true;
    const PixelPoint tip = button ? SessionButtonTipPosition(origin, position)
                                  : MiniWindowTipPosition(origin, position, width);
    TheHoverTip().SetTarget(owningPanel->parentWindow);
    TheHoverTip().RequestTip(tip.x, tip.y, title);
    g_lastHoveredWindow = wnd;
    view->tipShown = 1;
    return true;
}

LRESULT MiniWindow::OnMouseMove(HWND wnd) {
    if (!View()) return 0;
    return RequestHoverTip(wnd, false) ? 0 : 1;
}

void MiniWindow::StartDrag(HWND wnd, LPARAM lp) {
    TheHoverTip().DestroyTip();
    DebugOut("WM_LBUTTONDOWN\r\n");
    MiniWindow* m = From(wnd);
    if (!m) return;
    RaiseSession(FromHwnd(m->sessionWindow), false, OpsOf(m->View()));
    // Read again from the window: the raise runs no messages today, but if anything ever did,
    // a rebuild inside it could have freed this mini window and its panel.
    m = From(wnd);
    if (!m || !m->owningPanel) return;
    BoxedView* view = m->View();
    if (view) view->tipShown = 0;
    g_dragState.grabX = LOWORD(lp);
    g_dragState.grabY = HIWORD(lp);
    // The docked toolbar raises and captures like any view but must not move windows.
    if (!view || std::strcmp(view->sectionName, kDockedSection) != 0) g_dragState.dragFlag = 1;
    g_dragState.draggedMini = FromHwnd(wnd);
    g_dragState.repaintWindow = FromHwnd(m->owningPanel->parentWindow);
    g_dragState.draggedSession = FromHwnd(m->sessionWindow);
    OpsOf(view).BringToTop(FromHwnd(m->sessionWindow));
    BringWindowToTop(wnd);
    SetCapture(m->parentWindow);
}

LRESULT MiniWindow::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_PAINT: Paint(wnd); return 0;
        case WM_MOUSEMOVE: return OnMouseMove(wnd);
        case WM_LBUTTONDOWN: OnLeftButtonDown(wnd); break;
        case WM_LBUTTONUP: OnLeftButtonUp(wnd); break;
        case WM_RBUTTONDOWN: StartDrag(wnd, lp); break;
        case WM_RBUTTONUP:
        case WM_KILLFOCUS:
            BoxPanel::EndDrag(owningPanel);
            TheHoverTip().DestroyTip();
            break;
        default: break;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void MiniWindow::OnLeftButtonDown(HWND wnd) {
    RaiseSession(FromHwnd(sessionWindow), false, OpsOf(View()));
    // Read again from the window: nothing above runs messages today, but the mini window must
    // not be used if something ever did and a rebuild freed it.
    MiniWindow* m = From(wnd);
    BoxPanel::EndDrag(m ? m->owningPanel : nullptr);
    DebugOut("WM_RBUTTONDOWN\r\n");
}

void MiniWindow::OnLeftButtonUp(HWND wnd) {
    DebugOut("WM_RBUTTONUP\r\n");
    BoxPanel::EndDrag(owningPanel);
    TheHoverTip().DestroyTip();
    BringWindowToTop(wnd);
}

// ---- Session button ----------------------------------------------------------------------

void MiniWindow::AttachButton(HWND button) {
    SetWindowLongPtrA(button, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowSubclass(button, &ButtonProc, kSessionButton, 0);
}

LRESULT MiniWindow::OnButtonMessage(HWND button, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_MOUSEMOVE:
            if (!View()) return 0;
            if (!RequestHoverTip(button, true)) return 1;
            break;
        case WM_LBUTTONUP:
            SendMessageA(parentWindow, WM_COMMAND, 0, reinterpret_cast<LPARAM>(button));
            break;
        case WM_CLOSE:
            DestroyWindow(button);
            return 0;
        default: break;
    }
    return DefSubclassProc(button, msg, wp, lp);
}

LRESULT CALLBACK MiniWindow::ButtonProc(HWND button, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR) noexcept {
    MiniWindow* m = reinterpret_cast<MiniWindow*>(GetWindowLongPtrA(button, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        // The button goes before its mini window: forget it, and give the button its own
        // procedure back for its last message.
        if (m && m->buttonWindow == button) m->buttonWindow = nullptr;
        SetWindowLongPtrA(button, GWLP_USERDATA, 0);
        RemoveWindowSubclass(button, &ButtonProc, id);
        return DefSubclassProc(button, msg, wp, lp);
    }
    if (!m) return DefSubclassProc(button, msg, wp, lp);
    if (HoldUserActionWhileWaiting(button, msg, wp, lp)) return 0;
    return m->OnButtonMessage(button, msg, wp, lp);
}

}  // namespace quilvo
