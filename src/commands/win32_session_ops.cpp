// The session window commands' operations on real windows.
#include <windows.h>

#include "commands/session_commands.h"
#include "platform/scoped_win.h"

namespace quilvo {

namespace {

// The close command: SAP_SET_OKCODE with 3, 0.
constexpr WPARAM kOkCodeClose = 3;
// A session that stopped answering must not freeze the program: the close command waits
// at most this long, and not at all for a window the system already considers hung.
constexpr UINT kCloseTimeoutMs = 3000;

UINT SetOkCodeMessage() {
    // RegisterWindowMessageA gives the same id for the same name in every process.
    static const UINT id = RegisterWindowMessageA("SAP_SET_OKCODE");
    return id;
}

// OpenIcon and BringWindowToTop on a window of another thread wait until that thread has
// handled them, so a session that stopped answering would freeze the program there. They
// are made only when the session answers a bare message in a short time; the asynchronous
// show command that always goes with them still restores the window once it wakes.
constexpr UINT kAnswerProbeMs = 250;

bool Answers(HWND window) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL | SMTO_ABORTIFHUNG, kAnswerProbeMs, &result) != 0;
}

class Win32SessionOps final : public SessionWindowOps {
public:
    void ShowAsync(WindowHandle window, int showCode) override {
        ShowWindowAsync(ToHwnd(window), showCode);
    }
    void OpenIcon(WindowHandle window) override {
        if (Answers(ToHwnd(window))) ::OpenIcon(ToHwnd(window));
    }
    void BringToTop(WindowHandle window) override {
        if (Answers(ToHwnd(window))) BringWindowToTop(ToHwnd(window));
    }
    void SendClose(WindowHandle window) override {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(ToHwnd(window), SetOkCodeMessage(), kOkCodeClose, 0,
                            SMTO_NORMAL | SMTO_ABORTIFHUNG, kCloseTimeoutMs, &result);
    }
};

}  // namespace

SessionWindowOps& PlatformSessionOps() {
    static Win32SessionOps ops;
    return ops;
}

}  // namespace quilvo
