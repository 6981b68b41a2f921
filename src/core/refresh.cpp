#include "core/refresh.h"

#include <cstring>
#include <new>
#include <utility>

#include "base/debug_output.h"
#include "base/text.h"
#include "core/wait_scope.h"

namespace quilvo {
namespace {

// Marks a pass in progress, and the pass as a wait: a pass asked for from inside another (a
// message handled while the views rebuild) is held back instead of running under the running
// one, and so is whatever else the platform holds back while a wait is in progress (the tray
// menu, a box click).
class PassGuard {
public:
    explicit PassGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~PassGuard() { flag_ = false; }
    PassGuard(const PassGuard&) = delete;
    PassGuard& operator=(const PassGuard&) = delete;

private:
    bool& flag_;
    WaitScope waiting_;  // declared last: ends after the flag is cleared
};

bool SameAnswers(const SessionRecord& a, const SessionRecord& b) {
    return EqualsNoCase(a.system, b.system) && EqualsNoCase(a.client, b.client) && EqualsNoCase(a.user, b.user) &&
           EqualsNoCase(a.serverGroup, b.serverGroup) && EqualsNoCase(a.transaction, b.transaction);
}

bool SameRecord(const SessionRecord& a, const SessionRecord& b) {
    return a.window == b.window && a.index == b.index && a.cascade == b.cascade && a.zoomed == b.zoomed &&
           a.busy == b.busy && a.ready == b.ready && a.production == b.production && a.x == b.x && a.y == b.y &&
           a.width == b.width && a.height == b.height && std::memcmp(a.title, b.title, sizeof a.title) == 0 &&
           std::memcmp(a.system, b.system, sizeof a.system) == 0 &&
           std::memcmp(a.serverGroup, b.serverGroup, sizeof a.serverGroup) == 0 &&
           std::memcmp(a.user, b.user, sizeof a.user) == 0 &&
           std::memcmp(a.transaction, b.transaction, sizeof a.transaction) == 0 &&
           std::memcmp(a.client, b.client, sizeof a.client) == 0;
}

bool SameSnapshot(const SessionSnapshot& a, const SessionSnapshot& b) {
    if (a.sessions.size() != b.sessions.size()) return false;
    for (std::size_t i = 0; i < a.sessions.size(); ++i)
        if (!SameRecord(a.sessions[i], b.sessions[i])) return false;
    for (int box = 0; box < kBoxCount; ++box) {
        if (a.members[box] != b.members[box] || !SameRecord(a.filters[box], b.filters[box]) ||
            a.productionBox[box] != b.productionBox[box]) {
            return false;
        }
    }
    return true;
}

bool InAnyBox(const SessionSnapshot& snapshot, int position) {
    for (const auto& members : snapshot.members) {
        for (std::int16_t m : members)
            if (m == position) return true;
    }
    return false;
}

}  // namespace

RefreshCycle::RefreshCycle(const DragProbe& drag, DiscoveryWindows& windows, RefreshPlatform& platform,
                           CycleSettings& settings, const char* sessionClass, const IdleSettings& idle)
    : drag_(drag),
      windows_(windows),
      platform_(platform),
      settings_(settings),
      discovery_(windows, sessionClass),
      idle_(idle),
      current_(std::make_shared<const SessionSnapshot>()) {
    // The pass's last reply came inside whatever loop took it: the pass ends from the message
    // loop. One taken while the pass itself sends (inPass_) is seen where it stands.
    discovery_.OnAnswered([this] {
        if (passUnderWay_ && allAsked_ && !inPass_) platform_.Post([this] { OnReplies(); });
    });
}

RefreshCycle::~RefreshCycle() {
    platform_.AwaitWalk();
    platform_.StopDeadline();
    platform_.Disconnect();
}

void RefreshCycle::OnRefreshTimer() {
    if (drag_.DragInProgress()) {
        DebugOut("Drag skipped\r\n");
        return;
    }
    DiscoverAndRefresh();
}

bool RefreshCycle::Busy() const { return inPass_ || WaitScope::Active(); }

bool RefreshCycle::DeferIfBusy() {
    if (!Busy()) return false;
    if (!deferred_) platform_.Post([this] { RunDeferred(); });
    deferred_ = true;
    return true;
}

void RefreshCycle::RunDeferred() {
    if (!deferred_) return;
    if (Busy()) {
        // Still inside a wait: asked again, to run once it has ended.
        platform_.Post([this] { RunDeferred(); });
        return;
    }
    deferred_ = false;
    if (walking_) return;  // the pass under way answers the request once its walk has ended
    if (passUnderWay_) {
        FinishPass();
    } else {
        DiscoverAndRefresh();
    }
}

bool RefreshCycle::ForcedAsk(std::uint32_t now) {
    // Unsigned: the difference still measures the elapsed time across a wrap of the tick count.
    if (everAsked_ && static_cast<std::uint32_t>(now - lastForcedAsk_) <= kRebuildIntervalMs) return false;
    everAsked_ = true;
    lastForcedAsk_ = now;
    return true;
}

void RefreshCycle::DiscoverAndRefresh() {
    if (passUnderWay_ || DeferIfBusy()) return;
    {
        PassGuard guard(inPass_);
        passStartedAt_ = platform_.TickCount();
        discovery_.Open(ForcedAsk(passStartedAt_));
        passUnderWay_ = true;
        allAsked_ = false;
    }
    walking_ = platform_.WalkElsewhere([this] { discovery_.Walk(); }, [this] { OnWalked(); });
    if (walking_) return;
    discovery_.Walk();
    NoteWalkEnded();
    ContinuePass();
}

void RefreshCycle::OnWalked() {
    if (!walking_) return;
    platform_.AwaitWalk();  // ended already: what the walk wrote is now seen here
    walking_ = false;
    NoteWalkEnded();
    ContinuePass();
}

void RefreshCycle::ContinuePass() {
    if (!passUnderWay_ || walking_ || allAsked_) return;
    // A few sessions at a time, with what the user does answered in between: sending fifty
    // sessions' queries one after the other holds the thread as long as a pass used to wait.
    const bool later = discovery_.Unasked() > kSessionsAskedAtOnce && platform_.Post([this] { ContinuePass(); });
    {
        PassGuard guard(inPass_);
        allAsked_ = discovery_.Ask(later ? kSessionsAskedAtOnce : 0);
        windows_.TakeReplies();
    }
    if (allAsked_) AwaitEndOfPass();
}

void RefreshCycle::AwaitEndOfPass() {
    if (discovery_.Answered()) {
        FinishPass();
    } else if (!platform_.StartDeadline(windows_.ReplyWaitMs(), [this] { OnPassDeadline(); })) {
        // No timer to end the pass later: it waits for its replies here, as long as a pass may.
        discovery_.AwaitAnswers();
        FinishPass();
    }
}

void RefreshCycle::OnReplies() {
    if (passUnderWay_ && allAsked_ && discovery_.Answered()) FinishPass();
}

void RefreshCycle::OnPassDeadline() {
    if (passUnderWay_) FinishPass();
}

void RefreshCycle::FinishPass() {
    if (walking_ || !allAsked_) return;  // OnWalked and ContinuePass carry the pass on
    platform_.StopDeadline();
    if (DeferIfBusy()) return;  // inside a wait: RunDeferred ends it once the wait has ended
    PassGuard guard(inPass_);
    passUnderWay_ = false;
    try {
        discovery_.Record(draft_.sessions);
        LogPass();
        if (passListener_ != nullptr) passListener_->OnPassFinished(draft_);
        // A drag that began while the pass was under way holds the boxes and the views as they
        // are, as it holds the passes themselves: the first pass after it refreshes.
        if (drag_.DragInProgress()) {
            CarryBoxes(draft_);
            Publish();
            return;
        }
        RefreshDraft();
    } catch (const std::bad_alloc&) {
        // Out of memory: the snapshot of the last pass stays current; the next pass rebuilds.
        state_.previousCount = -1;
    }
}

void RefreshCycle::LogPass() {
    PassTiming pass;
    // Unsigned: the differences measure the time across a wrap of the tick count.
    pass.walkMs = walkEndedAt_ - passStartedAt_;
    pass.answersMs = discovery_.FirstAskAt() != 0 ? platform_.TickCount() - discovery_.FirstAskAt() : 0;
    pass.slowestMs = discovery_.SlowestAnswerMs();
    pass.sessions = draft_.Count();
    for (const SessionRecord& s : draft_.sessions) pass.unanswered += s.busy != 0 ? 1 : 0;
    passes_.Add(pass);
}

void RefreshCycle::Refresh() {
    if (DeferIfBusy()) return;
    PassGuard guard(inPass_);
    try {
        draft_ = *current_;
        RefreshDraft();
    } catch (const std::bad_alloc&) {
        state_.previousCount = -1;
    }
}

void RefreshCycle::Publish() {
    // A pass that found everything as it was publishes nothing new: the readers keep the
    // snapshot they have, and a calm pass allocates nothing.
    if (SameSnapshot(draft_, *current_)) return;
    current_ = std::make_shared<const SessionSnapshot>(draft_);
}

void RefreshCycle::RefreshDraft() {
    const std::uint32_t now = platform_.TickCount();
    const std::int32_t count = draft_.Count();
    if (count == state_.previousCount) {
        state_.changed = false;
        state_.idleCounter += 2;
    } else {
        state_.idleCounter = 0;
        state_.changed = true;
        state_.previousCount = count;
    }
    // Unsigned: the difference still measures the elapsed time across a wrap of the tick count.
    const bool overdue = static_cast<std::uint32_t>(now - state_.lastRebuildTime) > kRebuildIntervalMs;

    // The boxes as the last rebuild left them, which the idle action sends to; the production
    // sessions as the last rebuild read them.
    CarryBoxes(draft_);
    MarkProduction(production_, draft_.sessions);
    if (idle_.idleTime != 0 && state_.idleCounter > idle_.idleTime) {
        state_.idleCounter = 0;
        SendIdleAction(draft_);
    }

    // Without the main window there is nothing to show the boxes in; the next pass tries again.
    const bool rebuild = (!state_.firstRefreshDone || overdue || state_.changed || DetectChanges(draft_)) &&
                         platform_.WindowExists(mainWindow_);
    if (!rebuild) {
        Publish();
        return;
    }
    state_.lastRebuildTime = platform_.TickCount();
    SortIntoBoxes(draft_);
    // Published anew even when nothing differs: the views are given a snapshot of this rebuild.
    current_ = std::make_shared<const SessionSnapshot>(draft_);
    shown_ = current_;
    if (rebuildListener_ != nullptr) {
        try {
            rebuildListener_->OnRebuilt(current_);
        } catch (const std::bad_alloc&) {
            // Every view holds the snapshot it shows, so what it shows stays sound; the next
            // pass rebuilds whatever it finds.
            state_.previousCount = -1;
            return;
        }
    }
    state_.firstRefreshDone = true;
}

void RefreshCycle::CarryBoxes(SessionSnapshot& draft) const {
    if (!shown_) return;
    for (int b = 0; b < kBoxCount; ++b) {
        draft.filters[b] = shown_->filters[b];
        draft.productionBox[b] = shown_->productionBox[b];
        draft.members[b].clear();
        for (std::int16_t m : shown_->members[b]) {
            const int at = draft.PositionOf(shown_->sessions[static_cast<std::size_t>(m)].window);
            if (at >= 0) draft.members[b].push_back(static_cast<std::int16_t>(at));
        }
    }
}

void RefreshCycle::SortIntoBoxes(SessionSnapshot& draft) {
    production_ = settings_.LoadProduction();
    MarkProduction(production_, draft.sessions);
    for (int b = 0; b < kBoxCount; ++b) {
        settings_.LoadBoxFilter(b, filters_[b]);
        draft.filters[b] = filters_[b];
        draft.productionBox[b] = production_.Names(filters_[b].system, filters_[b].client) ? 1 : 0;
        draft.members[b].clear();
        // In the pass's order, which is the order of their indexes.
        for (const SessionRecord& s : draft.sessions)
            if (SessionMatches(filters_[b], s)) draft.members[b].push_back(s.index);
    }
    // The all-sessions panel shows every session; each is matched against the empty filter
    // all the same, as every rebuild always wrote a line per session for it.
    static const BoxFilter kEveryone = {};
    for (const SessionRecord& s : draft.sessions) SessionMatches(kEveryone, s);
}

bool RefreshCycle::DetectChanges(const SessionSnapshot& draft) const {
    if (!shown_) return true;
    for (const SessionRecord& r : draft.sessions) {
        const int at = shown_->PositionOf(r.window);
        if (at < 0) return true;  // a session the views have not been given
        const SessionRecord& was = shown_->sessions[static_cast<std::size_t>(at)];
        // Only a boxed session's place and title count; a session that no box selects shows
        // a move at the next rebuild that is due anyway.
        if (InAnyBox(*shown_, at) &&
            (was.index != r.index || was.x != r.x || was.y != r.y || was.width != r.width || was.height != r.height ||
             !EqualsNoCase(was.title, r.title))) {
            return true;
        }
        // What a session answers decides its boxes and shows in every view, as does a session
        // that turned busy, answers again or became ready.
        if (!SameAnswers(was, r) || was.busy != r.busy || was.ready != r.ready || was.production != r.production) {
            return true;
        }
    }
    return false;
}

void RefreshCycle::RunIdleAction() { SendIdleAction(*current_); }

void RefreshCycle::SendIdleAction(const SessionSnapshot& snapshot) {
    // Any program can delete the atom, and its number may then name another string, which the
    // sessions would run as an OK code: it is looked at before every use and made anew.
    if (state_.okCodeAtom == 0 || !platform_.AtomHolds(state_.okCodeAtom, idle_.idleAction)) {
        state_.okCodeAtom = platform_.AddGlobalAtom(idle_.idleAction);
    }
    if (state_.okCodeAtom == 0) return;  // no atom, nothing the sessions could read
    for (int b = 0; b < kBoxCount; ++b) {
        if (snapshot.MemberCount(b) > 0) platform_.SendOkCode(snapshot.Member(b, 0).window, state_.okCodeAtom);
    }
}

}  // namespace quilvo
