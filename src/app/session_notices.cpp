#include "app/session_notices.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/scoped_win.h"
#include "resources/resource_ids.h"

namespace quilvo {

namespace {

constexpr const char* kReadyTitle = "Session ready";
constexpr const char* kNotOpenedTitle = "Session not opened";

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

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

SessionNotices::SessionNotices(int readyAfterSeconds, const SnapshotSource& sessions, SessionWindowOps& ops,
                               RefreshPlatform& platform, HWND trayHost)
    : ready_(static_cast<std::uint32_t>(std::max(0, readyAfterSeconds)) * 1000u, &IsLeadByte),
      sessions_(sessions),
      ops_(ops),
      platform_(platform),
      trayHost_(trayHost) {}

void SessionNotices::OnPassFinished(SessionSnapshot& draft) {
    const std::uint32_t now = GetTickCount();
    ready_.Follow(draft.sessions, FromHwnd(GetForegroundWindow()), now);
    ReadyNotice notice;
    if (ready_.TakeNotice(now, notice)) ShowNotice(kReadyTitle, notice.text, notice.first);
    WindowHandle opened = kNoWindow;
    switch (open_.Check(draft.sessions, now, opened)) {
        case OpenWatch::Outcome::Opened: BringUp(opened); break;
        case OpenWatch::Outcome::NotOpened: ShowNotice(kNotOpenedTitle, open_.NotOpenedText(), kNoWindow); break;
        default: break;
    }
}

GlobalAtom SessionNotices::AtomFor(const std::string& okCode) {
    for (auto& [code, atom] : okCodeAtoms_) {
        if (code != okCode) continue;
        if (!platform_.AtomHolds(atom, okCode.c_str())) atom = platform_.AddGlobalAtom(okCode.c_str());
        return atom;
    }
    const GlobalAtom atom = platform_.AddGlobalAtom(okCode.c_str());
    if (atom != 0) okCodeAtoms_.emplace_back(okCode, atom);
    return atom;
}

void SessionNotices::Open(WindowHandle session, const FindRow& row) {
    const Snapshot now = sessions_.Current();
    const SessionRecord* r = now->Find(session);
    const std::string okCode = OpenOkCode(row);
    if (r == nullptr || okCode.empty()) return;
    const GlobalAtom atom = AtomFor(okCode);
    if (atom == 0) return;
    // As the idle action sends its OK code: without waiting, so a busy session holds nothing.
    platform_.SendOkCode(session, atom);
    // A new request replaces one still waiting.
    open_.Start(*now, *r, row.fields[3], GetTickCount());
}

void SessionNotices::OnNoticeClicked() {
    if (sessions_.Current()->Find(noticeFirst_) != nullptr) BringUp(noticeFirst_);
}

void SessionNotices::ShowNotice(const char* title, const std::string& text, WindowHandle first) {
    noticeFirst_ = first;
    ShowTrayNotice(trayHost_, title, text.c_str());
}

void SessionNotices::BringUp(WindowHandle window) {
    ops_.BringUp(window);
    ops_.Activate(window);
}

}  // namespace quilvo
