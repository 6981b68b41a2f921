// Helpers of the Windows-side tests: letting this thread's messages (and so its timers and the
// replies to its sends) run, collecting the debug lines written on this thread, and child
// rectangles.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

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

// The debug lines written on this thread: OutputDebugStringA raises DBG_PRINTEXCEPTION_C,
// which a vectored handler (Handler, installed by the test) sees before the system handles it.
struct DebugLines {
    static inline std::vector<std::string> lines;
    static LONG CALLBACK Handler(EXCEPTION_POINTERS* info) {
        const EXCEPTION_RECORD* r = info->ExceptionRecord;
        if (r->ExceptionCode == DBG_PRINTEXCEPTION_C && r->NumberParameters >= 2)
            lines.emplace_back(reinterpret_cast<const char*>(r->ExceptionInformation[1]));
        return EXCEPTION_CONTINUE_SEARCH;
    }
    static int Containing(const char* part) {
        int n = 0;
        for (const std::string& l : lines) n += l.find(part) != std::string::npos;
        return n;
    }
};

// A child's rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace quilvo::test
