// The refresh cycle's platform on Windows: its steps come back to the user-interface thread
// through the dispatcher, and its walks are made on a thread of their own.
#pragma once

#include <memory>

#include "core/refresh_platform.h"
#include "platform/dispatcher.h"
#include "platform/pass_walker.h"

namespace quilvo {

class Win32RefreshPlatform : public RefreshPlatform {
public:
    // The dispatcher must outlive the platform; none: nothing is posted, timed or walked
    // elsewhere, and a pass waits for its replies where it stands.
    explicit Win32RefreshPlatform(Dispatcher* dispatcher = nullptr);

    std::uint32_t TickCount() override;
    bool WindowExists(WindowHandle window) override;
    GlobalAtom AddGlobalAtom(const char* text) override;
    bool AtomHolds(GlobalAtom atom, const char* text) override;
    void SendOkCode(WindowHandle session, GlobalAtom atom) override;
    bool Post(std::function<void()> work) override;
    bool StartDeadline(std::uint32_t ms, std::function<void()> work) override;
    void StopDeadline() override;
    bool WalkElsewhere(std::function<void()> walk, std::function<void()> walked) override;
    void AwaitWalk() override { walker_.Await(); }
    void Disconnect() override;
    // Ends the walker thread: no walk is made elsewhere any more.
    void StopWalker() { walker_.Stop(); }

private:
    // Work of the cycle's that outlives it (posted, timed, walked) finds this false and does
    // nothing.
    std::function<void()> WhileConnected(std::function<void()> work) const;

    unsigned setOkCodeMessage_;
    Dispatcher* dispatcher_;
    std::shared_ptr<bool> connected_ = std::make_shared<bool>(true);
    PassWalker walker_;
};

}  // namespace quilvo
