#include "views/boxed_view.h"

#include <algorithm>
#include <cinttypes>

#include "base/text.h"
#include "base/debug_output.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "platform/display.h"
#include "views/box_panel.h"
#include "views/class_brush.h"
#include "views/hover_tip.h"
#include "views/mini_label.h"

namespace quilvo {

namespace {

constexpr const char* kStandAloneCaption = "Quilvo";
constexpr int kPanelCascadeStep = 5;

}  // namespace

namespace {

// Operations for a view the program gave none: the clicks act on no window.
class NoSessionOps final : public SessionWindowOps {
public:
    void ShowAsync(WindowHandle, int) override {}
    void OpenIcon(WindowHandle) override {}
    void BringUp(WindowHandle) override {}
    void BringToTop(WindowHandle) override {}
    void SendClose(WindowHandle) override {}
    void Activate(WindowHandle) override {}
};

}  // namespace

BoxedView::BoxedView(ViewKind kind, HWND parent, const Snapshot& snapshot, int count, const ViewServices& services)
    : monitors_(services.monitors), highContrast_(services.highContrast) {
    if (services.drag == nullptr) ownDrag_ = std::make_unique<DragController>();
    if (services.ops == nullptr) noOps_ = std::make_unique<NoSessionOps>();
    context_.kind = kind;
    context_.sessions = services.sessions != nullptr ? services.sessions : &noSessions_;
    context_.ops = services.ops != nullptr ? services.ops : noOps_.get();
    context_.properties = services.properties;
    context_.tip = services.tip != nullptr ? services.tip : &TheHoverTip();
    context_.drag = services.drag != nullptr ? services.drag : ownDrag_.get();
    ReadDesktop();
    parentWindow = parent;
    boxCount = static_cast<std::int16_t>(std::max(count, 0));
    panels_ = std::make_unique<std::unique_ptr<BoxPanel>[]>(static_cast<std::size_t>(boxCount));
    for (int i = 0; i < boxCount; ++i) {
        panels_[i] = std::make_unique<BoxPanel>(context_, kind == ViewKind::Single ? kAllSessions : i, snapshot);
    }
    SetSection("BoxedView");
}

BoxedView::~BoxedView() {
    for (int i = 0; i < boxCount; ++i) {
        if (!panels_ || !panels_[i]) continue;
        DebugLine("[%" PRIxPTR "] deleted Box [%d] [%" PRIxPTR "]\n", Identity(this), i, Identity(panels_[i].get()));
        panels_[i].reset();
    }
    if (panels_) {
        DebugLine("[%" PRIxPTR "] freed Boxes  [%" PRIxPTR "]\n", Identity(this), Identity(panels_.get()));
        panels_.reset();
    }
    SaveGeometry();
}

void BoxedView::SetSection(const char* name) { CopyCut(sectionName, name); }

void BoxedView::ReadDesktop() {
    context_.monitors = (monitors_ ? *monitors_ : PlatformMonitors()).Monitors();
    const NormalRect v = VirtualScreen(context_.monitors);
    context_.desktop = RECT{v.left, v.top, v.right, v.bottom};
}

void BoxedView::ReadLabelsAndDpi(const ViewSection& stored) {
    context_.labels = stored.labels != 0;
    context_.dpi = WindowDpi(ownWindow);
    MakeFonts();
    ReadHighContrast();
}

void BoxedView::ReadHighContrast() {
    context_.highContrast = highContrast_ != nullptr ? highContrast_() : HighContrastOn();
    if (context_.highContrast && ownWindow) {
        SendMessageA(ownWindow, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    }
}

void BoxedView::OnSystemColoursChanged() {
    const bool wasOn = context_.highContrast;
    ReadHighContrast();
    // Back from high contrast: focus rectangles hide again until a key is pressed, as usual.
    if (wasOn && !context_.highContrast) {
        SendMessageA(ownWindow, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    }
    // The panels' class brush follows the new state; every window draws again.
    if (BoxPanel* panel = Panel(0)) SendMessageA(panel->ownWindow, WM_QUILVO_RECOLOUR, 0, 0);
    RedrawWindow(ownWindow, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_FRAME);
}

void BoxedView::MakeFonts() {
    labelFont_ = context_.labels ? CreateMessageFont(context_.dpi, kLabelPoints) : ScopedFont();
    context_.labelFont = labelFont_.get();
    context_.labelLineHeight = 0;
    if (!labelFont_) return;
    ScopedGetDC screen(nullptr);
    ScopedSelectObject selected(screen.get(), labelFont_.get());
    TEXTMETRICA metrics = {};
    if (GetTextMetricsA(screen.get(), &metrics)) context_.labelLineHeight = metrics.tmHeight;
}

void BoxedView::LoadGeometry() {
    const ViewSection stored = ReadViewSection(sectionName);
    context_.zoomFactor = static_cast<std::int16_t>(stored.zoomFactor);
    visible = stored.visible != 0 ? 1 : 0;
    // Not left of or above the virtual screen (with one monitor: not negative).
    const int x = std::max<int>(stored.x, std::min<LONG>(context_.desktop.left, 0));
    const int y = std::max<int>(stored.y, std::min<LONG>(context_.desktop.top, 0));
    const int storedW = stored.width;
    const int storedH = stored.height;
    // A stored size is physical pixels, kept as stored wherever the window goes; the default
    // size is for the DPI of the monitor the window goes to, so the window goes there first.
    placing_ = true;
    if (storedW <= 0 || storedH <= 0) {
        SetWindowPos(ownWindow, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int windowDpi = WindowDpi(ownWindow);
    const int w = storedW > 0 ? storedW : ScaleForDpi(defaultWidth, windowDpi);
    const int h = storedH > 0 ? storedH : ScaleForDpi(defaultHeight, windowDpi);
    SetWindowPos(ownWindow, HWND_TOPMOST, x, y, w, h, SWP_SHOWWINDOW);
    placing_ = false;
    ReadLabelsAndDpi(stored);
    if (!visible) Hide();
}

void BoxedView::OnDpiChanged(int newDpi, LPARAM suggested) {
    if (placing_) return;
    TakeSuggestedRect(ownWindow, suggested);
    context_.dpi = newDpi > 0 ? newDpi : WindowDpi(ownWindow);
    MakeFonts();
    ReadClientRect();
    const std::vector<PixelRect> places = PanelPlaces();
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (BoxPanel* panel = Panel(static_cast<int>(i))) panel->Relayout(places[i]);
    }
    InvalidateRect(ownWindow, nullptr, TRUE);
}

void BoxedView::ReadClientRect() {
    GetClientRect(ownWindow, &clientRect);
    width = clientRect.right;
    height = clientRect.bottom;
}

void BoxedView::CreatePanels() {
    ReadClientRect();
    const std::vector<PixelRect> places = PanelPlaces();
    for (std::size_t i = 0; i < places.size(); ++i) {
        if (BoxPanel* panel = Panel(static_cast<int>(i))) panel->Create(ownWindow, places[i], kPanelCascadeStep);
    }
    SendMessageA(ownWindow, WM_QUILVO_RECOLOUR, 0, 0);
}

void BoxedView::UpdatePanels(const Snapshot& snapshot) {
    ReadClientRect();
    // A monitor plugged in or taken away since: the panels map the desk as it is now.
    ReadDesktop();
    // Each panel moves, redraws, makes and destroys only what changed, so the view itself is
    // not invalidated: nothing flickers, and a pass with no change costs next to nothing.
    for (int i = 0; i < boxCount; ++i) {
        if (BoxPanel* panel = Panel(i)) panel->Update(snapshot);
    }
    SendMessageA(ownWindow, WM_QUILVO_RECOLOUR, 0, 0);
}

void BoxedView::SetZoom(int zoom) {
    context_.zoomFactor = static_cast<std::int16_t>(zoom);
    for (int i = 0; i < boxCount; ++i) {
        if (BoxPanel* panel = Panel(i)) panel->ComputeScale();
    }
}

void BoxedView::ForgetSkippedUpdates() {
    for (int i = 0; i < boxCount; ++i) {
        if (BoxPanel* panel = Panel(i)) panel->skipNextUpdate = 0;
    }
}

void BoxedView::Show() {
    visible = 1;
    ShowWindowAsync(ownWindow, SW_SHOWNORMAL);
}

void BoxedView::SaveGeometry() {
    // A view whose window was never made has nothing of its own to remember.
    if (!ownWindow) return;
    RECT r = {};
    const bool haveRect = GetWindowRect(ownWindow, &r) != FALSE;
    // A minimised window's rectangle is its icon's: keep the stored place and size.
    const ViewPlace place{r.left, r.top, r.right - r.left, r.bottom - r.top};
    WriteViewSection(sectionName, visible != 0, context_.zoomFactor,
                     haveRect && !IsIconic(ownWindow) ? &place : nullptr);
}

// ---- Variants ----------------------------------------------------------------------------

BoxedViewToolWindow::BoxedViewToolWindow(HWND mainWindow, const Snapshot& snapshot, int count,
                                         const ViewServices& services)
    : BoxedView(ViewKind::ToolWindow, nullptr, snapshot, count, services) {
    ownWindow = mainWindow;
    SetSection("BoxedViewToolWindow");
}

BoxedViewToolWindow2::BoxedViewToolWindow2(ViewKind kind, const Snapshot& snapshot, int count, int width, int height,
                                           const ViewServices& services)
    : BoxedView(kind, nullptr, snapshot, count, services) {
    defaultWidth = width;
    defaultHeight = height;
    Context().zoomFactor = 3;
    window_.shownView = this;
    ownWindow = CreateWindowExA(0, kQuilvoWinClass, kStandAloneCaption,
                                WS_VISIBLE | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, width, height,
                                nullptr, nullptr, GetModuleHandleA(nullptr), &window_);
    SetSection("BoxedViewToolWindow2");
}

BoxedViewSingle::BoxedViewSingle(const Snapshot& snapshot, int width, int height, const ViewServices& services)
    : BoxedViewToolWindow2(ViewKind::Single, snapshot, 1, width, height, services) {
    Context().zoomFactor = 4;
    SetSection("BoxedViewSingle");
}

}  // namespace quilvo
