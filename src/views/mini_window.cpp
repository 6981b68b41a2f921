#include "views/mini_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "commands/session_commands.h"
#include "base/debug_output.h"
#include "base/text.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "views/box_panel.h"
#include "views/drag_controller.h"
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

// The raster operation that washes the picture out: destination OR pattern.
constexpr DWORD kDestOrPattern = 0x00FA0089;

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

// A debugger's session says so on its button: "Debugger" anywhere in its first 127
// characters, as the title the tip shows.
bool NamesDebugger(const char* title) { return std::strstr(title, "Debugger") != nullptr; }

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
    FittedText fit = FitWithEllipsis(cumulative, length, ellipsis.cx, place.width);
    const int whole = WholeCharacters(text, fit.kept, &IsLeadByte);
    if (whole < fit.kept) fit = FittedText{whole, true};
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

namespace {

// What a mini window shows before it has taken its session.
const SessionRecord kNoSession = {};

}  // namespace

MiniWindow::MiniWindow(ViewContext& context, BoxPanel& panel) : context_(context), panel_(panel), session_(&kNoSession) {
    width = 1;
    height = 1;
    parentWindow = panel.ownWindow;
}

MiniWindow::~MiniWindow() {
    if (button_ != nullptr) DestroyWindow(button_);
    DestroyDetached(ownWindow, this);
}

void MiniWindow::Take(const SessionRecord& s, const PixelRect& place, bool redraw) {
    session_ = &s;
    CopyCut(title_, s.title);
    x = place.x;
    y = place.y;
    width = place.width;
    height = place.height;
    if (redraw && ownWindow != nullptr) InvalidateRect(ownWindow, nullptr, FALSE);
    // Compared first: most passes change nothing, and setting a window text is a request to
    // the window system.
    char name[kSpokenNameCapacity];
    SessionSpokenName(s, name, sizeof name);
    if (std::strcmp(name, spokenName_) == 0) return;
    std::memcpy(spokenName_, name, sizeof name);
    if (ownWindow != nullptr) SetWindowTextA(ownWindow, spokenName_);
}

void MiniWindow::ShowAt(const PixelRect& at) {
    if (ownWindow == nullptr) {
        ownWindow = CreateWindowExA(0, kMiniWindowClass, spokenName_, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER,
                                    at.x, at.y, at.width, at.height, parentWindow, nullptr, GetModuleHandleA(nullptr),
                                    this);
        shownAt_ = at;
        return;
    }
    if (SameRect(at, shownAt_)) return;
    SetWindowPos(ownWindow, nullptr, at.x, at.y, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
    shownAt_ = at;
}

void MiniWindow::ShowButtonAt(const PixelRect& at) {
    const bool debugger = NamesDebugger(title_);
    if (button_ == nullptr) {
        button_ = CreateWindowExA(0, "BUTTON", debugger ? "-" : "...", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP,
                                  at.x, at.y, at.width, at.height, parentWindow, nullptr, GetModuleHandleA(nullptr),
                                  nullptr);
        if (button_ == nullptr) return;
        SetWindowLongPtrA(button_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowSubclass(button_, &ButtonProc, kSessionButton, 0);
        buttonAt_ = at;
        debuggerButton_ = debugger;
        return;
    }
    if (!SameRect(at, buttonAt_)) {
        SetWindowPos(button_, nullptr, at.x, at.y, at.width, at.height, SWP_NOZORDER | SWP_NOACTIVATE);
        buttonAt_ = at;
    }
    if (debugger != debuggerButton_) {
        SetWindowTextA(button_, debugger ? "-" : "...");
        debuggerButton_ = debugger;
    }
}

void MiniWindow::Paint(HWND wnd) {
    ScopedPaint paint(wnd);
    RECT client = {};
    GetClientRect(wnd, &client);
    const PixelRect area = PaintLabel(paint.dc(), client);
    if (context_.highContrast) {
        PaintContrastPicture(paint.dc(), area);
        PaintMarks(paint.dc(), client, area);
        return;
    }
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
    PaintMarks(dc, client, area);
}

PixelRect MiniWindow::PaintLabel(HDC dc, const RECT& clientRect) const {
    const bool wanted = context_.labels && context_.labelFont != nullptr;
    const MiniLabelLayout layout = LayOutMiniLabel(clientRect.right, clientRect.bottom,
                                                   wanted ? context_.labelLineHeight : 0,
                                                   wanted ? context_.dpi : kBaseDpi, ProductionRows());
    if (!layout.labelled) return layout.picture;
    const bool busy = session_->busy != 0;
    const RECT band = {0, 0, layout.band.width, layout.band.height};
    // A busy session's band takes the colours of an inactive caption.
    FillRect(dc, &band, GetSysColorBrush(busy ? COLOR_INACTIVECAPTION : COLOR_ACTIVECAPTION));
    // A production session's mark: rows of its colour along the foot of the caption band.
    PaintProductionMark(dc, layout.mark);
    ScopedSelectObject font(dc, context_.labelFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(busy ? COLOR_INACTIVECAPTIONTEXT : COLOR_CAPTIONTEXT));
    const MiniLabelText text = MiniLabelLines(session_->system, session_->client, session_->transaction, title_);
    const char* lines[2] = {text.first, text.second};
    for (int i = 0; i < 2; ++i) DrawFittedLine(dc, lines[i], layout.lines[i]);
    return layout.picture;
}

void MiniWindow::PaintContrastPicture(HDC dc, const PixelRect& area) const {
    const bool busy = session_->busy != 0;
    const RECT body = {area.x, area.y, area.x + area.width, area.y + area.height};
    FillRect(dc, &body, GetSysColorBrush(COLOR_WINDOW));
    const RECT bar = {body.left, body.top, body.right, body.top + std::max(2, area.height / 6)};
    FillRect(dc, &bar, GetSysColorBrush(busy ? COLOR_INACTIVECAPTION : COLOR_ACTIVECAPTION));
    FrameRect(dc, &body, GetSysColorBrush(busy ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
}

int MiniWindow::ProductionRows() const {
    return session_->production ? ScaleForDpi(kProductionBand, context_.dpi) : 0;
}

void MiniWindow::PaintProductionMark(HDC dc, const PixelRect& at) const {
    if (at.width <= 0 || at.height <= 0) return;
    const RECT mark = {at.x, at.y, at.x + at.width, at.y + at.height};
    ScopedBrush red(CreateSolidBrush(ProductionColour(context_.highContrast)));
    FillRect(dc, &mark, red.get());
}

void MiniWindow::PaintMarks(HDC dc, const RECT& clientRect, const PixelRect& picture) const {
    // The picture of a busy session is washed out (every colour at least mid-grey; not in high
    // contrast, which shows the busy state by the picture's colours). Only the picture: washed,
    // the band's caption text would stand grey on grey; the band shows the state by its
    // inactive caption colours already.
    if (session_->busy && !context_.highContrast) {
        ScopedSelectObject grey(dc, GetStockObject(GRAY_BRUSH));
        PatBlt(dc, picture.x, picture.y, picture.width, picture.height, kDestOrPattern);
    }
    // Without a caption band, the production mark runs along the top of the picture.
    if (picture.y == 0) {
        PaintProductionMark(dc, PixelRect{0, 0, clientRect.right, std::min<int>(ProductionRows(), clientRect.bottom)});
    }
    if (session_->busy) {
        PaintBusyMark(dc, clientRect);
    } else if (session_->ready) {
        PaintReadyMark(dc, clientRect);
    }
}

// The dot of a state mark in the top right corner, outlined in the window text colour and
// filled with `fillColour`; false (nothing drawn) when the window is too small for it. The
// caller has the DC's colour pen and brush selected.
bool MiniWindow::PaintMarkDot(HDC dc, const RECT& clientRect, int fillColour, RECT* dot) const {
    const int size = std::min<int>(ScaleForDpi(kLabelMarkSize, context_.dpi),
                                   std::min(clientRect.right, clientRect.bottom) - 2);
    if (size < 5) return false;
    *dot = RECT{clientRect.right - size - 1, 1, clientRect.right - 1, 1 + size};
    SetDCPenColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetDCBrushColor(dc, GetSysColor(fillColour));
    Ellipse(dc, dot->left, dot->top, dot->right, dot->bottom);
    return true;
}

// A session that answers again after a long busy spell: a tick on a dot in the selection's
// colours, where the busy clock stood, until the user brings the session up.
void MiniWindow::PaintReadyMark(HDC dc, const RECT& clientRect) const {
    ScopedSelectObject pen(dc, GetStockObject(DC_PEN));
    ScopedSelectObject brush(dc, GetStockObject(DC_BRUSH));
    RECT dot = {};
    if (!PaintMarkDot(dc, clientRect, COLOR_HIGHLIGHT, &dot)) return;
    const int size = dot.right - dot.left;
    SetDCPenColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    MoveToEx(dc, dot.left + 2, dot.top + size / 2, nullptr);
    LineTo(dc, dot.left + size / 2 - 1, dot.top + size - 3);
    LineTo(dc, dot.left + size - 2, dot.top + 2);
}

// A small clock face in the top right corner.
void MiniWindow::PaintBusyMark(HDC dc, const RECT& clientRect) const {
    ScopedSelectObject pen(dc, GetStockObject(DC_PEN));
    ScopedSelectObject brush(dc, GetStockObject(DC_BRUSH));
    RECT dot = {};
    if (!PaintMarkDot(dc, clientRect, COLOR_WINDOW, &dot)) return;
    const int size = dot.right - dot.left;
    const int left = dot.left;
    const int top = dot.top;
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
    HoverTip& tip = *context_.tip;
    if (context_.tipShown) {
        if (tip.LastHovered() == wnd) return false;
        tip.DestroyTip();
    }
    PixelPoint position;
    PixelPoint origin;
    if (!PlacementInPanel(wnd, panel_.ownWindow, &position, &origin)) return true;
    const PixelPoint at = button ? SessionButtonTipPosition(origin, position)
                                 : MiniWindowTipPosition(origin, position, width);
    tip.SetTarget(panel_.parentWindow);
    tip.RequestTip(at.x, at.y, title_);
    tip.SetLastHovered(wnd);
    context_.tipShown = 1;
    return true;
}

// Brings the session up as it is now: a maximised one stays maximised, one the user restored
// since the panel was last updated stays restored.
void MiniWindow::Raise() { RaiseSessionAsItIs(*context_.sessions->Current(), Window(), *context_.ops); }

void MiniWindow::EndDrag() { panel_.EndDrag(); }

void MiniWindow::StartDrag(HWND wnd, LPARAM lp) {
    MiniWindow* m = From(wnd);
    if (!m) return;
    ViewContext& context = m->context_;
    context.tip->DestroyTip();
    DebugOut("WM_LBUTTONDOWN\r\n");
    m->Raise();
    // Read again from the window: the raise runs no messages today, but if anything ever did,
    // an update inside it could have freed this mini window.
    m = From(wnd);
    if (!m) return;
    context.tipShown = 0;
    DragController::Drag drag;
    drag.grabX = LOWORD(lp);
    drag.grabY = HIWORD(lp);
    // The docked toolbar raises and captures like any view but must not move windows.
    drag.moves = context.kind != ViewKind::Docked;
    drag.mini = wnd;
    drag.repaint = m->panel_.parentWindow;
    drag.session = ToHwnd(m->Window());
    context.drag->Begin(drag);
    context.ops->BringToTop(m->Window());
    BringWindowToTop(wnd);
    m->panel_.NoteReordered();
    SetCapture(m->parentWindow);
}

LRESULT MiniWindow::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_PAINT: Paint(wnd); return 0;
        case WM_MOUSEMOVE: return RequestHoverTip(wnd, false) ? 0 : 1;
        case WM_LBUTTONDOWN: OnLeftButtonDown(wnd); break;
        case WM_LBUTTONUP: OnLeftButtonUp(wnd); break;
        case WM_RBUTTONDOWN: StartDrag(wnd, lp); break;
        case WM_RBUTTONUP:
        case WM_KILLFOCUS:
            EndDrag();
            context_.tip->DestroyTip();
            break;
        default: break;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void MiniWindow::OnLeftButtonDown(HWND wnd) {
    Raise();
    // Read again from the window: nothing above runs messages today, but the mini window must
    // not be used if something ever did and an update freed it.
    if (MiniWindow* m = From(wnd)) m->EndDrag();
    DebugOut("WM_RBUTTONDOWN\r\n");
}

void MiniWindow::OnLeftButtonUp(HWND wnd) {
    DebugOut("WM_RBUTTONUP\r\n");
    EndDrag();
    context_.tip->DestroyTip();
    BringWindowToTop(wnd);
    panel_.NoteReordered();
}

// ---- Session button ----------------------------------------------------------------------

LRESULT MiniWindow::OnButtonMessage(HWND button, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_MOUSEMOVE:
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
        if (m && m->button_ == button) m->button_ = nullptr;
        SetWindowLongPtrA(button, GWLP_USERDATA, 0);
        RemoveWindowSubclass(button, &ButtonProc, id);
        return DefSubclassProc(button, msg, wp, lp);
    }
    if (!m) return DefSubclassProc(button, msg, wp, lp);
    if (HoldUserActionWhileWaiting(button, msg, wp, lp)) return 0;
    return m->OnButtonMessage(button, msg, wp, lp);
}

}  // namespace quilvo
