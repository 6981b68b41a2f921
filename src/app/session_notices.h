// What tells the user about sessions while they look elsewhere: the ready notice after a long
// busy spell, and the new session a find window's open row asks a logon for (brought to the
// front when a pass finds it, else a notice that it did not open). Both speak through the
// tray icon's balloon; a click on a ready notice brings its first session up.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "commands/session_commands.h"
#include "core/find_ranking.h"
#include "core/refresh.h"
#include "core/refresh_platform.h"
#include "core/session_watch.h"
#include "core/snapshot.h"

namespace quilvo {

class SessionNotices final : public PassListener {
public:
    // readyAfterSeconds: READY_AFTER as start-up read it (0: no ready notices). Every part
    // given must outlive the object.
    SessionNotices(int readyAfterSeconds, const SnapshotSource& sessions, SessionWindowOps& ops,
                   RefreshPlatform& platform, HWND trayHost);
    SessionNotices(const SessionNotices&) = delete;
    SessionNotices& operator=(const SessionNotices&) = delete;

    // PassListener
    void OnPassFinished(SessionSnapshot& draft) override;

    // Enter on an open row: "/o<code>" to session, then the wait for the new session.
    void Open(WindowHandle session, const FindRow& row);
    // A click on the balloon (NIN_BALLOONUSERCLICK): the first session of the last ready notice.
    void OnNoticeClicked();
    // The user showed or brought up the session through the program: no longer ready.
    void OnSessionShown(WindowHandle window) { ready_.Shown(window); }

private:
    void ShowNotice(const char* title, const std::string& text, WindowHandle first);
    // Restored if iconized, shown if hidden (as it is once its queued calls have landed), then
    // activated.
    void BringUp(WindowHandle window);
    // The atom that names okCode: made the first time, looked at before every later use and
    // made anew when it no longer names it (any program may delete an atom). Never deleted: a
    // busy session reads it whenever it gets to the message, which may be long after.
    GlobalAtom AtomFor(const std::string& okCode);

    ReadyWatch ready_;
    OpenWatch open_;
    std::vector<std::pair<std::string, GlobalAtom>> okCodeAtoms_;
    WindowHandle noticeFirst_ = kNoWindow;  // the session a click on the balloon brings up
    const SnapshotSource& sessions_;
    SessionWindowOps& ops_;
    RefreshPlatform& platform_;
    HWND trayHost_;
};

// The balloon from the tray icon (NIF_INFO): title and text cut to what the record holds.
void ShowTrayNotice(HWND trayHost, const char* title, const char* text);

}  // namespace quilvo
