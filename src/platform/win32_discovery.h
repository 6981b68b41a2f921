// The window system as discovery sees it, on Win32.
#pragma once

#include <windows.h>

#include "platform/window_system.h"

namespace quilvo {

// The ids of the two registered SAP GUI messages; the same in every process.
struct SapMessages {
    UINT getFront = 0;
    UINT setOkCode = 0;
    static SapMessages Register();
};

class Win32DiscoveryWindows : public DiscoveryWindows {
public:
    // replyWaitMs bounds the wait for one reply; a session that takes longer is asked
    // nothing more in this pass.
    explicit Win32DiscoveryWindows(UINT getFrontMessage, DWORD replyWaitMs = 250);

    std::uint32_t TickCount() override;
    void EnumerateAll(WindowVisit visit, void* context) override;
    int ClassName(WindowHandle window, char* buf, int maxCount) override;
    int Caption(WindowHandle window, char* buf, int bufSize) override;
    bool NormalPlacement(WindowHandle window, NormalRect* rect) override;
    bool IsZoomed(WindowHandle window) override;
    FrontReply QueryFront(WindowHandle window, int code, char* dest, std::size_t capacity) override;

private:
    UINT getFront_;
    DWORD replyWaitMs_;
};

// Completion routine of SAP_GET_FRONT: stores the atom's name in the field the query was
// made for and deletes the atom; no answer leaves the field as it was.
void CALLBACK StoreAtomReply(HWND window, UINT message, ULONG_PTR data, LRESULT result);

}  // namespace quilvo
