#include "platform/win32_discovery.h"

#include <utility>

#include "core/text.h"

namespace quilvo {
namespace {

// Where a reply goes. The completion data of every SAP_GET_FRONT send names one of these
// slots; a slot stays tied to its destination field for as long as a reply is outstanding,
// so a reply that comes after its wait still lands in the field it was asked for, and never
// in another one. The pool is static: a pass allocates nothing.
struct ReplySlot {
    HWND window;            // for code 3, which has no field: one slot per window
    char* dest;             // field in the session table, or null
    std::size_t capacity;
    int outstanding;        // sends not yet completed
};

constexpr int kReplySlots = 512;
ReplySlot g_replySlots[kReplySlots];

ReplySlot* SlotFor(HWND window, char* dest, std::size_t capacity) {
    ReplySlot* free = nullptr;
    for (ReplySlot& s : g_replySlots) {
        bool same = dest != nullptr ? s.dest == dest : (s.dest == nullptr && s.window == window);
        if (same && s.outstanding > 0) return &s;
        // A reply that can no longer come (its window is gone) does not hold its slot.
        if (s.outstanding > 0 && !IsWindow(s.window)) s.outstanding = 0;
        if (s.outstanding == 0 && (free == nullptr || same)) free = &s;
    }
    if (free != nullptr) {
        free->window = window;
        free->dest = dest;
        free->capacity = capacity;
    }
    return free;
}

BOOL CALLBACK EnumVisit(HWND window, LPARAM param) {
    auto* pair = reinterpret_cast<std::pair<WindowVisit, void*>*>(param);
    return pair->first(reinterpret_cast<WindowHandle>(window), pair->second) ? TRUE : FALSE;
}

HWND ToHwnd(WindowHandle h) { return reinterpret_cast<HWND>(h); }

}  // namespace

SapMessages SapMessages::Register() {
    SapMessages m;
    m.getFront = RegisterWindowMessageA("SAP_GET_FRONT");
    m.setOkCode = RegisterWindowMessageA("SAP_SET_OKCODE");
    return m;
}

void CALLBACK StoreAtomReply(HWND, UINT, ULONG_PTR data, LRESULT result) {
    auto* slot = reinterpret_cast<ReplySlot*>(data);
    ATOM atom = static_cast<ATOM>(result & 0xFFFF);
    if (atom != 0) {
        char name[256] = {};
        GlobalGetAtomNameA(atom, name, sizeof name);
        if (slot != nullptr && slot->dest != nullptr) CopyCut(slot->dest, slot->capacity, name);
        GlobalDeleteAtom(atom);
    }
    if (slot != nullptr && slot->outstanding > 0) --slot->outstanding;
}

Win32DiscoveryWindows::Win32DiscoveryWindows(UINT getFrontMessage, DWORD replyWaitMs)
    : getFront_(getFrontMessage), replyWaitMs_(replyWaitMs) {}

std::uint32_t Win32DiscoveryWindows::TickCount() { return GetTickCount(); }

void Win32DiscoveryWindows::EnumerateAll(WindowVisit visit, void* context) {
    std::pair<WindowVisit, void*> pair(visit, context);
    EnumChildWindows(GetDesktopWindow(), &EnumVisit, reinterpret_cast<LPARAM>(&pair));
}

int Win32DiscoveryWindows::ClassName(WindowHandle window, char* buf, int maxCount) {
    return GetClassNameA(ToHwnd(window), buf, maxCount);
}

int Win32DiscoveryWindows::Caption(WindowHandle window, char* buf, int bufSize) {
    // GetWindowTextA sends WM_GETTEXT to windows of other processes only with a timeout
    // of its own; it returns 0 for an empty caption and for one it could not read.
    return GetWindowTextA(ToHwnd(window), buf, bufSize);
}

bool Win32DiscoveryWindows::NormalPlacement(WindowHandle window, NormalRect* rect) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(ToHwnd(window), &wp)) return false;
    rect->left = wp.rcNormalPosition.left;
    rect->top = wp.rcNormalPosition.top;
    rect->right = wp.rcNormalPosition.right;
    rect->bottom = wp.rcNormalPosition.bottom;
    return true;
}

bool Win32DiscoveryWindows::IsZoomed(WindowHandle window) { return ::IsZoomed(ToHwnd(window)) != FALSE; }

FrontReply Win32DiscoveryWindows::QueryFront(WindowHandle window, int code, char* dest, std::size_t capacity) {
    HWND hwnd = ToHwnd(window);
    ReplySlot* slot = SlotFor(hwnd, dest, capacity);
    if (slot == nullptr) return FrontReply::TimedOut;  // every slot waits on a hung session
    ++slot->outstanding;
    if (!SendMessageCallbackA(hwnd, getFront_, static_cast<WPARAM>(code), 0, &StoreAtomReply,
                              reinterpret_cast<ULONG_PTR>(slot))) {
        --slot->outstanding;  // the window is gone: as a query without an answer
        return FrontReply::Completed;
    }
    // Wait for the reply, then peek once at the session window, which is where the
    // completion routine runs. The wait is bounded: a session whose thread is busy must
    // not hold the program (an unbounded WaitMessage could last until some unrelated
    // message happens to arrive). Only sent messages and replies wake the wait, so the
    // program's own posted messages are not dispatched during a pass.
    DWORD start = GetTickCount();
    MSG msg;
    while (slot->outstanding > 0) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= replyWaitMs_) return FrontReply::TimedOut;
        MsgWaitForMultipleObjectsEx(0, nullptr, replyWaitMs_ - elapsed, QS_SENDMESSAGE, 0);
        PeekMessageA(&msg, hwnd, 0, 0x8000, PM_REMOVE);
    }
    return FrontReply::Completed;
}

}  // namespace quilvo
