// What the refresh cycle needs of the platform: the tick count, whether the main window
// exists, and the idle action's OK code (a global atom sent with SAP_SET_OKCODE).
#pragma once

#include <cstdint>
#include <functional>

#include "base/handle.h"

namespace quilvo {

using GlobalAtom = std::uint16_t;

class RefreshPlatform {
public:
    virtual ~RefreshPlatform() = default;

    virtual std::uint32_t TickCount() = 0;
    virtual bool WindowExists(WindowHandle window) = 0;
    // GlobalAddAtomA; 0 when the atom could not be made.
    virtual GlobalAtom AddGlobalAtom(const char* text) = 0;
    // True while atom names text, compared without regard to case as atoms are.
    virtual bool AtomHolds(GlobalAtom atom, const char* text) = 0;
    // SAP_SET_OKCODE with wParam 5 and lParam the atom, zero-extended: the session runs the
    // OK code named by the atom.
    virtual void SendOkCode(WindowHandle session, GlobalAtom atom) = 0;
    // Asks for RefreshCycle::RunDeferred to be called once the operation now running has
    // ended (on Windows: a message posted to the program's own window).
    virtual void ScheduleRefresh() = 0;
    // A pass waits for its replies: RefreshCycle::OnPassDeadline is to be called after ms (on
    // Windows: a timer on the program's own window), and OnReplies whenever the pass's last
    // reply has come. False: the platform has no timer, and the pass waits for its replies
    // where it stands (DiscoveryWindows::AwaitReplies).
    virtual bool StartPassDeadline(std::uint32_t ms) = 0;
    // Asks for RefreshCycle::ContinuePass to be called once what the user did meanwhile has
    // been answered (on Windows: a message posted to the program's own window). False: the
    // platform cannot, and the pass sends all its queries at once.
    virtual bool ContinuePassLater() = 0;
    virtual void StopPassDeadline() = 0;
    // Makes a pass's walk of the desktop on a thread of its own, and has RefreshCycle::OnWalked
    // called once it has ended (on Windows: a message posted to the program's own window), so
    // that the walk, which reads every window of the desktop, holds nothing the user does.
    // False: the platform cannot, and the walk is made where the pass stands.
    virtual bool WalkElsewhere(std::function<void()> walk) {
        (void)walk;
        return false;
    }
    // Returns once no walk handed over by WalkElsewhere is under way.
    virtual void AwaitWalk() {}
};

}  // namespace quilvo
