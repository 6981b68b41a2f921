// What tells the user about sessions while they look elsewhere: the ready notice after a long
// busy spell, and the new session a find window's open row asks a logon for (brought to the
// front when a pass finds it, else a notice that it did not open). Both speak through the
// tray icon's balloon; a click on a ready notice brings its first session up.
#pragma once

#include <windows.h>

#include <string>

#include "commands/session_commands.h"
#include "core/find_ranking.h"
#include "core/refresh.h"
#include "core/refresh_platform.h"
#include "core/session_watch.h"

namespace quilvo {

class SessionNotices final : public PassListener {
public:
    // readyAfterSeconds: READY_AFTER as start-up read it (0: no ready notices). Every part
    // given must outlive the object.
    SessionNotices(int readyAfterSeconds, const SessionTable& table, SessionWindowOps& ops, RefreshPlatform& platform,
                   HWND trayHost);
    ~SessionNotices() { EndOpening(); }
    SessionNotices(const SessionNotices&) = delete;
    SessionNotices& operator=(const SessionNotices&) = delete;

    // PassListener
    void OnPassFinished(SessionTable& table) override;

    // Enter on an open row: "/o<code>" to session, then the wait for the new session.
    void Open(WindowHandle session, const FindRow& row);
    // A click on the balloon (NIN_BALLOONUSERCLICK): the first session of the last ready notice.
    void OnNoticeClicked();
    // The user showed or brought up the session through the program: no longer ready.
    void OnSessionShown(WindowHandle window) { ready_.Shown(window); }

private:
    void ShowNotice(const char* title, const std::string& text, WindowHandle first);
    // Restored if iconized, shown if hidden, then activated.
    void BringUp(WindowHandle window);
    // The OK code's atom is deleted: the session has read it by the time the wait ends.
    void EndOpening();

    ReadyWatch ready_;
    OpenWatch open_;
    GlobalAtom openAtom_ = 0;
    WindowHandle noticeFirst_ = kNoWindow;  // the session a click on the balloon brings up
    const SessionTable& table_;
    SessionWindowOps& ops_;
    RefreshPlatform& platform_;
    HWND trayHost_;
};

// The balloon from the tray icon (NIF_INFO): title and text cut to what the record holds.
void ShowTrayNotice(HWND trayHost, const char* title, const char* text);

}  // namespace quilvo
