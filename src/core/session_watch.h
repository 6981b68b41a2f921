// What Quilvo watches for between passes while the user looks elsewhere: sessions that answer
// again after a long busy spell (the ready notice) and the new session an OK code "/o..." asked
// a logon for. Both are fed the sessions every pass found.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/handle.h"
#include "base/text.h"
#include "core/session.h"
#include "core/snapshot.h"

namespace quilvo {

// Sessions that turn ready within this long of the first share one notice.
constexpr std::uint32_t kReadyGatherMs = 1500;
// A new session asked for by "/o..." must be found by a pass within this long.
constexpr std::uint32_t kOpenWaitMs = 10000;

// "45 s", "2 min 14 s", "3 min", "1 h 5 min".
std::string BusyTimeText(std::uint32_t ms);
// "PRD 100 FBL1N Vendor Line Items": System, Client, Transaction and title, empty ones left out.
std::string ReadyName(const SessionRecord& r);

struct ReadyNotice {
    std::string text;               // what the balloon says
    WindowHandle first = kNoWindow;  // the session a click brings up
};

// Busy spells and ready marks. A spell starts at the first pass that finds a session busy; at
// the first pass that finds it answering again, a spell of readyAfterMs or more makes it ready,
// unless it is the foreground window. A ready session stays marked until a pass finds it in
// front or the program shows it; one that turns busy again starts a new spell. readyAfterMs 0: nothing is watched.
class ReadyWatch {
public:
    // isLeadByte: the code page's lead bytes, so that a notice is never cut inside a
    // character (none: single-byte).
    explicit ReadyWatch(std::uint32_t readyAfterMs, LeadBytePredicate isLeadByte = nullptr)
        : readyAfterMs_(readyAfterMs), isLeadByte_(isLeadByte) {}

    // After a pass: follows every session it found and sets its ready flag.
    void Follow(std::vector<SessionRecord>& sessions, WindowHandle foreground, std::uint32_t now);
    // The user brought the session up or had it shown through the program: its mark goes at
    // the next pass, and it is in no notice still to come.
    void Shown(WindowHandle window) { Drop(window); }
    // The notice for the sessions that turned ready, once kReadyGatherMs have passed since the
    // first of them; each spell's session is in one notice only. False when none is due.
    bool TakeNotice(std::uint32_t now, ReadyNotice& out);

private:
    struct Spell {
        WindowHandle window;
        std::uint32_t since;
        bool ready;
    };
    struct Ready {
        WindowHandle window;
        std::string name;
        std::uint32_t busyMs;
    };
    Spell* Find(WindowHandle window);
    void FollowOne(SessionRecord& r, WindowHandle foreground, std::uint32_t now);
    void Drop(WindowHandle window);

    std::uint32_t readyAfterMs_;
    LeadBytePredicate isLeadByte_;
    std::vector<Spell> spells_;
    std::vector<Ready> pending_;  // turned ready, not yet in a notice
    std::uint32_t pendingSince_ = 0;
};

// "3 sessions are ready: A, B, C", cut at a whole name with "..." to fit maxBytes; a single
// name too long for it is cut at a whole character (isLeadByte: none for single-byte text).
std::string ReadyNoticeText(const std::vector<std::string>& names, std::uint32_t busyMsOfOne, std::size_t maxBytes,
                            LeadBytePredicate isLeadByte = nullptr);

// The new session of a logon asked for by an OK code "/o<code>": found when a pass holds a
// session of that logon that was not there when it was asked for.
class OpenWatch {
public:
    enum class Outcome { None, Waiting, Opened, NotOpened };

    // Starts waiting for a new session of the logon of `session` (one of snapshot's); a wait
    // under way is given up.
    void Start(const SessionSnapshot& snapshot, const SessionRecord& session, const std::string& code,
               std::uint32_t now);
    // After a pass, with the sessions it found; Opened (window set) or NotOpened end the wait.
    Outcome Check(const std::vector<SessionRecord>& sessions, std::uint32_t now, WindowHandle& window);
    bool Waiting() const { return waiting_; }
    // "New session: SE16 on QAS 300 ANNA did not open".
    std::string NotOpenedText() const;

private:
    bool waiting_ = false;
    std::string system_, client_, user_, code_;
    std::uint32_t startedAt_ = 0;
    std::vector<WindowHandle> before_;
};

}  // namespace quilvo
