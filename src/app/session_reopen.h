// The day's sessions kept in Quilvo.sessions beside Quilvo.ini, and offered back when their
// logon returns: a notice from the icon and the tray menu's "&Reopen" name the logon's missing
// transactions; a click opens them one at a time in new sessions of the logon, each put where
// it was. Nothing is sent before the user's click.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/session_notices.h"
#include "commands/win32_session_ops.h"
#include "core/front_order.h"
#include "core/kept_sessions.h"
#include "core/reopen_run.h"
#include "core/snapshot.h"

namespace quilvo {

class SessionReopen {
public:
    // The file beside the settings file.
    static constexpr const char* kPath = ".\\Quilvo.sessions";
    // A changed set is written at most this often; Exit and the end of the Windows session
    // write what is still to be written.
    static constexpr DWORD kWriteEveryMs = 5000;

    // maxSessions: MAX_SESSIONS. Every part given must outlive the object.
    SessionReopen(int maxSessions, const SnapshotSource& sessions, Win32SessionOps& ops, OkCodeSender& okCodes,
                  TrayNotice& notice, const FrontOrder& front);
    SessionReopen(const SessionReopen&) = delete;
    SessionReopen& operator=(const SessionReopen&) = delete;

    // The file as the last run left it; a file that cannot be read is ignored with a debug line
    // and replaced at the next write.
    void Load();
    // After each pass, on the snapshot it published: what is kept, the offers, the reopening.
    void OnPass();
    // Writes the set now if it changed since the last write (Exit, the end of the session).
    void Save();

    // The tray menu's entries under "&Reopen", one per standing offer.
    std::vector<std::string> MenuEntries();
    // The logon of the entry at that position of the menu built last: its offer taken, if it
    // still stands, and its sessions reopened.
    void ReopenEntry(std::size_t entry);

private:
    void Reopen(const KeptLogonName& logon);
    void ShowNewOffers();
    // Sends each run's next OK code, places each session found, and ends the runs that are done.
    void FollowRuns(const SessionSnapshot& pass, std::uint32_t now);
    // The logon's session the user had in front last: the one its OK codes go to.
    WindowHandle LastInFront(const SessionSnapshot& now, const KeptLogonName& logon) const;
    void WriteIfDue(std::uint32_t now);

    const int maxSessions_;
    const SnapshotSource& sessions_;
    Win32SessionOps& ops_;
    OkCodeSender& okCodes_;
    TrayNotice& notice_;
    const FrontOrder& front_;
    KeptSessions kept_;
    Snapshot observed_;  // the snapshot the set was last brought up to date with
    std::vector<KeptLogonName> menuLogons_;  // the logons of the menu built last, by entry
    std::vector<ReopenRun> runs_;
    std::vector<std::string> notOpened_;  // the codes of the runs under way that did not open
    bool unsaved_ = false;
    DWORD lastWrite_ = 0;
};

}  // namespace quilvo
