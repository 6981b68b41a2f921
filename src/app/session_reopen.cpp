#include "app/session_reopen.h"

#include <algorithm>

#include "base/debug_output.h"
#include "core/kept_sessions_file.h"
#include "platform/display.h"
#include "settings/whole_file.h"

namespace quilvo {

namespace {

constexpr const char* kOfferTitle = "Sessions to reopen";
constexpr const char* kNotOpenedTitle = "Sessions not reopened";

}  // namespace

SessionReopen::SessionReopen(int maxSessions, const SnapshotSource& sessions, Win32SessionOps& ops,
                             OkCodeSender& okCodes, TrayNotice& notice, const FrontOrder& front)
    : maxSessions_(maxSessions),
      sessions_(sessions),
      ops_(ops),
      okCodes_(okCodes),
      notice_(notice),
      front_(front) {}

void SessionReopen::Load() {
    std::string text, why;
    switch (ReadWholeFile(kPath, kKeptSessionsMaxBytes, text)) {
        case FileRead::kMissing: return;
        case FileRead::kTooLong: why = "too long"; break;
        case FileRead::kFailed: why = "cannot be read"; break;
        case FileRead::kRead: ReadKeptSessions(text, kept_, why); break;
    }
    if (!why.empty()) DebugLine("Quilvo.sessions ignored: %s\n", why.c_str());
}

void SessionReopen::OnPass() {
    const Snapshot now = sessions_.Current();
    const std::uint32_t tick = GetTickCount();
    // A calm pass publishes nothing new: nothing kept can have changed, and it costs nothing.
    if (now != observed_) {
        observed_ = now;
        unsaved_ = kept_.Observe(*now, ReadMonitors()) || unsaved_;
        ShowNewOffers();
    }
    if (!runs_.empty()) FollowRuns(*now, tick);
    WriteIfDue(tick);
}

void SessionReopen::ShowNewOffers() {
    const std::vector<ReopenOffer> fresh = kept_.TakeNewOffers();
    // One balloon shows at a time: the first logon's; every offer stands in the tray menu.
    if (fresh.empty()) return;
    const KeptLogonName logon = fresh.front().logon;
    notice_.Show(kOfferTitle, ReopenNoticeText(fresh.front()), [this, logon] { Reopen(logon); });
}

void SessionReopen::Save() {
    if (!unsaved_) return;
    // Written even when it fails: a folder that cannot be written to is not tried every pass.
    unsaved_ = false;
    lastWrite_ = GetTickCount();
    if (!ReplaceWholeFile(kPath, KeptSessionsText(kept_))) DebugLine("Quilvo.sessions not written\n");
}

void SessionReopen::WriteIfDue(std::uint32_t now) {
    if (unsaved_ && now - lastWrite_ >= kWriteEveryMs) Save();
}

std::vector<std::string> SessionReopen::MenuEntries() {
    std::vector<std::string> entries;
    menuLogons_.clear();
    for (const ReopenOffer& offer : kept_.Offers()) {
        entries.push_back(ReopenMenuText(offer));
        menuLogons_.push_back(offer.logon);
    }
    return entries;
}

void SessionReopen::ReopenEntry(std::size_t entry) {
    if (entry < menuLogons_.size()) Reopen(menuLogons_[entry]);
}

WindowHandle SessionReopen::LastInFront(const SessionSnapshot& now, const KeptLogonName& logon) const {
    WindowHandle best = kNoWindow;
    int bestRecency = -1;
    for (const SessionRecord& r : now.sessions) {
        if (!SameKeptLogon(LogonNameOf(r), logon)) continue;
        const int recency = front_.Recency(r.window);
        // Never in front since the start: the one highest on the desktop, the first found.
        if (best == kNoWindow || (recency >= 0 && (bestRecency < 0 || recency < bestRecency))) {
            best = r.window;
            bestRecency = recency;
        }
    }
    return best;
}

void SessionReopen::Reopen(const KeptLogonName& logon) {
    ReopenOffer offer;
    // The notice may be clicked after the offer went (taken from the menu, the logon gone).
    if (!kept_.Take(logon, offer)) return;
    const Snapshot now = sessions_.Current();
    runs_.emplace_back(std::move(offer), LastInFront(*now, logon), maxSessions_);
    FollowRuns(*now, GetTickCount());
}

void SessionReopen::FollowRuns(const SessionSnapshot& pass, std::uint32_t now) {
    for (ReopenRun& run : runs_) {
        const ReopenRun::Step step = run.OnPass(pass, now);
        if (step.outcome == OpenWatch::Outcome::Opened) {
            ops_.PlaceAsync(step.window, PlaceKept(step.kept, ReadMonitors()), step.kept.maximized);
        }
        std::string okCode;
        WindowHandle to = kNoWindow;
        // Only "/o" and a transaction code: ReopenRun sends nothing else.
        if (run.Next(pass, now, okCode, to) && !okCodes_.Send(to, okCode)) {
            // Not the code itself: a transaction typed by a person stays out of every log.
            DebugOut("Reopen: no atom for the OK code\n");
        }
    }
    for (auto run = runs_.begin(); run != runs_.end();) {
        if (!run->Done()) {
            ++run;
            continue;
        }
        notOpened_.insert(notOpened_.end(), run->NotOpened().begin(), run->NotOpened().end());
        run = runs_.erase(run);
    }
    // One notice at the end, for every code that did not open.
    if (runs_.empty() && !notOpened_.empty()) {
        notice_.Show(kNotOpenedTitle, NotReopenedText(notOpened_), nullptr);
        notOpened_.clear();
    }
}

}  // namespace quilvo
