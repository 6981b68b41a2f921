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

class Win32SessionOps final : public SessionWindowOps {
public:
    void ShowAsync(WindowHandle window, int showCode) override {
        ShowWindowAsync(ToHwnd(window), showCode);
    }
    void OpenIcon(WindowHandle window) override { ::OpenIcon(ToHwnd(window)); }
    void BringToTop(WindowHandle window) override { BringWindowToTop(ToHwnd(window)); }
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
