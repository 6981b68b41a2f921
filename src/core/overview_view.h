// What the refresh cycle needs of the two overview views: the tool-window view inside the
// main window (six boxes) and the single view of the all-sessions list. The views build on
// real windows; the cycle only constructs them through the factory and drives them here.
#pragma once

#include <memory>

#include "core/boxes.h"
#include "base/handle.h"

namespace quilvo {

class OverviewView {
public:
    virtual ~OverviewView() = default;  // teardown: the view writes its geometry and goes

    // Reads geometry, zoom factor and visible flag from the view's section and places the
    // window (hiding it when the visible flag is 0). Called once, right after construction.
    virtual void LoadGeometry() = 0;
    // The create pass. Called once, right after LoadGeometry.
    virtual void CreatePanels() = 0;
    // The update pass: hands each panel its new list (same order and number as at
    // construction) and rebuilds its mini windows.
    virtual void UpdatePanels(BoxList* const* lists) = 0;
    virtual bool IsVisible() const = 0;
    // Sets the visible flag and shows the window (the tray menu's "Toolwindow", "SingleBox").
    virtual void Show() = 0;
    // A click on a panel makes it keep its mini windows through the next update; a rebuild
    // the user asks for (OK in a box's properties) must reach every panel all the same.
    virtual void ForgetSkippedUpdates() = 0;
};

class ViewFactory {
public:
    virtual ~ViewFactory() = default;

    // BoxedViewToolWindow on the main window, with boxCount (6) lists.
    virtual std::unique_ptr<OverviewView> CreateToolWindowView(WindowHandle mainWindow,
                                                               BoxList* const* lists, int boxCount) = 0;
    // BoxedViewSingle with boxCount (1) lists and a default size of width x height (150 x 150).
    virtual std::unique_ptr<OverviewView> CreateSingleView(BoxList* const* lists, int boxCount,
                                                           int width, int height) = 0;
    // Stores the tool-window view in the main window's user data, where the main window's
    // procedure finds it.
    virtual void AttachToMainWindow(WindowHandle mainWindow, OverviewView* view) = 0;
};

}  // namespace quilvo
