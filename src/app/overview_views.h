// The views the boxes are shown in, owned here and made at the first rebuild: the six boxes in
// the main window and every session in a window of its own. The refresh cycle tells them of
// every rebuild; the tray menu shows them again; Exit tears them down.
#pragma once

#include <windows.h>

#include <memory>

#include "core/refresh.h"
#include "core/snapshot.h"
#include "views/boxed_view.h"
#include "views/view_context.h"

namespace quilvo {

class OverviewViews final : public RebuildListener {
public:
    // The main window's object shows the first view; services go to both.
    OverviewViews(HWND mainWindow, const ViewServices& services) : mainWindow_(mainWindow), services_(services) {}
    // Exit has torn the views down already, or "Quit" left them: see TearDown, LeaveUnsaved.
    ~OverviewViews() { TearDown(); }
    OverviewViews(const OverviewViews&) = delete;
    OverviewViews& operator=(const OverviewViews&) = delete;

    // RebuildListener: the first rebuild makes both views, every later one updates them in
    // place (the single view only while it is shown: it takes the newest when shown again).
    void OnRebuilt(const Snapshot& snapshot) override;

    // The tray menu's "Toolwindow" and "SingleBox".
    void ShowToolWindow();
    void ShowSingle();
    // A rebuild the user asked for reaches every panel, a clicked one too.
    void ForgetSkippedUpdates();
    // Exit: the main window's view, then the single view; each writes its section. Their
    // windows stay until the program ends.
    void TearDown();
    // "Quit": the views are left to the end of the process without their teardown, so their
    // sections keep what they held.
    void LeaveUnsaved();

    BoxedView* ToolWindow() const { return tool_.get(); }
    BoxedView* Single() const { return single_.get(); }

private:
    void Make(const Snapshot& snapshot);

    HWND mainWindow_;
    ViewServices services_;
    Snapshot latest_;  // the newest rebuild, which a hidden single view missed
    std::unique_ptr<BoxedView> tool_;
    std::unique_ptr<BoxedView> single_;
};

}  // namespace quilvo
