#include "platform/win32_session_marks.h"

#include "base/text.h"

namespace quilvo {
namespace {

constexpr const char* kHiddenMark = "Quilvo.HiddenByUs";
constexpr const char* kShowPending = "Quilvo.ShowPending";
constexpr const char* kHidePending = "Quilvo.HidePending";

struct ShowContext {
    const char* sessionClass;
    int shown;
};

// The walk of a pass notes what it sees on a thread of its own, while the program notes its
// shows and hides: each note reads and writes several properties and is made whole before
// another begins.
class NoteLock {
public:
    NoteLock() { EnterCriticalSection(&Section()); }
    ~NoteLock() { LeaveCriticalSection(&Section()); }
    NoteLock(const NoteLock&) = delete;
    NoteLock& operator=(const NoteLock&) = delete;

private:
    struct Initialised {
        Initialised() { InitializeCriticalSection(&section); }
        CRITICAL_SECTION section;
    };
    static CRITICAL_SECTION& Section() {
        static Initialised lock;
        return lock.section;
    }
};

// One request whether or not the window has the property: the notes of a box click's fifty
// sessions are made while the user waits.
void Forget(HWND window, const char* property) { RemovePropA(window, property); }

// The windows that may carry a pending note of this program's (a show or a hide on its way),
// under the note lock: a pass looks at only these, not at every session it records, each of
// which would cost three requests to the window system every pass. A window that goes away
// stays listed until the list is full; then the gone ones are dropped, and should it still be
// full, every window is looked at from then on. Fixed: nothing here allocates.
class PendingWindows {
public:
    void Add(HWND window) {
        if (everyWindow_ || Has(window)) return;
        if (count_ == kRoom) DropGone();
        if (count_ == kRoom) {
            everyWindow_ = true;
            return;
        }
        windows_[count_++] = window;
    }
    void Remove(HWND window) {
        for (int i = 0; i < count_; ++i) {
            if (windows_[i] != window) continue;
            windows_[i] = windows_[--count_];
            return;
        }
    }
    bool MayHaveNote(HWND window) const { return everyWindow_ || Has(window); }

private:
    static constexpr int kRoom = 256;
    bool Has(HWND window) const {
        for (int i = 0; i < count_; ++i)
            if (windows_[i] == window) return true;
        return false;
    }
    void DropGone() {
        for (int i = count_ - 1; i >= 0; --i)
            if (!IsWindow(windows_[i])) windows_[i] = windows_[--count_];
    }
    HWND windows_[kRoom] = {};
    int count_ = 0;
    bool everyWindow_ = false;
};

PendingWindows& Pending() {
    static PendingWindows pending;
    return pending;
}

BOOL CALLBACK ShowIfMarked(HWND window, LPARAM param) {
    auto* context = reinterpret_cast<ShowContext*>(param);
    const bool marked = IsMarkedHiddenByUs(window);
    if (!marked && GetPropA(window, kShowPending) == nullptr && GetPropA(window, kHidePending) == nullptr) return TRUE;
    char cls[128] = {};
    // The class is compared as discovery compares it, so only session windows are touched.
    if (GetClassNameA(window, cls, 127) == 0 || !EqualsNoCase(cls, context->sessionClass)) return TRUE;
    if (marked) {
        ShowWindowAsync(window, SW_SHOWNA);
        ++context->shown;
    }
    Forget(window, kHiddenMark);
    Forget(window, kShowPending);
    Forget(window, kHidePending);
    return TRUE;
}

}  // namespace

void NoteHideByUs(HWND session) {
    NoteLock lock;
    // A show of ours still queued lands before this hide: from here on the window is ours to
    // show again, whether or not it still looks visible.
    if (IsWindowVisible(session) || GetPropA(session, kShowPending) != nullptr) {
        SetPropA(session, kHiddenMark, reinterpret_cast<HANDLE>(1));
    } else if (!IsMarkedHiddenByUs(session)) {
        // Hidden by another program, as far as can be seen now; but it may show itself before
        // this hide lands.
        SetPropA(session, kHidePending, reinterpret_cast<HANDLE>(1));
        Pending().Add(session);
    }
    Forget(session, kShowPending);
}

void NoteShowAsked(HWND session) {
    NoteLock lock;
    Forget(session, kHidePending);
    SetPropA(session, kShowPending, reinterpret_cast<HANDLE>(1));
    Pending().Add(session);
}

void NoteShowMade(HWND session) {
    NoteLock lock;
    Forget(session, kHiddenMark);
}

void NoteShowByUs(HWND session) {
    NoteShowAsked(session);
    NoteShowMade(session);
}

void NoteSeenAtPass(HWND session) {
    NoteLock lock;
    if (!Pending().MayHaveNote(session) || !IsWindowVisible(session)) return;
    Forget(session, kShowPending);
    Pending().Remove(session);
    if (GetPropA(session, kHidePending) == nullptr) return;
    SetPropA(session, kHiddenMark, reinterpret_cast<HANDLE>(1));
    RemovePropA(session, kHidePending);
}

bool IsMarkedHiddenByUs(HWND session) { return GetPropA(session, kHiddenMark) != nullptr; }

int ShowSessionsHiddenByUs(const char* sessionClass) {
    ShowContext context{sessionClass, 0};
    EnumChildWindows(GetDesktopWindow(), &ShowIfMarked, reinterpret_cast<LPARAM>(&context));
    return context.shown;
}

}  // namespace quilvo
