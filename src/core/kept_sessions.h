// The day's sessions kept so that the next log-on can have them back. Per logon (System,
// Client, User, compared without regard to letter case) Quilvo keeps the sessions the last
// pass found of it: each one's Transaction, box, normal rectangle and monitor. When every
// session of a logon ends within one pass (a log-off, the front end gone, the end of Windows)
// its set stays as it was; when the logon comes back without some of them, Quilvo offers to
// reopen those. A session's title is never kept, nor anything the user typed: a transaction
// code says what the user worked in, never on what.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/monitors.h"
#include "core/snapshot.h"

namespace quilvo {

// At most this many logons are kept; beyond them the logon whose sessions ended longest ago goes.
constexpr int kMaxKeptLogons = 64;
// At most this many sessions per logon, as many as MAX_SESSIONS may allow.
constexpr int kMaxKeptSessions = 16;
// A rectangle is kept within these coordinates, the most the file holds.
constexpr std::int32_t kKeptCoordinateLimit = 32767;

struct KeptLogonName {
    char system[4];
    char client[4];
    char user[14];
};

struct KeptSession {
    char transaction[21];  // a transaction code (IsTransactionCode), as the session spelled it
    int box;               // the first box 0..5 that held it, -1 for none
    NormalRect normal;     // screen coordinates
    bool maximized;
    NormalRect monitor;    // the whole monitor it was on; all zero when no monitor was known
};

struct KeptLogon {
    KeptLogonName name;
    std::vector<KeptSession> sessions;  // in the kept order (see KeptSessions::Observe)
};

// The sessions of a logon that came back without them: the logon as its sessions spell it now,
// and the missing sessions in the kept order.
struct ReopenOffer {
    KeptLogonName logon;
    std::vector<KeptSession> missing;
};

// The logon of a session as it spells it.
KeptLogonName LogonNameOf(const SessionRecord& r);
bool SameKeptLogon(const KeptLogonName& a, const KeptLogonName& b);
// A logon that may be kept: System, Client and User all set, each without a blank or a
// control character (the file separates its words by blanks).
bool IsKeptLogon(const KeptLogonName& name);
// A rectangle the file can hold: within kKeptCoordinateLimit and not empty.
bool IsKeptRect(const NormalRect& r);

class KeptSessions {
public:
    // After each complete pass. Every complete logon of the pass keeps exactly its sessions of
    // now that run a transaction code (up to kMaxKeptSessions, the first in the desktop's
    // order), plus the sessions an offer of it still waits for; a logon without a session in
    // the pass keeps its set. A logon that shows up for the first time since the program
    // started, or again after all its sessions had ended, is offered the kept sessions none of
    // its sessions runs now. True when what is kept changed: the file is written only then.
    bool Observe(const SessionSnapshot& pass, const MonitorList& monitors);

    // The offers made since the last call, as they stand now (for the notice).
    std::vector<ReopenOffer> TakeNewOffers();
    // The offers that stand (for the tray menu). One goes when it is taken, when all its
    // logon's sessions end, or when its logon runs every code it names again.
    const std::vector<ReopenOffer>& Offers() const { return offers_; }
    // Removes the logon's offer and gives it; false when none stands.
    bool Take(const KeptLogonName& logon, ReopenOffer& out);

    // The logons in the order the file keeps: those with sessions at the last pass first,
    // then the others, most recently seen first.
    const std::vector<KeptLogon>& Logons() const { return logons_; }
    // Replaces everything with logons read from the file (cut to the bounds); none counts as
    // present, so each one's next appearance is a come-back.
    void Restore(std::vector<KeptLogon> logons);

private:
    struct Standing {
        ReopenOffer offer;
        std::vector<KeptSession> keptThen;  // the logon's set when the offer was made
        bool announced;
    };
    // Follows one logon of the pass: its offer when it comes back, its set in next.
    void Follow(const KeptLogonName& name, const std::vector<KeptSession>& now, std::vector<KeptLogon>& next);
    Standing* StandingFor(const KeptLogonName& logon);
    bool WasPresent(const KeptLogonName& logon) const;
    void PublishOffers();

    std::vector<KeptLogon> logons_;
    std::vector<KeptLogonName> present_;  // the logons with sessions at the last pass
    std::vector<Standing> standing_;
    std::vector<ReopenOffer> offers_;  // standing_'s offers, for Offers()
};

// Where a reopened session goes on the monitors of now. On its monitor of then, if there is
// one of the same rectangle: where it was, unless that is off every monitor. Otherwise moved
// with its monitor to the one nearest that monitor's place, and kept inside its work area,
// cut to fit. A rectangle off every monitor ends inside the nearest one's work area. Without
// monitors: where it was.
NormalRect PlaceKept(const KeptSession& kept, const MonitorList& now);

// "Reopen 2 sessions on PRD 100 ANNA: FBL1N, SE16" (at most six codes, then ", ...").
std::string ReopenNoticeText(const ReopenOffer& offer);
// The tray menu's entry: "PRD 100 ANNA: FBL1N, SE16", each '&' doubled so the menu shows it.
std::string ReopenMenuText(const ReopenOffer& offer);
// The end of a reopen run: "FBL1N, SE16 did not open"; empty for no codes.
std::string NotReopenedText(const std::vector<std::string>& codes);

}  // namespace quilvo
