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
#include "core/snapshot.h"
#include "platform/scoped_win.h"
#include "settings/settings.h"
#include "views/geometry.h"
#include "views/drag_controller.h"
#include "views/view_context.h"
#include "views/view_window.h"
#include "views/window_object.h"

namespace quilvo {

class BoxPanel;

class BoxedView : public WindowObject {
public:
    // Teardown: deletes the panels, then writes the view's state to its section. Neither the
    // view's window nor the panels' windows are destroyed; they no longer name their objects.
    virtual ~BoxedView();
    BoxedView(const BoxedView&) = delete;
    BoxedView& operator=(const BoxedView&) = delete;

    // The panels' places in the client area, one per box.
    virtual std::vector<PixelRect> PanelPlaces() const = 0;

    // Reads geometry, zoom factor and visible flag from the view's section and places the
    // window (hiding it when the visible flag is 0). Called once, right after construction.
    virtual void LoadGeometry();
    // The create pass: the panels and their mini windows, from the snapshot the view was made
    // with. Called once, right after LoadGeometry.
    void CreatePanels();
    // The update pass: every panel follows the snapshot's sessions of its box in place.
    void UpdatePanels(const Snapshot& snapshot);
    bool IsVisible() const { return visible != 0; }

    void ReadClientRect();
    void SetZoom(int zoom);  // the mini windows take the new size at the next update pass
    ViewContext& Context() { return context_; }
    const ViewContext& Context() const { return context_; }
    // The window went to a monitor of another DPI: it takes the suggested rectangle, the
    // fonts are made anew and the panels laid out again. Ignored while LoadGeometry places
    // the window (what is stored stays as stored).
    void OnDpiChanged(int newDpi, LPARAM suggested);
    // A click on a panel makes it keep its mini windows through the next update; a rebuild
    // the user asks for (OK in a box's properties) must reach every panel all the same.
    void ForgetSkippedUpdates();
    // The user changed a system setting or the system colours: high contrast is read again,
    // and the view and its panels take the colours at once.
    void OnSystemColoursChanged();
    // Sets the visible flag and shows the window (the tray menu's "Toolwindow", "SingleBox").
    void Show();
    void Hide() { ShowWindowAsync(ownWindow, SW_HIDE); }
    void SaveGeometry();

    int BoxCount() const { return boxCount; }
    BoxPanel* Panel(int i) const { return (panels_ && i >= 0 && i < boxCount) ? panels_[i].get() : nullptr; }
    // The font of the mini windows' labels and the height of one of its lines (0: none).
    HFONT LabelFont() const { return labelFont_.get(); }
    int LabelLineHeight() const { return context_.labelLineHeight; }

    std::uint8_t visible = 1;
    RECT clientRect = {};

    char sectionName[64] = {};
    std::int32_t defaultWidth = 300;
    std::int32_t defaultHeight = 200;
    std::int16_t boxCount = 0;

protected:
    // count panels: box i for panel i, or one panel of every session (kind Single).
    BoxedView(ViewKind kind, HWND parent, const Snapshot& snapshot, int count, const ViewServices& services);
    void SetSection(const char* name);
    // "Labels" of the section, the window's DPI and the fonts made for it.
    void ReadLabelsAndDpi(const ViewSection& stored);
    // The virtual screen as the monitor source gives it now.
    void ReadDesktop();
    void MakeFonts();
    // High contrast as the seam (or the system) gives it now; in it the focus rectangles of
    // the view's controls are always shown, not only after a key was pressed.
    void ReadHighContrast();

    std::unique_ptr<std::unique_ptr<BoxPanel>[]> panels_;

private:
    MonitorSource* monitors_ = nullptr;
    bool (*highContrast_)() = nullptr;
    // What the view stands in for when the program gives it none: a drag of its own, and
    // operations that act on no window.
    std::unique_ptr<DragController> ownDrag_;
    std::unique_ptr<SessionWindowOps> noOps_;
    HeldSnapshot noSessions_;
    ViewContext context_;  // before the panels, which hold it
    ScopedFont labelFont_;
    bool placing_ = false;  // LoadGeometry is placing the window
};

// The view inside the main window: six boxes in two rows.
class BoxedViewToolWindow : public BoxedView {
public:
    BoxedViewToolWindow(HWND mainWindow, const Snapshot& snapshot, int count, const ViewServices& services);
    std::vector<PixelRect> PanelPlaces() const override { return TwoRowLayout(width, height, boxCount); }
};

// A stand-alone view in its own QuilvoWin window: the boxes in one row.
class BoxedViewToolWindow2 : public BoxedView {
public:
    BoxedViewToolWindow2(const Snapshot& snapshot, int count, int width, int height, const ViewServices& services)
        : BoxedViewToolWindow2(ViewKind::ToolWindow, snapshot, count, width, height, services) {}
    // The window stays, as every view's does, without its object.
    ~BoxedViewToolWindow2() override { ViewWindow::Detach(ownWindow, &window_); }
    std::vector<PixelRect> PanelPlaces() const override { return OneRowLayout(width, height, boxCount); }

protected:
    BoxedViewToolWindow2(ViewKind kind, const Snapshot& snapshot, int count, int width, int height,
                         const ViewServices& services);

private:
    ViewWindow window_;  // the object of the own window, which shows this view
};

// The stand-alone view of every session: one panel.
class BoxedViewSingle : public BoxedViewToolWindow2 {
public:
    BoxedViewSingle(const Snapshot& snapshot, int width, int height, const ViewServices& services);
};

}  // namespace quilvo
