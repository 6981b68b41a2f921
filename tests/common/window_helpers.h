// Helpers of the Windows-side tests, the end-to-end ones and the benchmarks: letting this
// thread's messages (and so its timers and the replies to its sends) run, collecting the
// debug lines written on this thread, and looking at windows as an accessibility tool would.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "temp_folder.h"

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
// which a vectored handler sees before the system handles it. The program writes to the
// debugger channel only while a debugger reads it: a Capture plays that debugger (the
// process's flag set, the handler installed) for as long as it lasts.
struct DebugLines {
    class Capture {
    public:
        Capture() : handler_(AddVectoredExceptionHandler(1, &Handler)), was_(Peb()->BeingDebugged) {
            lines.clear();
            Peb()->BeingDebugged = TRUE;
        }
        ~Capture() {
            Peb()->BeingDebugged = was_;
            RemoveVectoredExceptionHandler(handler_);
        }
        Capture(const Capture&) = delete;
        Capture& operator=(const Capture&) = delete;

    private:
        // GCC 12 takes the read of the thread block through the gs segment for an access out of
        // bounds once it is inlined; the call itself is sound.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
        static PPEB Peb() { return NtCurrentTeb()->ProcessEnvironmentBlock; }
#pragma GCC diagnostic pop
        PVOID handler_;
        BOOLEAN was_;
    };
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

// A window class of the test's own, not one of the program's: the light grey background of
// the program's classes, so that pixels read around the program's windows are the same.
inline void RegisterTestClass(const char* name, WNDPROC proc = &DefWindowProcA) {
    WNDCLASSA wc = {};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    wc.lpszClassName = name;
    RegisterClassA(&wc);
}

// A TempFolder made the current folder, under the name the views, docked strip and idle action
// tests know it by.
struct ScratchDirectory : TempFolder {
    explicit ScratchDirectory(const std::string& name) : TempFolder(name, kEnter) {}
};

// Puts the pointer in the screen's bottom right corner, away from the sessions. Under Wine a
// window shown, restored or restacked under a pointer that stays put counts as input
// (GetLastInputInfo moves on): the schedule of session calls takes it for the user's own click
// and ends its watch over the raised session. Windows counts only real input.
inline void ParkPointer() {
    SetCursorPos(GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1,
                 GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1);
}

// The active and the focus window of the thread that owns this window (nothing for no window).
inline GUITHREADINFO ThreadInputOf(HWND window) {
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof thread;
    if (window == nullptr || !GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread))
        return GUITHREADINFO{};
    return thread;
}

inline std::string ClassOf(HWND w) {
    char name[256] = {};
    GetClassNameA(w, name, sizeof name);
    return name;
}

inline std::string TextOf(HWND w) {
    char text[256] = {};
    GetWindowTextA(w, text, sizeof text);
    return text;
}

// Direct children of a window with the given class (in any letter case), in the order the
// system keeps them. Taken from one snapshot of the list: a walk from child to next child
// meets a program restacking its windows meanwhile (a panel brought to the top on every
// refresh) and can skip one child and see another twice.
inline std::vector<HWND> Children(HWND parent, const char* cls) {
    struct Context {
        HWND parent;
        const char* cls;
        std::vector<HWND> out;
    } context{parent, cls, {}};
    EnumChildWindows(
        parent,
        [](HWND c, LPARAM param) -> BOOL {
            auto& ctx = *reinterpret_cast<Context*>(param);
            if (GetAncestor(c, GA_PARENT) == ctx.parent && lstrcmpiA(ClassOf(c).c_str(), ctx.cls) == 0)
                ctx.out.push_back(c);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&context));
    return context.out;
}

// Children, grandchildren and so on.
inline int DescendantCount(HWND parent) {
    int n = 0;
    EnumChildWindows(
        parent, [](HWND, LPARAM count) -> BOOL { ++*reinterpret_cast<int*>(count); return TRUE; },
        reinterpret_cast<LPARAM>(&n));
    return n;
}

// A child's outer rectangle in its parent's client coordinates.
inline RECT RectInParent(HWND child) {
    RECT r = {};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline RECT ScreenRect(HWND w) {
    RECT r = {};
    GetWindowRect(w, &r);
    return r;
}

inline RECT ClientRect(HWND w) {
    RECT r = {};
    GetClientRect(w, &r);
    return r;
}

}  // namespace quilvo::test
