#include "views/box_panel.h"

#include <algorithm>
#include <cinttypes>
#include <cstring>
#include <new>
#include <utility>

#include "commands/box_properties.h"
#include "commands/session_commands.h"
#include "base/int_range.h"
#include "base/text.h"
#include "base/debug_output.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "views/drag_controller.h"
#include "views/class_brush.h"
#include "views/geometry.h"
#include "views/hover_tip.h"
#include "views/mini_window.h"
#include "views/spoken_names.h"
#include "views/update_plan.h"

namespace quilvo {

namespace {

// From the window's top edge to its client area: what the user grabs to move it. A window
// without a caption gets the system's caption height all the same.
int CaptionHeight(HWND window, const RECT& windowRect) {
    POINT client = {0, 0};
    if (ClientToScreen(window, &client) && client.y > windowRect.top) return client.y - windowRect.top;
    return GetSystemMetrics(SM_CYCAPTION);
}

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

bool SameFilterTexts(const SessionRecord& a, const SessionRecord& b) {
    return std::memcmp(a.system, b.system, sizeof a.system) == 0 && std::memcmp(a.client, b.client, sizeof a.client) == 0 &&
           std::memcmp(a.user, b.user, sizeof a.user) == 0 &&
           std::memcmp(a.transaction, b.transaction, sizeof a.transaction) == 0;
}

}  // namespace

BoxPanel::BoxPanel(ViewContext& context, int box, Snapshot snapshot)
    : context_(context), box_(box), snapshot_(snapshot ? std::move(snapshot) : std::make_shared<const SessionSnapshot>()) {
    cascade = snapshot_->Filter(box_).cascade ? 1 : 0;
}

BoxPanel::~BoxPanel() {
    minis_.clear();
    Detach(ownWindow, this);
}

MiniWindow* BoxPanel::Mini(int i) const {
    return (i >= 0 && i < MiniCount()) ? minis_[static_cast<std::size_t>(i)].get() : nullptr;
}

HWND BoxPanel::Create(HWND view, const PixelRect& place, int step) {
    parentWindow = view;
    x = place.x;
    y = place.y;
    width = place.width;
    height = place.height;
    offsetY = 0;
    cascadeStep = step;
    ownWindow = CreateWindowExA(0, kBoxPanelClass, nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER, x, y, width, height,
                                parentWindow, nullptr, GetModuleHandleA(nullptr), this);
    if (ownWindow) SendMessageA(ownWindow, WM_QUILVO_RECOLOUR, 0, 0);
    shownFilter_ = snapshot_->Filter(box_);
    shownProduction_ = ProductionBox(*snapshot_);
    NameWindow();
    ComputeScale();
    Follow(snapshot_, false);
    return ownWindow;
}

bool BoxPanel::ProductionBox(const SessionSnapshot& snapshot) const {
    return IsBoxIndex(box_) && snapshot.productionBox[box_] != 0;
}

void BoxPanel::NameWindow() {
    if (!ownWindow) return;
    char name[kSpokenNameCapacity];
    BoxSpokenName(box_, snapshot_->Filter(box_), name, sizeof name);
    SetWindowTextA(ownWindow, name);
}

// The ratio between the virtual screen (every monitor; the desktop window's rectangle with
// one) and the panel, in each direction.
void BoxPanel::ComputeScale() {
    WINDOWPLACEMENT p = {};
    p.length = sizeof p;
    const bool have = ownWindow && GetWindowPlacement(ownWindow, &p);
    const RECT& d = context_.desktop;
    const RECT& pr = p.rcNormalPosition;
    horizontalScale = quilvo::ComputeScale(have, SpanOf(d.left, d.right), SpanOf(pr.left, pr.right));
    verticalScale = quilvo::ComputeScale(have, SpanOf(d.top, d.bottom), SpanOf(pr.top, pr.bottom));
}

PixelRect BoxPanel::MiniPlace(const SessionRecord& s) const {
    const PixelPoint origin{context_.desktop.left, context_.desktop.top};
    return MiniWindowRect(SessionPlace{s.x, s.y, s.width, s.height}, horizontalScale, verticalScale,
                          context_.zoomFactor, offsetX, offsetY, origin, ScaleForDpi(kMiniMinimumSize, context_.dpi));
}

bool BoxPanel::Update(const Snapshot& snapshot) {
    // Kept on the snapshot it shows: its mini windows point into it.
    if (skipNextUpdate) {
        skipNextUpdate = 0;
        return false;
    }
    if (ownWindow) SetWindowPos(ownWindow, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW);
    // The view has read the desk again: a monitor may have come or gone.
    ComputeScale();
    const Snapshot next = snapshot ? snapshot : snapshot_;
    const bool filterChanged = !SameFilterTexts(next->Filter(box_), shownFilter_) || ProductionBox(*next) != shownProduction_;
    const bool changed = Follow(next, false);
    if (filterChanged) {
        shownFilter_ = snapshot_->Filter(box_);
        shownProduction_ = ProductionBox(*snapshot_);
        InvalidateRect(ownWindow, nullptr, TRUE);
        NameWindow();
    }
    return changed;
}

bool BoxPanel::Follow(Snapshot nextSnapshot, bool redrawAll) {
    const SessionSnapshot& fresh = *nextSnapshot;
    const int count = fresh.MemberCount(box_);
    std::vector<std::unique_ptr<MiniWindow>> next;
    UpdatePlan plan;
    try {
        std::vector<ShownSession> shown;
        shown.reserve(minis_.size());
        for (const auto& m : minis_) {
            shown.push_back(m ? ShownSession{m->Window(), PixelRect{m->x, m->y, m->width, m->height}, &m->Session()}
                              : ShownSession{});
        }
        std::vector<ShownSession> coming;
        coming.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const SessionRecord& s = fresh.Member(box_, i);
            coming.push_back(ShownSession{s.window, MiniPlace(s), &s});
        }
        plan = PlanUpdate(shown, coming);
        next.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        // Out of memory: the sessions that left the box lose their windows (that needs no
        // memory); the others show what they showed, from the snapshot the panel holds, until
        // an update finds the memory.
        return DropSessionsNotIn(fresh);
    }
    // From here on nothing allocates that could fail part way; the mini windows point into
    // the new snapshot, which the panel holds from now on (the old one goes after them).
    const Snapshot before = std::exchange(snapshot_, nextSnapshot);
    for (int gone : plan.gone) minis_[static_cast<std::size_t>(gone)].reset();
    for (int i = 0; i < count; ++i) {
        const SessionRecord& s = fresh.Member(box_, i);
        const UpdatePlan::Step& step = plan.steps[static_cast<std::size_t>(i)];
        std::unique_ptr<MiniWindow>& m = next[static_cast<std::size_t>(i)];
        if (step.from >= 0) {
            m = std::move(minis_[static_cast<std::size_t>(step.from)]);
        } else {
            // Without memory for it, this session's mini window is simply missing.
            m.reset(new (std::nothrow) MiniWindow(context_, *this));
            if (!m) continue;
            DebugLine("[%" PRIxPTR "] created MiniWindow [%d] [%" PRIxPTR "]\n", Identity(this), i, Identity(m.get()));
        }
        m->Take(s, MiniPlace(s), step.redraws || redrawAll);
    }
    if (next.size() != minis_.size()) {
        if (!minis_.empty()) {
            DebugLine("[%" PRIxPTR "] freed Windows [%" PRIxPTR "]\n", Identity(this), Identity(minis_.data()));
        }
        DebugLine("[%" PRIxPTR "] calloced [%d] Windows [%" PRIxPTR "]\n", Identity(this), count, Identity(next.data()));
    }
    if (plan.Reordered()) restackDue_ = true;
    minis_ = std::move(next);
    ShowMiniWindows();
    ShowButtons();
    // Only the user's raise of a mini window or a change of the list can change the order:
    // a pass without either asks the window system nothing about it.
    if (restackDue_) Restack();
    restackDue_ = false;
    for (const UpdatePlan::Step& step : plan.steps) {
        if (step.from < 0) return true;
    }
    return !plan.gone.empty();
}

bool BoxPanel::DropSessionsNotIn(const SessionSnapshot& next) {
    bool dropped = false;
    const int count = next.MemberCount(box_);
    for (auto& m : minis_) {
        if (!m) continue;
        bool stays = false;
        for (int i = 0; i < count && !stays; ++i) stays = next.Member(box_, i).window == m->Window();
        if (!stays) {
            m.reset();
            dropped = true;
        }
    }
    return dropped;
}

void BoxPanel::ShowMiniWindows() {
    for (int i = 0; i < MiniCount(); ++i) {
        MiniWindow* m = Mini(i);
        if (!m) continue;
        PixelRect at{m->x, m->y, m->width, m->height};
        if (cascade) {
            const PixelPoint c = CascadePosition(m->x, m->y, i, horizontalScale, verticalScale, cascadeStep, offsetX, offsetY);
            at.x = c.x;
            at.y = c.y;
        }
        m->ShowAt(at);
    }
}

void BoxPanel::ShowButtons() {
    const ButtonRow row = SessionButtonRow(width, height, MiniCount(), context_.buttonRowDivisor);
    for (int i = MiniCount() - 1; i >= 0; --i) {
        if (MiniWindow* m = Mini(i)) m->ShowButtonAt(PixelRect{row.X(i), row.y, row.width, row.height});
    }
}

HWND BoxPanel::StackEntry(int k) const {
    // Mini windows 0 .. n-1 from the top, then buttons n-1 .. 0; missing ones count as none.
    const int n = MiniCount();
    if (k < n) return minis_[static_cast<std::size_t>(k)] ? minis_[static_cast<std::size_t>(k)]->ownWindow : nullptr;
    const MiniWindow* m = Mini(2 * n - 1 - k);
    return m ? m->Button() : nullptr;
}

void BoxPanel::Restack() {
    if (!ownWindow) return;
    const int entries = 2 * MiniCount();
    int k = 0;
    bool inOrder = true;
    for (HWND child = GetWindow(ownWindow, GW_CHILD); child != nullptr && inOrder; child = GetWindow(child, GW_HWNDNEXT)) {
        while (k < entries && StackEntry(k) == nullptr) ++k;
        if (k == entries) break;
        inOrder = child == StackEntry(k++);
    }
    while (k < entries && StackEntry(k) == nullptr) ++k;
    if (inOrder && k == entries) return;
    HWND after = HWND_TOP;
    for (int i = 0; i < entries; ++i) {
        HWND w = StackEntry(i);
        if (w == nullptr) continue;
        SetWindowPos(w, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = w;
    }
}

void BoxPanel::CascadeMiniWindows() {
    for (int i = 0; i < MiniCount(); ++i) {
        MiniWindow* m = Mini(i);
        if (!m) continue;
        const PixelPoint c =
            CascadePosition(m->x, m->y, i, horizontalScale, verticalScale, cascadeStep, offsetX, offsetY);
        SetWindowPos(m->ownWindow, HWND_BOTTOM, c.x, c.y, m->width, m->height, SWP_SHOWWINDOW);
        restackDue_ = true;
        MoveWindow(m->ownWindow, c.x, c.y, m->width, m->height, TRUE);
        m->NoteMovedTo(PixelRect{c.x, c.y, m->width, m->height});
    }
    UpdateWindow(ownWindow);
}

void BoxPanel::Relayout(const PixelRect& place) {
    x = place.x;
    y = place.y;
    width = place.width;
    height = place.height;
    skipNextUpdate = 0;
    if (ownWindow) SetWindowPos(ownWindow, HWND_TOP, x, y, width, height, SWP_SHOWWINDOW);
    ComputeScale();
    Follow(snapshot_, true);
}

void BoxPanel::Paint(HDC dc) {
    const SessionRecord& f = snapshot_->Filter(box_);
    const int dpi = context_.dpi;
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

    // In high contrast the pair the user's scheme makes for text on a window.
    const bool contrast = context_.highContrast;
    // A box of a production system: a thin band of the production colour along the top edge.
    if (ProductionBox(*snapshot_)) {
        const RECT band = {0, 0, r.right, std::min<LONG>(r.bottom, ScaleForDpi(kProductionPanelBand, dpi))};
        ScopedBrush red(CreateSolidBrush(ProductionColour(contrast)));
        FillRect(dc, &band, red.get());
    }
    SetTextColor(dc, GetSysColor(contrast ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
    SetBkColor(dc, GetSysColor(contrast ? COLOR_WINDOW : COLOR_BACKGROUND));
    for (int i = 0; i < 4; ++i) {
        if (lines[i].length > 0) TextOutA(dc, tx, PanelTextLineY(i, pf.height, dpi), lines[i].text, lines[i].length);
    }
}

void BoxPanel::EndDrag() {
    context_.drag->End();
    skipNextUpdate = 1;
}

void BoxPanel::OnDragMove(LPARAM lp) {
    const DragController::Drag& drag = context_.drag->Current();
    HWND mini = drag.mini;
    HWND session = drag.session;
    RECT mr = {};
    RECT sr = {};
    RECT c = {};
    GetWindowRect(mini, &mr);
    GetClientRect(ownWindow, &c);
    GetWindowRect(session, &sr);

    DragInput in;
    in.pointerX = static_cast<short>(LOWORD(lp));
    in.pointerY = static_cast<short>(HIWORD(lp));
    in.grabX = drag.grabX;
    in.grabY = drag.grabY;
    in.miniWidth = SpanOf(mr.left, mr.right);
    in.miniHeight = SpanOf(mr.top, mr.bottom);
    in.clientRight = c.right;
    in.clientBottom = c.bottom;
    in.horizontalScale = horizontalScale;
    in.verticalScale = verticalScale;
    in.desktopLeft = context_.desktop.left;
    in.desktopTop = context_.desktop.top;
    in.desktopRight = context_.desktop.right;
    in.desktopBottom = context_.desktop.bottom;
    in.offsetX = offsetX;
    in.offsetY = offsetY;
    in.monitors = &context_.monitors;
    in.sessionWidth = SpanOf(sr.left, sr.right);
    in.captionHeight = CaptionHeight(session, sr);
    const DragMove move = ComputeDragMove(in);
    if (!move.moves) return;
    // The session window belongs to another program: moved without waiting for it, so a
    // session that stopped answering cannot hold the drag (or the program) up.
    SetWindowPos(session, nullptr, move.session.x, move.session.y, SpanOf(sr.left, sr.right), SpanOf(sr.top, sr.bottom),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
    MoveWindow(mini, move.mini.x, move.mini.y, in.miniWidth, in.miniHeight, TRUE);
    // The next update puts the mini window where its session is then.
    if (MiniWindow* m = MiniWindow::From(mini)) m->NoteMovedTo(PixelRect{move.mini.x, move.mini.y, in.miniWidth, in.miniHeight});
    UpdateWindow(ownWindow);
}

void BoxPanel::OnLeftButtonDown() {
    context_.tip->DestroyTip();
    DebugOut("XBOXED: WM_LBUTTONDOWN\r\n");
    EndDrag();
    SwitchToBox(*context_.sessions->Current(), box_, *context_.ops);
}

void BoxPanel::ContextMenu(HWND wnd) {
    const PopupMenu menu(IDM_BOXPANEL);
    if (HMENU popup = menu.popup) {
        if (context_.kind == ViewKind::Single) SetItemState(popup, ID_BOX_PROPERTIES, MFS_GRAYED);
        SetItemState(popup, ID_BOX_CASCADE, cascade ? MFS_CHECKED : MFS_UNCHECKED);
        SetItemState(popup, ZoomCommand(context_.zoomFactor), MFS_CHECKED);
        // A popup menu only closes on a click outside it when its owner is the foreground window.
        SetForegroundWindow(wnd);
        const int command = static_cast<int>(menu.TrackAtPointer(wnd));
        // The menu runs its own message loop: act only if the window still names this panel.
        if (From(wnd) == this) OnMenuCommand(command);
    }
}

void BoxPanel::OnMenuCommand(int command) {
    // The zoom factor is the view's; the mini windows take it at the next update pass.
    const auto zoom = [this](int factor) {
        context_.zoomFactor = static_cast<std::int16_t>(factor);
        ComputeScale();
    };
    switch (command) {
        case ID_BOX_PROPERTIES:
            if (context_.properties != nullptr && IsBoxIndex(box_)) context_.properties->Open(ownWindow, box_);
            break;
        case ID_BOX_QUIT:
            ShowAllSessions(*context_.sessions->Current(), kShowRestore, *context_.ops);
            PostQuitMessage(1);
            break;
        case ID_BOX_CASCADE:
            cascade = cascade ? 0 : 1;
            if (cascade) CascadeMiniWindows();
            // The all-sessions panel belongs to no box: its toggle lasts for the run and is
            // not stored, so no box section is written on its behalf.
            if (IsBoxIndex(box_)) WriteBoxInt(box_, kKeyCascade, cascade);
            break;
        case ID_BOX_ZOOM2: zoom(2); break;
        case ID_BOX_ZOOM3: zoom(3); break;
        case ID_BOX_ZOOM4: zoom(4); break;
        case ID_BOX_ZOOM5: zoom(5); break;
        default: break;  // Tile Windows (grayed) or the menu was dismissed
    }
}

LRESULT BoxPanel::OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        // The panels' class takes the desktop colour (the brush belongs to the whole class), in
        // high contrast the window colour its texts are written on.
        case WM_QUILVO_RECOLOUR:
            ReplaceClassBackground(wnd, GetSysColor(context_.highContrast ? COLOR_WINDOW : COLOR_BACKGROUND));
            break;
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
            EndDrag();
            context_.tip->DestroyTip();
            break;
        case WM_RBUTTONDOWN: OnRightButtonDown(wnd); return 0;
        default: break;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

void BoxPanel::OnSessionButton(HWND control) {
    for (int i = 0; control != nullptr && i < MiniCount(); ++i) {
        const MiniWindow* m = Mini(i);
        if (m && m->Button() == control) {
            // Brought up as it is now: a maximised session stays maximised, one the user
            // restored since the panel was last updated stays restored.
            RaiseSessionAsItIs(*context_.sessions->Current(), m->Window(), *context_.ops);
            return;
        }
    }
}

void BoxPanel::OnMouseMove(WPARAM wp, LPARAM lp) {
    context_.tip->CancelTipRequest();
    if (!context_.drag->DragInProgress()) return;
    // The drag is made with a button held; a move without one means its release went
    // elsewhere, and the drag is over.
    if ((wp & (MK_LBUTTON | MK_RBUTTON)) == 0) {
        EndDrag();
    } else {
        OnDragMove(lp);
    }
}

// The mouse capture went elsewhere (a dialog popped up, the user switched away): without it
// the drag can never see its end, so it ends here.
void BoxPanel::OnCaptureLost(HWND wnd) {
    HWND mini = context_.drag->Current().mini;
    if (mini != nullptr && GetParent(mini) == wnd) EndDrag();
}

void BoxPanel::OnRightButtonDown(HWND wnd) {
    EndDrag();
    context_.tip->DestroyTip();
    ContextMenu(wnd);
    // The menu ran a message loop of its own: paint only if the window still names this panel.
    if (From(wnd) == this) {
        ScopedPaint paint(wnd);
        Paint(paint.dc());
    }
}

}  // namespace quilvo
