#include "app/overview_views.h"

#include "views/view_window.h"

namespace quilvo {

void OverviewViews::Make(const Snapshot& snapshot) {
    if (!tool_) {
        tool_ = std::make_unique<BoxedViewToolWindow>(mainWindow_, snapshot, kBoxCount, services_);
        tool_->LoadGeometry();
        tool_->CreatePanels();
        // The main window's procedure finds the view it shows in its object.
        if (ViewWindow* window = ViewWindow::From(mainWindow_)) window->shownView = tool_.get();
    }
    if (!single_) {
        single_ = std::make_unique<BoxedViewSingle>(snapshot, kSingleViewWidth, kSingleViewHeight, services_);
        single_->LoadGeometry();
        single_->CreatePanels();
    }
}

void OverviewViews::OnRebuilt(const Snapshot& snapshot) {
    latest_ = snapshot;
    // Made at the first rebuild; one that ran out of memory part way is made at the next.
    if (!tool_ || !single_) {
        const bool hadTool = tool_ != nullptr;
        Make(snapshot);
        if (!hadTool) return;
    }
    tool_->UpdatePanels(snapshot);
    if (single_->IsVisible()) single_->UpdatePanels(snapshot);
}

void OverviewViews::ShowToolWindow() {
    if (tool_) tool_->Show();
}

void OverviewViews::ShowSingle() {
    if (!single_) return;
    // While hidden it was not updated: it shows the sessions as they are now.
    if (!single_->IsVisible() && latest_) single_->UpdatePanels(latest_);
    single_->Show();
}

void OverviewViews::ForgetSkippedUpdates() {
    if (tool_) tool_->ForgetSkippedUpdates();
    if (single_) single_->ForgetSkippedUpdates();
}

void OverviewViews::TearDown() {
    if (tool_) {
        // The main window must not find a torn-down view in its object.
        if (ViewWindow* window = ViewWindow::From(mainWindow_)) {
            if (window->shownView == tool_.get()) window->shownView = nullptr;
        }
        tool_.reset();
    }
    single_.reset();
}

void OverviewViews::LeaveUnsaved() {
    (void)tool_.release();
    (void)single_.release();
}

}  // namespace quilvo
