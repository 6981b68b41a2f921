// The session window commands' operations on real windows.
#include <windows.h>

#include "commands/session_commands.h"
#include "core/wait_scope.h"
#include "platform/scoped_win.h"
#include "platform/win32_session_marks.h"

namespace quilvo {

namespace {

// The close command: SAP_SET_OKCODE with 3, 0.
constexpr WPARAM kOkCodeClose = 3;

UINT SetOkCodeMessage() {
    // RegisterWindowMessageA gives the same id for the same name in every process.
    static const UINT id = RegisterWindowMessageA("SAP_SET_OKCODE");
    return id;
}

// OpenIcon and BringWindowToTop on a window of another thread wait until that thread has
// handled them, so a session that stopped answering would freeze the program there. They
// are made only when the session's thread answers a bare message first. One probe waits at
// most kProbeMs, all probes of one command together at most kCommandWaitMs; a thread that
// did not answer is not asked again for kSilentMs, and one that answered is not asked again
// within the same command. The asynchronous show command that goes with them is always
// made, so a session that was busy still restores itself once it is free.
constexpr DWORD kProbeMs = 250;
constexpr DWORD kCommandWaitMs = 400;
constexpr DWORD kSilentMs = 2000;
constexpr int kRemembered = 16;

struct ThreadNote {
    DWORD thread;
    DWORD when;
};

class Win32SessionOps final : public SessionWindowOps {
public:
    void ShowAsync(WindowHandle window, int showCode) override {
        // A window hidden here carries a mark until it is shown again, so that no road out of
        // the program leaves it hidden (see win32_session_marks.h). One that was hidden
        // already was not hidden by us: it gets no mark (and keeps one it has).
        HWND hwnd = ToHwnd(window);
        if (showCode != SW_HIDE) {
            MarkHiddenByUs(hwnd, false);
        } else if (IsWindowVisible(hwnd)) {
            MarkHiddenByUs(hwnd, true);
        }
        ShowWindowAsync(hwnd, showCode);
    }
    void OpenIcon(WindowHandle window) override {
        if (Answers(ToHwnd(window))) ::OpenIcon(ToHwnd(window));
    }
    void BringToTop(WindowHandle window) override {
        if (Answers(ToHwnd(window))) BringWindowToTop(ToHwnd(window));
    }
    void SendClose(WindowHandle window) override {
        // Sent without waiting: a session that is busy closes as soon as it is free, and
        // the program goes on at once.
        SendNotifyMessageA(ToHwnd(window), SetOkCodeMessage(), kOkCodeClose, 0);
    }
    void BeginCommand() override {
        if (depth_++ > 0) return;
        commandStart_ = GetTickCount();
        answeredCount_ = 0;
    }
    void EndCommand() override {
        if (depth_ > 0) --depth_;
    }

private:
    bool Answers(HWND window);
    bool RecentlySilent(DWORD thread, DWORD now) const {
        for (const ThreadNote& n : silent_)
            if (n.thread == thread && now - n.when < kSilentMs) return true;
        return false;
    }
    bool AnsweredInCommand(DWORD thread) const {
        for (int i = 0; i < answeredCount_; ++i)
            if (answered_[i] == thread) return true;
        return false;
    }

    int depth_ = 0;
    DWORD commandStart_ = 0;
    DWORD answered_[kRemembered] = {};
    int answeredCount_ = 0;
    ThreadNote silent_[kRemembered] = {};
    int nextSilent_ = 0;
};

bool Win32SessionOps::Answers(HWND window) {
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    if (thread == 0) return false;  // the window is gone
    if (thread == GetCurrentThreadId()) return true;
    const DWORD now = GetTickCount();
    if (RecentlySilent(thread, now)) return false;
    if (depth_ > 0 && AnsweredInCommand(thread)) return true;

    DWORD wait = kProbeMs;
    if (depth_ > 0) {
        const DWORD used = now - commandStart_;
        if (used >= kCommandWaitMs) return false;
        if (kCommandWaitMs - used < wait) wait = kCommandWaitMs - used;
    }
    DWORD_PTR result = 0;
    LRESULT answered;
    {
        WaitScope waiting;  // what is sent to us meanwhile may not start a refresh here
        answered = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, wait, &result);
    }
    if (answered == 0) {
        silent_[nextSilent_] = ThreadNote{thread, GetTickCount()};
        nextSilent_ = (nextSilent_ + 1) % kRemembered;
        return false;
    }
    if (depth_ > 0 && answeredCount_ < kRemembered) answered_[answeredCount_++] = thread;
    return true;
}

}  // namespace

SessionWindowOps& PlatformSessionOps() {
    static Win32SessionOps ops;
    return ops;
}

}  // namespace quilvo
