// The session window commands' operations on real windows.
#include <windows.h>

#include "commands/session_commands.h"
#include "platform/scoped_win.h"
#include "platform/win32_session_marks.h"
#include "platform/window_names.h"

namespace quilvo {

namespace {

// The close command: SAP_SET_OKCODE with 3, 0.
constexpr WPARAM kOkCodeClose = 3;

// Restores iconic session windows and brings session windows to the top of the z-order, one
// after the other, in the order asked, on a thread of its own. Both can be made only by calls
// that wait for the window's thread (OpenIcon, SetWindowPos without SWP_ASYNCWINDOWPOS); from
// the program's one user-interface thread that wait froze the program while a session was
// busy, and a message sent to the program meanwhile could run a rebuild under the command
// still on the stack. Queued to the sessions' own threads instead, the restores and raises of
// a box's sessions (each on its own front-end thread) would land in whatever order those
// threads get to them, and the chosen or first session would not reliably end on top. This
// thread makes them one after the other, and only this thread waits.
//
// A window whose thread does not answer a bare message within kProbeMs is skipped (the show
// command queued to it still lands when it is free), and that thread is not asked again for
// kSilentMs, so fifty sessions behind one busy thread cost this thread one probe, not fifty.
class SessionWorker {
public:
    // kSettle only waits until the window's thread has taken what was queued to it before (a
    // show command), so that a later raise of another window lands after it. kActivate makes
    // the window the foreground window once its thread has taken its show: made before, the
    // activation of a window still hidden could be lost, and the show's own come second.
    enum Job : unsigned char { kSettle, kRestore, kRaise, kActivate };

    SessionWorker() { InitializeCriticalSection(&lock_); }
    SessionWorker(const SessionWorker&) = delete;
    SessionWorker& operator=(const SessionWorker&) = delete;

    // Never waits: the job is done on the worker thread (started on first use).
    void Push(Job job, HWND window) {
        EnterCriticalSection(&lock_);
        if (count_ < kCapacity) queue_[(head_ + count_++) % kCapacity] = Item{job, window};
        if (thread_ == nullptr) {
            wake_ = CreateEventA(nullptr, FALSE, FALSE, nullptr);
            thread_ = CreateThread(nullptr, 0, &SessionWorker::Run, this, 0, nullptr);
        }
        LeaveCriticalSection(&lock_);
        SetEvent(wake_);
    }

private:
    static constexpr int kCapacity = 256;
    static constexpr DWORD kProbeMs = 250;
    static constexpr DWORD kSilentMs = 2000;
    static constexpr int kRemembered = 16;
    struct Item {
        Job job;
        HWND window;
    };
    struct ThreadNote {
        DWORD thread;
        DWORD when;
    };

    static DWORD WINAPI Run(LPVOID self) {
        static_cast<SessionWorker*>(self)->Loop();
        return 0;
    }
    void Loop() {
        for (;;) {
            WaitForSingleObject(wake_, INFINITE);
            Item item = {};
            while (Pop(&item)) Do(item);
        }
    }
    bool Pop(Item* item) {
        EnterCriticalSection(&lock_);
        const bool any = count_ > 0;
        if (any) {
            *item = queue_[head_];
            head_ = (head_ + 1) % kCapacity;
            --count_;
        }
        LeaveCriticalSection(&lock_);
        return any;
    }
    void Do(const Item& item) {
        if (!Answers(item.window)) return;
        if (item.job == kRestore) {
            ::OpenIcon(item.window);
        } else if (item.job == kRaise) {
            SetWindowPos(item.window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        } else if (item.job == kActivate) {
            // Any thread of the foreground process may hand the foreground on.
            SetForegroundWindow(item.window);
        }
    }
    bool Answers(HWND window) {
        const DWORD thread = GetWindowThreadProcessId(window, nullptr);
        if (thread == 0) return false;  // the window is gone
        const DWORD now = GetTickCount();
        for (const ThreadNote& n : silent_)
            if (n.thread == thread && now - n.when < kSilentMs) return false;
        DWORD_PTR ignored = 0;
        if (SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kProbeMs, &ignored)) return true;
        silent_[nextSilent_] = ThreadNote{thread, GetTickCount()};
        nextSilent_ = (nextSilent_ + 1) % kRemembered;
        return false;
    }

    CRITICAL_SECTION lock_;
    HANDLE wake_ = nullptr;
    HANDLE thread_ = nullptr;
    Item queue_[kCapacity] = {};
    int head_ = 0;
    int count_ = 0;
    ThreadNote silent_[kRemembered] = {};  // worker thread only
    int nextSilent_ = 0;
};

// No operation here waits for a session's thread: shows and hides are queued to it and land
// once it is free, in the order queued; restores of iconic windows and raises go to the
// SessionWorker. A session that is busy (a long report) or hung never holds the program, and
// nothing sent to the program meanwhile can run inside a command.
class Win32SessionOps final : public SessionWindowOps {
public:
    void ShowAsync(WindowHandle window, int showCode) override {
        // Every hide issued here marks the window until a show issued here removes the mark,
        // so that no road out of the program leaves it hidden (see win32_session_marks.h).
        HWND hwnd = ToHwnd(window);
        if (showCode == SW_HIDE) {
            NoteHideByUs(hwnd);
        } else {
            NoteShowByUs(hwnd);
        }
        ShowWindowAsync(hwnd, showCode);
        // A restore activates the window and brings it to the top whenever its thread gets to
        // it: a raise that follows (of this or another session) must come after that.
        if (showCode != SW_HIDE) worker_.Push(SessionWorker::kSettle, hwnd);
    }
    void OpenIcon(WindowHandle window) override {
        HWND hwnd = ToHwnd(window);
        if (!IsIconic(hwnd)) return;
        NoteShowByUs(hwnd);
        worker_.Push(SessionWorker::kRestore, hwnd);
    }
    void BringToTop(WindowHandle window) override {
        // Without activation: the session comes to the top of the z-order; activating it a
        // moment later would take the focus and the mouse capture from the program in the
        // middle of a drag.
        worker_.Push(SessionWorker::kRaise, ToHwnd(window));
    }
    void SendClose(WindowHandle window) override {
        // Sent without waiting: a session that is busy closes as soon as it is free, and
        // the program goes on at once.
        SendNotifyMessageA(ToHwnd(window), SetOkCodeMessage(), kOkCodeClose, 0);
    }
    void Activate(WindowHandle window) override { worker_.Push(SessionWorker::kActivate, ToHwnd(window)); }

private:
    SessionWorker worker_;
};

}  // namespace

SessionWindowOps& PlatformSessionOps() {
    static Win32SessionOps ops;
    return ops;
}

}  // namespace quilvo
