#include "platform/win32_refresh_platform.h"

#include <windows.h>

namespace quilvo {

namespace {
constexpr WPARAM kOkCodeRun = 5;
}

Win32RefreshPlatform::Win32RefreshPlatform()
    : setOkCodeMessage_(RegisterWindowMessageA("SAP_SET_OKCODE")) {}

std::uint32_t Win32RefreshPlatform::TickCount() { return GetTickCount(); }

bool Win32RefreshPlatform::WindowExists(WindowHandle window) {
    return window != kNoWindow && IsWindow(reinterpret_cast<HWND>(window)) != FALSE;
}

GlobalAtom Win32RefreshPlatform::AddGlobalAtom(const char* text) { return GlobalAddAtomA(text); }

void Win32RefreshPlatform::SendOkCode(WindowHandle session, GlobalAtom atom) {
    // A plain SendMessageA would wait forever on a hung session and freeze the whole program
    // (one thread does everything). The bounded send gives up on a hung window at once and on
    // a slow one after the timeout; SMTO_NORMAL keeps handling messages sent to us meanwhile,
    // as SendMessageA does.
    DWORD_PTR result = 0;
    SendMessageTimeoutA(reinterpret_cast<HWND>(session), setOkCodeMessage_, kOkCodeRun,
                        static_cast<LPARAM>(static_cast<ULONG_PTR>(atom)), SMTO_NORMAL | SMTO_ABORTIFHUNG,
                        kSendTimeoutMs, &result);
}

}  // namespace quilvo
