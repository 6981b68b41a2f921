// The one drag of a mini window with the right mouse button: the mini window starts it, its
// panel moves both windows with it and ends it. While the drag moves windows the refresh cycle
// skips its passes and the hover tip takes no requests.
#pragma once

#include <windows.h>

#include "core/drag_probe.h"

namespace quilvo {

class DragController final : public DragProbe {
public:
    struct Drag {
        bool moves = false;             // false in the docked view: it captures but moves nothing
        int grabX = 0;                  // the pointer inside the mini window's client area
        int grabY = 0;
        HWND mini = nullptr;            // the dragged mini window
        HWND session = nullptr;         // the session window that moves with it
        HWND repaint = nullptr;         // the view's window, repainted when the drag ends
    };

    DragController() = default;
    DragController(const DragController&) = delete;
    DragController& operator=(const DragController&) = delete;

    bool DragInProgress() const override { return drag_.moves; }
    const Drag& Current() const { return drag_; }

    void Begin(const Drag& drag) { drag_ = drag; }
    // Ends the drag, or does its clean-up when none is in progress: the record is cleared
    // before the capture goes, so the WM_CAPTURECHANGED that releasing it sends finds no drag
    // left to end; the view's window is repainted.
    void End() {
        const HWND repaint = drag_.repaint;
        drag_ = Drag{};
        ReleaseCapture();
        if (repaint != nullptr) InvalidateRect(repaint, nullptr, TRUE);
    }

private:
    Drag drag_;
};

}  // namespace quilvo
