// Letting this thread's messages (and so its timers and the replies to its sends) run, for the
// Windows-side tests.
#pragma once

#include <windows.h>

#include <algorithm>

namespace quilvo::test {

// Dispatches what is waiting now.
inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Dispatches until done() or the deadline; done() is tested after every round.
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        Pump();
        if (done()) return true;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, std::min<DWORD>(5, timeoutMs - elapsed), QS_ALLINPUT);
    }
}

inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

}  // namespace quilvo::test
