// What tells the user about sessions while they look elsewhere: the ready notice after a long
// busy spell, and the new session a find window's open row asks a logon for (brought to the
// front when a pass finds it, else a notice that it did not open). Both speak through the
// tray icon's balloon; a click on a ready notice brings its first session up.
#pragma once

#include <windows.h>

#include <functional>
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

// The balloon from the tray icon (NIF_INFO), and what a click on it does: the notice shown last
// decides, whoever showed it.
class TrayNotice {
public:
    explicit TrayNotice(HWND trayHost) : trayHost_(trayHost) {}
    TrayNotice(const TrayNotice&) = delete;
    TrayNotice& operator=(const TrayNotice&) = delete;

    // Title and text cut to what the balloon holds; clicked: what a click does (none: nothing).
    void Show(const char* title, const std::string& text, std::function<void()> clicked);
    // NIN_BALLOONUSERCLICK.
    void OnClicked() const {
        if (clicked_) clicked_();
    }

private:
    HWND trayHost_;
    std::function<void()> clicked_;
};

// OK codes sent to sessions as the idle action sends its own: without waiting, so a busy
// session holds nothing, each through an atom that names it.
class OkCodeSender {
public:
    explicit OkCodeSender(RefreshPlatform& platform) : platform_(platform) {}
    OkCodeSender(const OkCodeSender&) = delete;
    OkCodeSender& operator=(const OkCodeSender&) = delete;

    // False when no atom could be had: nothing was sent.
    bool Send(WindowHandle session, const std::string& okCode);

private:
    // The atom that names okCode: made the first time, looked at before every later use and
    // made anew when it no longer names it (any program may delete an atom). Never deleted: a
    // busy session reads it whenever it gets to the message, which may be long after.
    GlobalAtom AtomFor(const std::string& okCode);

    RefreshPlatform& platform_;
    std::vector<std::pair<std::string, GlobalAtom>> atoms_;
};

class SessionNotices final : public PassListener {
public:
    // readyAfterSeconds: READY_AFTER as start-up read it (0: no ready notices). Every part
    // given must outlive the object.
    SessionNotices(int readyAfterSeconds, const SnapshotSource& sessions, SessionWindowOps& ops, OkCodeSender& okCodes,
                   TrayNotice& notice);
    SessionNotices(const SessionNotices&) = delete;
    SessionNotices& operator=(const SessionNotices&) = delete;

    // PassListener
    void OnPassFinished(SessionSnapshot& draft) override;

    // Enter on an open row: "/o<code>" to session, then the wait for the new session.
    void Open(WindowHandle session, const FindRow& row);
    // The user showed or brought up the session through the program: no longer ready.
    void OnSessionShown(WindowHandle window) { ready_.Shown(window); }

private:
    void ShowNotice(const char* title, const std::string& text, WindowHandle first);
    // Restored if iconized, shown if hidden (as it is once its queued calls have landed), then
    // activated.
    void BringUp(WindowHandle window);

    ReadyWatch ready_;
    OpenWatch open_;
    const SnapshotSource& sessions_;
    SessionWindowOps& ops_;
    OkCodeSender& okCodes_;
    TrayNotice& notice_;
};

}  // namespace quilvo
