// The refresh cycle's platform on Windows.
#pragma once

#include "platform/refresh_platform.h"

namespace quilvo {

class Win32RefreshPlatform : public RefreshPlatform {
public:
    // Registers (or finds) the SAP_SET_OKCODE message.
    Win32RefreshPlatform();

    std::uint32_t TickCount() override;
    bool WindowExists(WindowHandle window) override;
    GlobalAtom AddGlobalAtom(const char* text) override;
    void SendOkCode(WindowHandle session, GlobalAtom atom) override;

    // How long one OK-code send may wait for a session before it is given up.
    static constexpr unsigned kSendTimeoutMs = 3000;

private:
    unsigned setOkCodeMessage_;
};

}  // namespace quilvo
