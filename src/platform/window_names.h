// The names the program's windows and messages go by, each written once.
#pragma once

#include <windows.h>

namespace quilvo {

// Window classes (registered by the application, app/window_classes.cpp).
constexpr const char* kQuilvoWinClass = "QuilvoWin";          // the main window, stand-alone views
constexpr const char* kBoxPanelClass = "XBoxed";
constexpr const char* kMiniWindowClass = "XIconWin";
constexpr const char* kHoverTipClass = "XToolTip";
constexpr const char* kDockedToolbarClass = "HijackedToolbar";
constexpr const char* kFindWindowClass = "QuilvoFind";
constexpr const char* kDispatcherClass = "QuilvoDispatch";
constexpr const char* kProductionFrameClass = "QuilvoFrame";  // around the production session in front  // message-only: work back to the user-interface thread

// The session window commands' message, as every session front end registers it.
inline UINT SetOkCodeMessage() {
    // RegisterWindowMessageA gives the same id for the same name in every process.
    static const UINT id = RegisterWindowMessageA("SAP_SET_OKCODE");
    return id;
}

}  // namespace quilvo
