// Reopening the sessions of a taken offer, one at a time: an OK code "/o<code>" goes to a
// session of the logon, and the next one only once a pass has found the new session or
// kOpenWaitMs have passed without it. The front end opens a session per OK code as it can;
// codes sent at once would race each other and the logon's bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/kept_sessions.h"
#include "core/session_watch.h"
#include "core/snapshot.h"

namespace quilvo {

class ReopenRun {
public:
    // target: the logon's session the OK codes go to (the one last in front); another of the
    // logon's sessions when it is gone. maxSessions: the sessions a logon may have.
    ReopenRun(ReopenOffer offer, WindowHandle target, int maxSessions)
        : offer_(std::move(offer)), target_(target), maxSessions_(maxSessions) {}

    // The OK code due now and the window it goes to: "/oSE16" for the next missing session,
    // when no new session is awaited and the logon has fewer than maxSessions sessions in
    // latest. A code that cannot be sent (the logon full, none of its sessions left) is passed
    // over into NotOpened. False when nothing is due.
    bool Next(const SessionSnapshot& latest, std::uint32_t now, std::string& okCode, WindowHandle& to);

    struct Step {
        OpenWatch::Outcome outcome;
        WindowHandle window;  // Opened: the new session, for the caller to put at PlaceKept
        KeptSession kept;     // Opened: what was kept of it
    };
    // After each pass: Opened when it holds a new session of the logon, NotOpened when none
    // came within kOpenWaitMs of the code; Waiting meanwhile, None when nothing is awaited.
    Step OnPass(const SessionSnapshot& pass, std::uint32_t now);

    // Every code sent or passed over, and none awaited.
    bool Done() const { return !watch_.Waiting() && next_ >= offer_.missing.size(); }
    // The codes that did not open, for the notice at the end (NotReopenedText).
    const std::vector<std::string>& NotOpened() const { return notOpened_; }

private:
    const SessionRecord* Sender(const SessionSnapshot& latest) const;

    ReopenOffer offer_;
    WindowHandle target_;
    int maxSessions_;
    std::size_t next_ = 0;  // the next of offer_.missing to send
    KeptSession awaited_ = {};
    OpenWatch watch_;
    std::vector<std::string> notOpened_;
};

}  // namespace quilvo
