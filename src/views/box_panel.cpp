#include "views/box_panel.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <new>

#include "commands/box_properties.h"
#include "commands/session_commands.h"
#include "core/drag_state.h"
#include "base/int_range.h"
#include "base/text.h"
#include "base/debug_output.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "views/boxed_view.h"
#include "views/class_brush.h"
#include "views/geometry.h"
#include "views/hover_tip.h"
#include "views/mini_window.h"

namespace quilvo {

namespace {

constexpr int kDefaultButtonRowDivisor = 7;

void SetItemState(HMENU menu, UINT command, UINT state) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STATE;
    info.fState = state;
    SetMenuItemInfoA(menu, command, FALSE, &info);
}

UINT ZoomCommand(int zoom) {
    switch (zoom) {
        case 2: return ID_BOX_ZOOM2;
        case 3: return ID_BOX_ZOOM3;
        case 4: return ID_BOX_ZOOM4;
        default: return ID_BOX_ZOOM5;
    }
}

bool IsBoxIndex(int index) { return index >= 0 && index < kBoxCount; }

}  // namespace

BoxPanel::BoxPanel(BoxList* list) {
    boxList = list;
    miniCount = list ? std::max(list->count, 0) : 0;
    miniList.reset(new (std::nothrow) std::unique_ptr<MiniWindow>[static_cast<std::size_t>(miniCount)]());
    if (!miniList) miniCount = 0;
    cascade = (list && list->filter.cascade) ? 1 : 0;
}

BoxPanel::~BoxPanel() {
    DestroyMiniWindows();
    Detach(ownWindow, this);
}

HWND BoxPanel::Create() {
    ownWindow = CreateWindowExA(0, kBoxPanelClass, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, x, y, width, height,
                                parentWindow, nullptr, GetModuleHandleA(nullptr), this);
    if (ownWindow) SendMessageA(ownWindow, WM_QUILVO_RECOLOUR, 0, 0);
    ComputeScale();
    CreateMiniWindows();
    return ownWindow;
}

// The ratio between the virtual screen (every monitor; the desktop window's rectangle with
// one) and the panel, in each direction.
void BoxPanel::ComputeScale() {
    WINDOWPLACEMENT p = {};
    p.length = sizeof p;
    const bool have = view != nullptr && ownWindow && GetWindowPlacement(ownWindow, &p);
    const RECT d = view != nullptr ? view->desktopRect : RECT{};
    const RECT& pr = p.rcNormalPosition;
    horizontalScale = quilvo::ComputeScale(have, SpanOf(d.left, d.right), SpanOf(pr.left, pr.right));
    verticalScale = quilvo::ComputeScale(have, SpanOf(d.top, d.bottom), SpanOf(pr.top, pr.bottom));
}

void BoxPanel::CreateMiniWindows() {
    if (!boxList) return;
    const int n = std::min(boxList->count, miniCount);
    const int zoom = view ? view->zoomFactor : 1;
    const PixelPoint origin = view ? view->DesktopOrigin() : PixelPoint{};
    const int minimumSize = ScaleForDpi(kMiniMinimumSize, view ? view->dpi : kBaseDpi);
    for (int i = 0; i < n; ++i) {
        const SessionRecord& s = boxList->items[i];
        // Without memory for it, this session's mini window is simply missing.
        miniList[i].reset(new (std::nothrow) MiniWindow());
        MiniWindow* m = miniList[i].get();
        if (!m) continue;
        DebugLine("[%" PRIxPTR "] created MiniWindow [%d] [%" PRIxPTR "]\n", Identity(this), i, Identity(m));
        m->parentWindow = ownWindow;
        m->sessionWindow = ToHwnd(s.window);
        const PixelRect r = MiniWindowRect(SessionPlace{s.x, s.y, s.width, s.height}, horizontalScale, verticalScale,
                                           zoom, offsetX, offsetY, origin, minimumSize);
        m->width = r.width;
        m->height = r.height;
        m->x = r.x;
        m->y = r.y;
        m->TakeSession(s);
        m->owningPanel = this;
        m->Create();
    }
    if (cascade) CascadeMiniWindows();
}

void BoxPanel::CascadeMiniWindows() {
    for (int i = 0; i < miniCount; ++i) {
        MiniWindow* m = Mini(i);
        if (!m) continue;
        const PixelPoint c =
            CascadePosition(m->x, m->y, i, horizontalScale, verticalScale, cascadeStep, offsetX, offsetY);
        SetWindowPos(m->ownWindow, HWND_BOTTOM, c.x, c.y, m->width, m->height, SWP_SHOWWINDOW);
        MoveWindow(m->ownWindow, c.x, c.y, m->width, m->height, TRUE);
    }
    UpdateWindow(ownWindow);
}

void BoxPanel::DestroyMiniWindows() {
    for (int i = 0; i < miniCount; ++i) {
        MiniWindow* m = Mini(i);
        if (!m) continue;
        if (m->buttonWindow) DestroyWindow(m->buttonWindow);
        miniList[i].reset();
    }
}

void BoxPanel::CreateButtons(int divisor) {
    const ButtonRow row = SessionButtonRow(width, height, miniCount, divisor);
    for (int i = miniCount - 1; i >= 0; --i) {
        MiniWindow* m = Mini(i);
        if (!m) continue;
        HWND b = CreateWindowExA(0, "BUTTON", "...", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, row.X(i), row.y,
                                 row.width, row.height, ownWindow, nullptr, GetModuleHandleA(nullptr), nullptr);
        m->buttonWindow = b;
        if (!b) continue;
        m->AttachButton(b);
        if (std::strstr(m->title, "Debugger")) SetWindowTextA(b, "-");
    }
}

void BoxPanel::Update() {
    if (skipNextUpdate) {
        skipNextUpdate = 0;
        return;
    }
    DestroyMiniWindows();
    const int count = boxList ? std::max(boxList->count, 0) : 0;
    if (miniCount != count) {
        // The new list exists before the old one goes. Without memory for it the panel keeps
        // the old one (all its entries empty now) with its count, and shows as many of the
        // box's sessions as that has room for until an update finds the memory.
        std::unique_ptr<std::unique_ptr<MiniWindow>[]> fresh(new (std::nothrow)
                                                                 std::unique_ptr<MiniWindow>[static_cast<std::size_t>(count)]());
        if (fresh) {
            if (miniList) {
                const void* old = miniList.get();
                miniList.reset();
                DebugLine("[%" PRIxPTR "] freed Windows [%" PRIxPTR "]\n", Identity(this), Identity(old));
            }
            miniList = std::move(fresh);
            DebugLine("[%" PRIxPTR "] calloced [%d] Windows [%" PRIxPTR "]\n", Identity(this), count,
                      Identity(miniList.get()));
            miniCount = count;
        }
    }
    if (ownWindow) SetWindowPos(ownWindow, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW);
    // The view has read the desk again: a monitor may have come or gone.
    ComputeScale();
    CreateMiniWindows();
    CreateButtons(view ? view->ButtonRowDivisor() : kDefaultButtonRowDivisor);
}

void BoxPanel::Relayout(const PixelRect& place) {
    x = place.x;
    y = place.y;
    width = place.width;
    height = place.height;
    skipNextUpdate = 0;
    Update();
}

void BoxPanel::Paint(HDC dc) {
    if (!boxList) return;
    const SessionRecord& f = boxList->filter;
    const int dpi = view ? view->dpi : kBaseDpi;
    const PanelFont pf = PanelTextFont(height, dpi);
    RECT r = {};
    GetClientRect(ownWindow, &r);

    const auto len = [](const char* text, std::size_t capacity) {
        return static_cast<int>(BoundedLength(text, capacity));
    };
    const struct { const char* text; int length; } lines[] = {
        {f.user, len(f.user, sizeof f.user)},
        {f.client, len(f.client, sizeof f.client)},
        {f.system, len(f.system, sizeof f.system)},
        {f.transaction, len(f.transaction, sizeof f.transaction)},
    };
    const AlignBy alignBy = PanelTextAlignment(f.system, f.client, f.user);
    const auto& align = lines[alignBy == AlignBy::User ? 0 : (alignBy == AlignBy::Client ? 1 : 2)];

    const ScopedFont font = CreateTextFont(pf.height, pf.width);
    ScopedSelectObject selected(dc, font.get());
    SIZE extent = {};
    GetTextExtentPoint32A(dc, align.text, align.length, &extent);
    const int tx = PanelTextX(r.right, extent.cx, dpi);

    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BACKGROUND));
    for (int i = 0; i < 4; ++i) {
        if (lines[i].length > 0) TextOutA(dc, tx, PanelTextLineY(i, pf.height, dpi), lines[i].text, lines[i].length);
    }
}

void BoxPanel::EndDrag(BoxPanel* panel) {
    // The record is cleared before the capture goes, so the WM_CAPTURECHANGED that releasing
    // it sends finds no drag left to end.
    const WindowHandle repaintWindow = g_dragState.repaintWindow;
    g_dragState.dragFlag = 0;
    g_dragState.draggedMini = kNoWindow;
    g_dragState.draggedSession = kNoWindow;
    g_dragState.repaintWindow = kNoWindow;
    ReleaseCapture();
    if (repaintWindow != kNoWindow) {
        HWND repaint = ToHwnd(repaintWindow);
        RECT r = {};
        GetClientRect(repaint, &r);
        InvalidateRect(repaint, &r, TRUE);
    }
    if (panel) panel->skipNextUpdate = 1;
}

void BoxPanel::OnDragMove(LPARAM lp) {
    if (!view) return;
    HWND mini = ToHwnd(g_dragState.draggedMini);
    HWND session = ToHwnd(g_dragState.draggedSession);
    RECT mr = {};
    RECT sr = {};
    RECT c = {};
    GetWindowRect(mini, &mr);
    GetClientRect(ownWindow, &c);
    GetWindowRect(session, &sr);

    DragInput in;
    in.pointerX = static_cast<short>(LOWORD(lp));
    in.pointerY = static_cast<short>(HIWORD(lp));
    in.grabX = g_dragState.grabX;
    in.grabY = g_dragState.grabY;
    in.miniWidth = SpanOf(mr.left, mr.right);
    in.miniHeight = SpanOf(mr.top, mr.bottom);
    in.clientRight = c.right;
    in.clientBottom = c.bottom;
    in.horizontalScale = horizontalScale;
    in.verticalScale = verticalScale;
    in.desktopLeft = view->desktopRect.left;
    in.desktopTop = view->desktopRect.top;
    in.desktopRight = view->desktopRect.right;
    in.desktopBottom = view->desktopRect.bottom;
    in.offsetX = offsetX;
    in.offsetY = offsetY;
    const DragMove move = ComputeDragMove(in);
    if (!move.moves) return;
    // The session window belongs to another program: moved without waiting for it, so a
    // session that stopped answering cannot hold the drag (or the program) up.
    SetWindowPos(session, nullptr, move.session.x, move.session.y, SpanOf(sr.left, sr.right), SpanOf(sr.top, sr.bottom),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    MoveWindow(mini, move.mini.x, move.mini.y, in.miniWidth, in.miniHeight, TRUE);
    UpdateWindow(ownWindow);
}

void BoxPanel::OnLeftButtonDown() {
    TheHoverTip().DestroyTip();
    DebugOut("XBOXED: WM_LBUTTONDOWN\r\n");
    EndDrag(this);
    SwitchToBox(view ? view->Sessions() : nullptr, boxList, OpsOf(view));
}

void BoxPanel::ContextMenu(HWND wnd) {
    const PopupMenu menu(IDM_BOXPANEL);
    if (HMENU popup = menu.popup) {
        if (view && std::strcmp(view->sectionName, "BoxedViewSingle") == 0) {
            SetItemState(popup, ID_BOX_PROPERTIES, MFS_GRAYED);
        }
        SetItemState(popup, ID_BOX_CASCADE, cascade ? MFS_CHECKED : MFS_UNCHECKED);
        if (view) SetItemState(popup, ZoomCommand(view->zoomFactor), MFS_CHECKED);
        // A popup menu only closes on a click outside it when its owner is the foreground window.
        SetForegroundWindow(wnd);
        const int command = static_cast<int>(menu.TrackAtPointer(wnd));
        // The menu runs its own message loop: act only if the window still names this panel.
        if (From(wnd) == this) OnMenuCommand(command);
    }
}

void BoxPanel::OnMenuCommand(int command) {
    switch (command) {
        case ID_BOX_PROPERTIES:
            if (BoxPropertiesDialogs* dialogs = view ? view->PropertiesDialogs() : nullptr;
                dialogs != nullptr && boxList && IsBoxIndex(boxList->boxIndex)) {
                dialogs->Open(ownWindow, boxList->boxIndex);
            }
            break;
        case ID_BOX_QUIT:
            if (view && view->Sessions()) ShowAllSessions(*view->Sessions(), kShowRestore, OpsOf(view));
            PostQuitMessage(1);
            break;
        case ID_BOX_CASCADE:
            cascade = cascade ? 0 : 1;
            if (cascade) CascadeMiniWindows();
            // The all-sessions panel belongs to no box: its toggle lasts for the run and is
            // not stored, so no box section is written on its behalf.
            if (boxList && IsBoxIndex(boxList->boxIndex)) WriteBoxInt(boxList->boxIndex, kKeyCascade, cascade);
            break;
        case ID_BOX_ZOOM2: if (view) view->SetZoom(2); break;
        case ID_BOX_ZOOM3: if (view) view->SetZoom(3); break;
        case ID_BOX_ZOOM4: if (view) view->SetZoom(4); break;
        case ID_BOX_ZOOM5: if (view) view->SetZoom(5); break;
        default: break;  // Tile Windows (grayed) or the menu was dismissed
    }
}

LRESULT BoxPanel::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        // The panels' class takes the desktop colour (the brush belongs to the whole class).
        case WM_QUILVO_RECOLOUR: ReplaceClassBackground(wnd, GetSysColor(COLOR_BACKGROUND)); break;
        case WM_COMMAND: OnSessionButton(reinterpret_cast<HWND>(lp)); break;
        case WM_MOUSEMOVE: OnMouseMove(wp, lp); return 0;
        case WM_CAPTURECHANGED:
        case WM_CANCELMODE: OnCaptureLost(wnd); break;
        case WM_PAINT: {
            ScopedPaint paint(wnd);
            Paint(paint.dc());
            return 0;
        }
        case WM_LBUTTONDOWN: OnLeftButtonDown(); break;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
            EndDrag(this);
            TheHoverTip().DestroyTip();
            break;
        case WM_RBUTTONDOWN: OnRightButtonDown(wnd); return 0;
        default: break;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void BoxPanel::OnSessionButton(HWND control) {
    for (int i = 0; control != nullptr && i < miniCount; ++i) {
        const MiniWindow* m = Mini(i);
        if (m && m->buttonWindow == control) {
            RaiseSession(FromHwnd(m->sessionWindow), false, OpsOf(m->View()));
            return;
        }
    }
}

void BoxPanel::OnMouseMove(WPARAM wp, LPARAM lp) {
    TheHoverTip().CancelTipRequest();
    if (!g_dragState.dragFlag) return;
    // The drag is made with a button held; a move without one means its release went
    // elsewhere, and the drag is over.
    if ((wp & (MK_LBUTTON | MK_RBUTTON)) == 0) {
        EndDrag(this);
    } else {
        OnDragMove(lp);
    }
}

// The mouse capture went elsewhere (a dialog popped up, the user switched away): without it
// the drag can never see its end, so it ends here.
void BoxPanel::OnCaptureLost(HWND wnd) {
    if (g_dragState.draggedMini != kNoWindow && GetParent(ToHwnd(g_dragState.draggedMini)) == wnd) EndDrag(this);
}

void BoxPanel::OnRightButtonDown(HWND wnd) {
    EndDrag(this);
    TheHoverTip().DestroyTip();
    ContextMenu(wnd);
    // The menu ran a message loop of its own: paint only if the window still names this panel.
    if (From(wnd) == this) {
        ScopedPaint paint(wnd);
        Paint(paint.dc());
    }
}

}  // namespace quilvo
