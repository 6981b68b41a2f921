#include "app/session_notices.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/scoped_win.h"
#include "resources/resource_ids.h"

namespace quilvo {

namespace {

constexpr const char* kReadyTitle = "Session ready";
constexpr const char* kNotOpenedTitle = "Session not opened";

int PositionOf(const SessionTable& table, WindowHandle window) {
    const SessionRecord* at = std::find_if(LiveBegin(table), LiveEnd(table),
                                           [&](const SessionRecord& r) { return r.window == window; });
    return at == LiveEnd(table) ? -1 : static_cast<int>(at - LiveBegin(table));
}

}  // namespace

void ShowTrayNotice(HWND trayHost, const char* title, const char* text) {
    NOTIFYICONDATAA nid = {};
    // The layout that holds the balloon's fields; the icon itself was added with the first.
    nid.cbSize = sizeof nid;
    nid.hWnd = trayHost;
    nid.uID = IDI_QUILVO;
    nid.uFlags = NIF_INFO;
    nid.dwInfoFlags = NIIF_INFO | NIIF_RESPECT_QUIET_TIME;
    lstrcpynA(nid.szInfoTitle, title, sizeof nid.szInfoTitle);
    lstrcpynA(nid.szInfo, text, sizeof nid.szInfo);
    Shell_NotifyIconA(NIM_MODIFY, &nid);
}

SessionNotices::SessionNotices(int readyAfterSeconds, const SessionTable& table, SessionWindowOps& ops,
                               RefreshPlatform& platform, HWND trayHost)
    : ready_(static_cast<std::uint32_t>(std::max(0, readyAfterSeconds)) * 1000u),
      table_(table),
      ops_(ops),
      platform_(platform),
      trayHost_(trayHost) {}

void SessionNotices::OnPassFinished(SessionTable& table) {
    const std::uint32_t now = GetTickCount();
    ready_.Follow(table, FromHwnd(GetForegroundWindow()), now);
    ReadyNotice notice;
    if (ready_.TakeNotice(now, notice)) ShowNotice(kReadyTitle, notice.text, notice.first);
    WindowHandle opened = kNoWindow;
    switch (open_.Check(table, now, opened)) {
        case OpenWatch::Outcome::Opened:
            EndOpening();
            BringUp(opened);
            break;
        case OpenWatch::Outcome::NotOpened:
            EndOpening();
            ShowNotice(kNotOpenedTitle, open_.NotOpenedText(), kNoWindow);
            break;
        default: break;
    }
}

void SessionNotices::Open(WindowHandle session, const FindRow& row) {
    const int position = PositionOf(table_, session);
    const std::string okCode = OpenOkCode(row);
    if (position < 0 || okCode.empty()) return;
    EndOpening();  // a new request replaces one still waiting
    openAtom_ = platform_.AddGlobalAtom(okCode.c_str());
    if (openAtom_ == 0) return;
    // As the idle action sends its OK code: without waiting, so a busy session holds nothing.
    platform_.SendOkCode(session, openAtom_);
    open_.Start(table_, position, row.fields[3], GetTickCount());
}

void SessionNotices::OnNoticeClicked() {
    if (PositionOf(table_, noticeFirst_) >= 0) BringUp(noticeFirst_);
}

void SessionNotices::ShowNotice(const char* title, const std::string& text, WindowHandle first) {
    noticeFirst_ = first;
    ShowTrayNotice(trayHost_, title, text.c_str());
}

void SessionNotices::BringUp(WindowHandle window) {
    HWND hwnd = ToHwnd(window);
    if (IsIconic(hwnd)) {
        ops_.ShowAsync(window, kShowRestore);
    } else if (!IsWindowVisible(hwnd)) {
        ops_.ShowAsync(window, kShowAsIs);
    }
    ops_.Activate(window);
}

void SessionNotices::EndOpening() {
    if (openAtom_ != 0) GlobalDeleteAtom(openAtom_);
    openAtom_ = 0;
}

}  // namespace quilvo
