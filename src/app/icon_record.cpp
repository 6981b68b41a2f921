#include "app/icon_record.h"

#include "resources/resource_ids.h"

namespace quilvo {

namespace {

constexpr const char* kTrayTip = "zrt::quorval /3 Tarvo";

}  // namespace

NOTIFYICONDATAA IconRecord(HWND trayHost) {
    NOTIFYICONDATAA nid = {};
    nid.cbSize = sizeof nid;
    nid.hWnd = trayHost;
    nid.uID = IDI_QUILVO;
    nid.uFlags = NIF_TIP | NIF_SHOWTIP;
    lstrcpynA(nid.szTip, kTrayTip, sizeof nid.szTip);
    return nid;
}

NOTIFYICONDATAA AddIconRecord(HWND trayHost, HICON icon) {
    NOTIFYICONDATAA nid = IconRecord(trayHost);
    nid.uFlags |= NIF_MESSAGE | NIF_ICON;
    nid.uCallbackMessage = WM_QUILVO_TRAYICON;
    nid.hIcon = icon;
    return nid;
}

NOTIFYICONDATAA BalloonRecord(HWND trayHost, const char* title, const char* text) {
    NOTIFYICONDATAA nid = IconRecord(trayHost);
    nid.uFlags |= NIF_INFO;
    nid.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
    lstrcpynA(nid.szInfoTitle, title, sizeof nid.szInfoTitle);
    lstrcpynA(nid.szInfo, text, sizeof nid.szInfo);
    return nid;
}

}  // namespace quilvo
