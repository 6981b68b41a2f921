// What the refresh cycle needs of the platform: the tick count, whether the main window
// exists, the idle action's OK code (a global atom sent with SAP_SET_OKCODE), and a way back
// to the user-interface thread for the steps of a pass that must not run where they are asked.
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
    // Runs `work` on this thread from its message loop, once whatever runs now (and any wait
    // for another program) has ended. False: the platform cannot, and nothing runs.
    virtual bool Post(std::function<void()> work) = 0;
    // Runs `work` (as Post) after ms, unless StopDeadline comes first; a new one replaces the
    // last. False: the platform has no timer, and nothing runs.
    virtual bool StartDeadline(std::uint32_t ms, std::function<void()> work) = 0;
    virtual void StopDeadline() = 0;
    // Makes `walk` on a thread of its own, then runs `walked` as Post does: the walk of the
    // desktop reads every window and must hold nothing the user does. False: the platform
    // cannot, and nothing is made.
    virtual bool WalkElsewhere(std::function<void()> walk, std::function<void()> walked) {
        (void)walk;
        (void)walked;
        return false;
    }
    // Returns once no walk handed over by WalkElsewhere is under way.
    virtual void AwaitWalk() {}
    // Nothing posted, timed or walked for the caller runs from now on: it is going away.
    virtual void Disconnect() {}
};

}  // namespace quilvo
