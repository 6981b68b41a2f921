#include "platform/win32_discovery.h"

#include <algorithm>
#include <utility>

#include "base/text.h"
#include "core/front_queries.h"
#include "core/wait_scope.h"
#include "platform/display.h"
#include "platform/scoped_win.h"
#include "platform/win32_session_marks.h"
#include "platform/window_names.h"

namespace quilvo {
namespace {

// One pool for the process: a reply may come long after the pass (or the instance) that
// asked, and its completion data must still name a live record, or a stale one that drops it.
FrontQueryPool& ThePool() {
    static FrontQueryPool pool;
    return pool;
}

BOOL CALLBACK EnumVisit(HWND window, LPARAM param) {
    auto* pair = reinterpret_cast<std::pair<WindowVisit, void*>*>(param);
    return pair->first(reinterpret_cast<WindowHandle>(window), pair->second) ? TRUE : FALSE;
}

BOOL CALLBACK AddWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// A walk of the desktop that passes over the descendants of the windows in `own`.
struct SparingWalk {
    WindowVisit visit;
    void* context;
    const std::vector<HWND>* own;
    bool ended;
};

BOOL CALLBACK SparingVisit(HWND window, LPARAM param) {
    auto* walk = reinterpret_cast<SparingWalk*>(param);
    walk->ended = !walk->visit(reinterpret_cast<WindowHandle>(window), walk->context);
    return walk->ended ? FALSE : TRUE;
}

BOOL CALLBACK SparingTopLevel(HWND window, LPARAM param) {
    auto* walk = reinterpret_cast<SparingWalk*>(param);
    if (!SparingVisit(window, param)) return FALSE;
    if (std::find(walk->own->begin(), walk->own->end(), window) != walk->own->end()) return TRUE;
    EnumChildWindows(window, &SparingVisit, param);
    return walk->ended ? FALSE : TRUE;
}

// Whether a child window of the program could be of this class: one it registered, a common
// control's or a system class (a session class given on the command line may name one). The
// default session class is registered too, but the program makes no window of it.
bool ChildClassOfTheProgram(const char* className) {
    if (EqualsNoCase(className, kDefaultSessionClass)) return false;
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    return GetClassInfoExA(GetModuleHandleA(nullptr), className, &info) || GetClassInfoExA(nullptr, className, &info);
}

}  // namespace

void VisitDescendants(HWND root, WindowVisit visit, void* context) {
    std::pair<WindowVisit, void*> pair(visit, context);
    EnumChildWindows(root, &EnumVisit, reinterpret_cast<LPARAM>(&pair));
}

SapMessages SapMessages::Register() {
    return SapMessages{RegisterWindowMessageA("SAP_GET_FRONT"), SetOkCodeMessage()};
}

void CALLBACK StoreAtomReply(HWND, UINT, ULONG_PTR data, LRESULT result) {
    ATOM atom = static_cast<ATOM>(result & 0xFFFF);
    char name[256] = {};
    if (atom != 0) {
        GlobalGetAtomNameA(atom, name, sizeof name);
        GlobalDeleteAtom(atom);
    }
    // The answer goes to the sink that asked, keyed by the window asked; a sink that is gone
    // gets nothing, and the atom is deleted all the same.
    ThePool().Complete(static_cast<FrontToken>(data), atom != 0 ? name : nullptr);
}

Win32DiscoveryWindows::Win32DiscoveryWindows(UINT getFrontMessage, DWORD replyWaitMs)
    : getFront_(getFrontMessage), replyWaitMs_(replyWaitMs), ownThread_(GetCurrentThreadId()) {}

void Win32DiscoveryWindows::EnumerateAll(const char* className, WindowVisit visit, void* context) {
    if (ChildClassOfTheProgram(className)) {
        VisitDescendants(GetDesktopWindow(), visit, context);
        return;
    }
    // EnumWindows lists the top-level windows in the order EnumChildWindows of the desktop
    // visits them, each followed there by its descendants.
    ownWindows_.clear();
    EnumThreadWindows(ownThread_, &AddWindow, reinterpret_cast<LPARAM>(&ownWindows_));
    SparingWalk walk{visit, context, &ownWindows_, false};
    EnumWindows(&SparingTopLevel, reinterpret_cast<LPARAM>(&walk));
}

int Win32DiscoveryWindows::ClassName(WindowHandle window, char* buf, int maxCount) {
    return GetClassNameA(ToHwnd(window), buf, maxCount);
}

int Win32DiscoveryWindows::Caption(WindowHandle window, char* buf, int bufSize) {
    // GetWindowTextA sends WM_GETTEXT to windows of other processes only with a timeout
    // of its own; it returns 0 for an empty caption and for one it could not read.
    return GetWindowTextA(ToHwnd(window), buf, bufSize);
}

bool Win32DiscoveryWindows::NormalPlacement(WindowHandle window, NormalRect* rect, bool* maximized) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(ToHwnd(window), &wp)) return false;
    const RECT& r = wp.rcNormalPosition;
    *rect = NormalRect{r.left, r.top, r.right, r.bottom};
    // What IsZoomed says, without a request of its own: the placement reads the window's style.
    *maximized = wp.showCmd == SW_SHOWMAXIMIZED;
    return true;
}

bool Win32DiscoveryWindows::InWorkspaceCoordinates(WindowHandle window) { return PlacementInWorkspace(ToHwnd(window)); }

bool Win32DiscoveryWindows::WindowRect(WindowHandle window, NormalRect* rect) {
    RECT r = {};
    if (!GetWindowRect(ToHwnd(window), &r)) return false;
    *rect = NormalRect{r.left, r.top, r.right, r.bottom};
    return true;
}

MonitorList Win32DiscoveryWindows::Monitors() { return ReadMonitors(); }

bool Win32DiscoveryWindows::Exists(WindowHandle window) { return IsWindow(ToHwnd(window)) != FALSE; }

void Win32DiscoveryWindows::SessionSeen(WindowHandle window) { NoteSeenAtPass(ToHwnd(window)); }

FrontQueryPool& Win32DiscoveryWindows::Queries() { return ThePool(); }

bool Win32DiscoveryWindows::SendFront(WindowHandle window, int code, FrontToken token) {
    return SendMessageCallbackA(ToHwnd(window), getFront_, static_cast<WPARAM>(code), 0, &StoreAtomReply,
                                static_cast<ULONG_PTR>(token)) != FALSE;
}

template <typename Done>
void Win32DiscoveryWindows::TakeRepliesUntil(Done done) {
    // Replies are delivered while this thread looks for sent messages; nothing posted (the
    // user's clicks and keys, timers) is taken, and what is sent to the program meanwhile is
    // held back until the wait has ended (WaitScope).
    WaitScope waiting;
    const DWORD start = GetTickCount();
    MSG msg;
    for (;;) {
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (done()) return;
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= replyWaitMs_) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, replyWaitMs_ - elapsed, QS_SENDMESSAGE, 0);
    }
}

void Win32DiscoveryWindows::AwaitReplies(std::uint32_t pass) {
    // The wait is one for the whole pass: a session whose thread is busy, or many of them
    // behind one busy thread, cost it at most this long together.
    TakeRepliesUntil([pass] { return ThePool().Pending(pass) == 0; });
}

void Win32DiscoveryWindows::TakeReplies() {
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

void Win32DiscoveryWindows::AwaitOutstandingReplies() {
    TakeRepliesUntil([] { return ThePool().FreeCount() == FrontQueryPool::kCapacity; });
}

}  // namespace quilvo
