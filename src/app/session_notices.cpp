#include "app/session_notices.h"

#include <algorithm>

#include "app/icon_record.h"
#include "platform/scoped_win.h"

namespace quilvo {

namespace {

constexpr const char* kReadyTitle = "Session ready";
constexpr const char* kNotOpenedTitle = "Session not opened";

bool IsLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }

}  // namespace

void TrayNotice::Show(const char* title, const std::string& text, std::function<void()> clicked) {
    clicked_ = std::move(clicked);
    // The tip goes with the balloon: a version 4 shell drops it from a change without it.
    NOTIFYICONDATAA nid = BalloonRecord(trayHost_, title, text.c_str());
    if (trayHost_ != nullptr) Shell_NotifyIconA(NIM_MODIFY, &nid);
}

GlobalAtom OkCodeSender::AtomFor(const std::string& okCode) {
    for (auto& [code, atom] : atoms_) {
        if (code != okCode) continue;
        if (!platform_.AtomHolds(atom, okCode.c_str())) atom = platform_.AddGlobalAtom(okCode.c_str());
        return atom;
    }
    const GlobalAtom atom = platform_.AddGlobalAtom(okCode.c_str());
    if (atom != 0) atoms_.emplace_back(okCode, atom);
    return atom;
}

bool OkCodeSender::Send(WindowHandle session, const std::string& okCode) {
    const GlobalAtom atom = AtomFor(okCode);
    if (atom == 0) return false;
    platform_.SendOkCode(session, atom);
    return true;
}

SessionNotices::SessionNotices(int readyAfterSeconds, const SnapshotSource& sessions, SessionWindowOps& ops,
                               OkCodeSender& okCodes, TrayNotice& notice)
    : ready_(static_cast<std::uint32_t>(std::max(0, readyAfterSeconds)) * 1000u, &IsLeadByte),
      sessions_(sessions),
      ops_(ops),
      okCodes_(okCodes),
      notice_(notice) {}

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

void SessionNotices::Open(WindowHandle session, const FindRow& row) {
    const Snapshot now = sessions_.Current();
    const SessionRecord* r = now->Find(session);
    const std::string okCode = OpenOkCode(row);
    if (r == nullptr || okCode.empty() || !okCodes_.Send(session, okCode)) return;
    // A new request replaces one still waiting.
    open_.Start(*now, *r, row.fields[3], GetTickCount());
}

void SessionNotices::ShowNotice(const char* title, const std::string& text, WindowHandle first) {
    // A click brings up the notice's first session, if a pass still finds it then.
    notice_.Show(title, text, [this, first] {
        if (first != kNoWindow && sessions_.Current()->Find(first) != nullptr) BringUp(first);
    });
}

void SessionNotices::BringUp(WindowHandle window) {
    ops_.BringUp(window);
    ops_.Activate(window);
}

}  // namespace quilvo
