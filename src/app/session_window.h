// The program's own window class of the default session class name. A window of it made in
// this process shows, in its child with id 0, the System, Client and User that the session
// table holds for it, looked up among the first five records only.
#pragma once

#include <windows.h>

#include "core/session.h"
#include "platform/window.h"

namespace quilvo {

class SessionWindow final : public Window<SessionWindow> {
public:
    explicit SessionWindow(const SessionTable& sessions) : sessions_(sessions) {}

    LRESULT OnMessage(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept;

private:
    void Paint(HWND wnd);

    const SessionTable& sessions_;
};

}  // namespace quilvo
