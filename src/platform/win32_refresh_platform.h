// The refresh cycle's platform on Windows.
#pragma once

#include "core/refresh_platform.h"
#include "platform/pass_walker.h"

namespace quilvo {

class Win32RefreshPlatform : public RefreshPlatform {
public:
    // Registers (or finds) the SAP_SET_OKCODE message.
    Win32RefreshPlatform();

    std::uint32_t TickCount() override;
    bool WindowExists(WindowHandle window) override;
    GlobalAtom AddGlobalAtom(const char* text) override;
    bool AtomHolds(GlobalAtom atom, const char* text) override;
    void SendOkCode(WindowHandle session, GlobalAtom atom) override;
    // Posts WM_QUILVO_REFRESH_LATER to the window set here (the tray host); inside a wait,
    // once the outermost wait has ended.
    void ScheduleRefresh() override;
    // A timer on the notify window; none without one.
    bool StartPassDeadline(std::uint32_t ms) override;
    void StopPassDeadline() override;
    bool ContinuePassLater() override;
    // On the walker thread, once a notify window is set (WM_QUILVO_PASS_WALKED then comes).
    bool WalkElsewhere(std::function<void()> walk) override;
    void AwaitWalk() override { walker_.Await(); }
    // Ends the walker thread: no walk is made elsewhere any more.
    void StopWalker() { walker_.Stop(); }
    void SetNotifyWindow(WindowHandle window) { notifyWindow_ = window; }

private:
    unsigned setOkCodeMessage_;
    WindowHandle notifyWindow_ = kNoWindow;
    PassWalker walker_;
};

}  // namespace quilvo
