// The frame around a production session while it is the window in front. The foreground hook
// tells of a change at once; where it tells nothing (a hook out of context under some window
// systems) and for moves and size changes, a look every 50 ms follows it, and only while the
// sessions of the moment hold a production session: at rest without one it costs nothing.
#pragma once

#include <windows.h>

#include "core/snapshot.h"
#include "views/production_frame.h"

namespace quilvo {

class ProductionWatch {
public:
    // timerHost: the window whose timer (TIMER_PRODUCTION_FRAME) calls back timerProc.
    ProductionWatch(HWND timerHost, TIMERPROC timerProc, const SnapshotSource& sessions)
        : timerHost_(timerHost), timerProc_(timerProc), sessions_(sessions) {}
    ~ProductionWatch() { Stop(); }
    ProductionWatch(const ProductionWatch&) = delete;
    ProductionWatch& operator=(const ProductionWatch&) = delete;

    // At every refresh tick: the look every 50 ms runs while a production session is open.
    void OnTick();
    // The foreground changed, or the look is due: the frame lies around the window in front
    // when it is a visible, not iconized production session, and is hidden otherwise.
    void Check();
    // No look and no frame any more (Exit, the end of the program).
    void Stop();
    const ProductionFrame& Frame() const { return frame_; }

private:
    HWND timerHost_;
    TIMERPROC timerProc_;
    const SnapshotSource& sessions_;
    ProductionFrame frame_;
    bool looking_ = false;
};

}  // namespace quilvo
