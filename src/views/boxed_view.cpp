#include "views/boxed_view.h"

#include <algorithm>
#include <cinttypes>

#include "base/text.h"
#include "base/debug_output.h"
#include "settings/profile.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"
#include "settings/settings.h"
#include "platform/display.h"
#include "views/box_panel.h"
#include "views/class_brush.h"
#include "views/mini_label.h"

namespace quilvo {

namespace {

constexpr const char* kStandAloneCaption = "Quilvo";
constexpr int kPanelCascadeStep = 5;

int ReadInt(const char* section, const char* key, int defaultValue) {
    return static_cast<int>(ProfileReadInt(section, key, defaultValue, kSettingsFile));
}

}  // namespace

BoxedView::BoxedView(HWND parent, BoxList* const* lists, int count, const ViewServices& services)
    : services_(services) {
    ReadDesktop();
    parentWindow = parent;
    boxCount = static_cast<std::int16_t>(std::max(count, 0));
    panels_ = std::make_unique<std::unique_ptr<BoxPanel>[]>(static_cast<std::size_t>(boxCount));
    for (int i = 0; i < boxCount; ++i) panels_[i] = std::make_unique<BoxPanel>(lists ? lists[i] : nullptr);
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
    const NormalRect v = VirtualScreen((services_.monitors ? *services_.monitors : PlatformMonitors()).Monitors());
    desktopRect = RECT{v.left, v.top, v.right, v.bottom};
}

void BoxedView::ReadLabelsAndDpi() {
    labels = ReadInt(sectionName, kKeyLabels, 1) != 0;
    dpi = WindowDpi(ownWindow);
    MakeFonts();
}

void BoxedView::MakeFonts() {
    labelFont_ = labels ? CreateMessageFont(dpi, kLabelPoints) : ScopedFont();
    labelLineHeight_ = 0;
    if (!labelFont_) return;
    ScopedGetDC screen(nullptr);
    ScopedSelectObject selected(screen.get(), labelFont_.get());
    TEXTMETRICA metrics = {};
    if (GetTextMetricsA(screen.get(), &metrics)) labelLineHeight_ = metrics.tmHeight;
}

void BoxedView::LoadGeometry() {
    const char* section = sectionName;
    zoomFactor = static_cast<std::int16_t>(ReadInt(section, kKeyZoomFactor, 2));
    visible = ReadInt(section, kKeyVisible, 1) != 0 ? 1 : 0;
    // Not left of or above the virtual screen (with one monitor: not negative).
    const int x = std::max<int>(ReadInt(section, kKeyWindowX, 0), std::min<LONG>(desktopRect.left, 0));
    const int y = std::max<int>(ReadInt(section, kKeyWindowY, 0), std::min<LONG>(desktopRect.top, 0));
    const int storedW = ReadInt(section, kKeyWidth, 0);
    const int storedH = ReadInt(section, kKeyHeight, 0);
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
    ReadLabelsAndDpi();
    if (!visible) Hide();
}

void BoxedView::OnDpiChanged(int newDpi, LPARAM suggested) {
    if (placing_) return;
    TakeSuggestedRect(ownWindow, suggested);
    dpi = newDpi > 0 ? newDpi : WindowDpi(ownWindow);
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
        BoxPanel* panel = Panel(static_cast<int>(i));
        if (!panel) continue;
        const PixelRect& p = places[i];
        panel->parentWindow = ownWindow;
        panel->width = p.width;
        panel->height = p.height;
        panel->x = p.x;
        panel->y = p.y;
        panel->offsetY = 0;
        panel->cascadeStep = kPanelCascadeStep;
        panel->view = this;
        panel->Create();
        panel->CreateButtons(ButtonRowDivisor());
    }
    SendMessageA(ownWindow, WM_QUILVO_RECOLOUR, 0, 0);
}

void BoxedView::UpdatePanels(BoxList* const* lists) {
    ReadClientRect();
    // A monitor plugged in or taken away since: the panels map the desk as it is now.
    ReadDesktop();
    // Every panel takes its new list before any is rebuilt, so that whatever happens part way,
    // no panel is left on a list its owner has let go.
    for (int i = 0; i < boxCount; ++i) {
        if (BoxPanel* panel = Panel(i)) panel->boxList = lists ? lists[i] : nullptr;
    }
    for (int i = 0; i < boxCount; ++i) {
        if (BoxPanel* panel = Panel(i)) panel->Update();
    }
    RECT client = {};
    GetClientRect(ownWindow, &client);
    InvalidateRect(ownWindow, &client, TRUE);
    SendMessageA(ownWindow, WM_QUILVO_RECOLOUR, 0, 0);
}

void BoxedView::SetZoom(int zoom) {
    zoomFactor = static_cast<std::int16_t>(zoom);
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
    const char* section = sectionName;
    RECT r = {};
    const bool haveRect = GetWindowRect(ownWindow, &r) != FALSE;
    WriteProfileInt(section, kKeyVisible, visible ? 1 : 0);
    WriteProfileInt(section, kKeyZoomFactor, zoomFactor);
    // A minimised window's rectangle is its icon's: keep the stored place and size.
    if (!haveRect || IsIconic(ownWindow)) return;
    WriteProfileInt(section, kKeyWindowX, r.left);
    WriteProfileInt(section, kKeyWindowY, r.top);
    WriteProfileInt(section, kKeyWidth, r.right - r.left);
    WriteProfileInt(section, kKeyHeight, r.bottom - r.top);
}

// ---- Variants ----------------------------------------------------------------------------

BoxedViewToolWindow::BoxedViewToolWindow(HWND mainWindow, BoxList* const* lists, int count,
                                         const ViewServices& services)
    : BoxedView(nullptr, lists, count, services) {
    ownWindow = mainWindow;
    SetSection("BoxedViewToolWindow");
}

BoxedViewToolWindow2::BoxedViewToolWindow2(BoxList* const* lists, int count, int width, int height,
                                           const ViewServices& services)
    : BoxedView(nullptr, lists, count, services) {
    defaultWidth = width;
    defaultHeight = height;
    zoomFactor = 3;
    window_.shownView = this;
    ownWindow = CreateWindowExA(0, kQuilvoWinClass, kStandAloneCaption,
                                WS_VISIBLE | WS_BORDER | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, width, height,
                                nullptr, nullptr, GetModuleHandleA(nullptr), &window_);
    SetSection("BoxedViewToolWindow2");
}

BoxedViewSingle::BoxedViewSingle(BoxList* const* lists, int count, int width, int height,
                                 const ViewServices& services)
    : BoxedViewToolWindow2(lists, count, width, height, services) {
    zoomFactor = 4;
    SetSection("BoxedViewSingle");
}

// ---- Factory -----------------------------------------------------------------------------

std::unique_ptr<OverviewView> Win32ViewFactory::CreateToolWindowView(WindowHandle mainWindow,
                                                                     BoxList* const* lists, int boxCount) {
    return std::make_unique<BoxedViewToolWindow>(ToHwnd(mainWindow), lists, boxCount, services_);
}

std::unique_ptr<OverviewView> Win32ViewFactory::CreateSingleView(BoxList* const* lists, int boxCount, int width,
                                                                 int height) {
    return std::make_unique<BoxedViewSingle>(lists, boxCount, width, height, services_);
}

void Win32ViewFactory::AttachToMainWindow(WindowHandle mainWindow, OverviewView* view) {
    if (ViewWindow* window = ViewWindow::From(ToHwnd(mainWindow))) window->shownView = static_cast<BoxedView*>(view);  // this factory made it
}

}  // namespace quilvo
