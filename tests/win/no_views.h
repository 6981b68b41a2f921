// Views that do nothing, for driving the refresh cycle without windows of its own.
#pragma once

#include <memory>

#include "core/overview_view.h"

namespace quilvo {

class NoView : public OverviewView {
public:
    void LoadGeometry() override {}
    void CreatePanels() override {}
    void UpdatePanels(BoxList* const*) override {}
    bool IsVisible() const override { return true; }
};

class NoViews : public ViewFactory {
public:
    std::unique_ptr<OverviewView> CreateToolWindowView(WindowHandle, BoxList* const*, int) override {
        return std::make_unique<NoView>();
    }
    std::unique_ptr<OverviewView> CreateSingleView(BoxList* const*, int, int, int) override {
        return std::make_unique<NoView>();
    }
    void AttachToMainWindow(WindowHandle, OverviewView*) override {}
};

}  // namespace quilvo
