// The refresh cycle pauses while the user drags a mini window; the views know whether one is
// dragged (views/drag_controller.h), the cycle only asks.
#pragma once

namespace quilvo {

class DragProbe {
public:
    virtual bool DragInProgress() const = 0;

protected:
    ~DragProbe() = default;
};

// A probe that is only a flag: for whoever drives a cycle without views.
class DragFlag final : public DragProbe {
public:
    bool DragInProgress() const override { return set; }
    bool set = false;
};

}  // namespace quilvo
