// A view: one window that shows a set of boxes side by side, each as a BoxPanel, and keeps
// its geometry, zoom factor and visibility in its section of the settings file. A QuilvoWin
// window knows the view it shows through its ViewWindow object: the main window's is the main
// window, a stand-alone view owns its own.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "commands/session_commands.h"
#include "core/boxes.h"
#include "core/monitors.h"
#include "core/overview_view.h"
#include "core/session.h"
#include "platform/scoped_win.h"
#include "views/geometry.h"
#include "views/view_window.h"
#include "views/window_object.h"

namespace quilvo {

class BoxPanel;
class BoxPropertiesDialogs;

// What a view's panels and mini windows act on when the user clicks: the session table (a
// panel's left click and "Quit" show or hide every session in it) and the window operations.
struct ViewServices {
    const SessionTable* sessions = nullptr;  // none: show and hide commands do nothing
    SessionWindowOps* ops = nullptr;         // none: the platform's own operations
    BoxPropertiesDialogs* properties = nullptr;  // none: "Properties" does nothing
    MonitorSource* monitors = nullptr;       // none: the window system's monitors
};

class BoxedView : public WindowObject, public OverviewView {
public:
    // Teardown: deletes the panels, then writes the view's state to its section. Neither the
    // view's window nor the panels' windows are destroyed; they no longer name their objects.
    ~BoxedView() override;
    BoxedView(const BoxedView&) = delete;
    BoxedView& operator=(const BoxedView&) = delete;

    // Height of a panel's session buttons = panel height / this.
    virtual std::int16_t ButtonRowDivisor() const { return 7; }
    // The panels' places in the client area, one per box.
    virtual std::vector<PixelRect> PanelPlaces() const = 0;

    // OverviewView
    void LoadGeometry() override;
    void CreatePanels() override;
    void UpdatePanels(BoxList* const* lists) override;
    bool IsVisible() const override { return visible != 0; }

    void ReadClientRect();
    void SetZoom(int zoom);  // the mini windows take the new size at the next update pass
    // The window went to a monitor of another DPI: it takes the suggested rectangle, the
    // fonts are made anew and the panels laid out again. Ignored while LoadGeometry places
    // the window (what is stored stays as stored).
    void OnDpiChanged(int newDpi, LPARAM suggested);
    void ForgetSkippedUpdates() override;
    void Show() override;
    void Hide() { ShowWindowAsync(ownWindow, SW_HIDE); }
    void SaveGeometry();

    int BoxCount() const { return boxCount; }
    BoxPanel* Panel(int i) const { return (panels_ && i >= 0 && i < boxCount) ? panels_[i].get() : nullptr; }
    SessionWindowOps& Ops() const { return services_.ops ? *services_.ops : PlatformSessionOps(); }
    // The virtual screen's origin, which the panels map the session windows from.
    PixelPoint DesktopOrigin() const { return PixelPoint{desktopRect.left, desktopRect.top}; }
    // The font of the mini windows' labels and the height of one of its lines (0: none).
    HFONT LabelFont() const { return labelFont_.get(); }
    int LabelLineHeight() const { return labelLineHeight_; }
    const SessionTable* Sessions() const { return services_.sessions; }
    BoxPropertiesDialogs* PropertiesDialogs() const { return services_.properties; }

    std::uint8_t tipShown = 0;
    std::uint8_t visible = 1;
    RECT clientRect = {};

    RECT desktopRect = {};  // the virtual screen: all monitors, its origin may be negative
    char sectionName[64] = {};
    std::int32_t defaultWidth = 300;
    std::int32_t defaultHeight = 200;
    std::int16_t zoomFactor = 2;
    std::int16_t boxCount = 0;
    int dpi = 96;         // of the view's window, as last taken
    bool labels = true;   // "Labels" of the section: mini windows large enough show their texts

protected:
    BoxedView(HWND parent, BoxList* const* lists, int count, const ViewServices& services);
    void SetSection(const char* name);
    // "Labels" of the section, the window's DPI and the fonts made for it.
    void ReadLabelsAndDpi();
    // The virtual screen as the monitor source gives it now.
    void ReadDesktop();
    void MakeFonts();

    std::unique_ptr<std::unique_ptr<BoxPanel>[]> panels_;

private:
    ViewServices services_;
    ScopedFont labelFont_;
    int labelLineHeight_ = 0;
    bool placing_ = false;  // LoadGeometry is placing the window
};

// The session operations of a view; the platform's own for a window without one.
inline SessionWindowOps& OpsOf(const BoxedView* view) { return view ? view->Ops() : PlatformSessionOps(); }

// The view inside the main window: six boxes in two rows.
class BoxedViewToolWindow : public BoxedView {
public:
    BoxedViewToolWindow(HWND mainWindow, BoxList* const* lists, int count, const ViewServices& services);
    std::vector<PixelRect> PanelPlaces() const override { return TwoRowLayout(width, height, boxCount); }
};

// A stand-alone view in its own QuilvoWin window: the boxes in one row.
class BoxedViewToolWindow2 : public BoxedView {
public:
    BoxedViewToolWindow2(BoxList* const* lists, int count, int width, int height, const ViewServices& services);
    // The window stays, as every view's does, without its object.
    ~BoxedViewToolWindow2() override { ViewWindow::Detach(ownWindow, &window_); }
    std::vector<PixelRect> PanelPlaces() const override { return OneRowLayout(width, height, boxCount); }

private:
    ViewWindow window_;  // the object of the own window, which shows this view
};

// The stand-alone view of the all-sessions list.
class BoxedViewSingle : public BoxedViewToolWindow2 {
public:
    BoxedViewSingle(BoxList* const* lists, int count, int width, int height, const ViewServices& services);
};

// The refresh cycle's view factory, building the views above on real windows.
class Win32ViewFactory : public ViewFactory {
public:
    explicit Win32ViewFactory(const ViewServices& services) : services_(services) {}

    std::unique_ptr<OverviewView> CreateToolWindowView(WindowHandle mainWindow, BoxList* const* lists,
                                                       int boxCount) override;
    std::unique_ptr<OverviewView> CreateSingleView(BoxList* const* lists, int boxCount, int width,
                                                   int height) override;
    // Makes the main window's object show the view (none: no view).
    void AttachToMainWindow(WindowHandle mainWindow, OverviewView* view) override;

private:
    ViewServices services_;
};

}  // namespace quilvo
