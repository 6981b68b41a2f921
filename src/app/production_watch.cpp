#include "app/production_watch.h"

#include <algorithm>

#include "platform/display.h"
#include "platform/scoped_win.h"
#include "resources/resource_ids.h"

namespace quilvo {

namespace {

constexpr UINT kLookPeriodMs = 50;

bool AnyProduction(const SessionSnapshot& sessions) {
    return std::any_of(sessions.sessions.begin(), sessions.sessions.end(),
                       [](const SessionRecord& r) { return r.production; });
}

}  // namespace

void ProductionWatch::OnTick() {
    const bool wanted = AnyProduction(*sessions_.Current());
    if (wanted && !looking_) looking_ = SetTimer(timerHost_, TIMER_PRODUCTION_FRAME, kLookPeriodMs, timerProc_) != 0;
    if (!wanted && looking_) {
        KillTimer(timerHost_, TIMER_PRODUCTION_FRAME);
        looking_ = false;
    }
    Check();
}

void ProductionWatch::Check() {
    HWND front = GetForegroundWindow();
    const SessionRecord* session = sessions_.Current()->Find(FromHwnd(front));
    if (session != nullptr && session->production && IsWindowVisible(front) && !IsIconic(front)) {
        frame_.Follow(front, HighContrastOn());
    } else {
        frame_.Hide();
    }
}

void ProductionWatch::Stop() {
    if (looking_) KillTimer(timerHost_, TIMER_PRODUCTION_FRAME);
    looking_ = false;
    frame_.Hide();
}

}  // namespace quilvo
