// The refresh cycle: every 2000 ms a discovery pass, then Refresh, which rebuilds the six box
// lists and the all-sessions list and pushes them into the two views only when something
// changed (or the last rebuild is more than 17000 ms old). It also counts how long the number
// of sessions stayed the same and runs the idle action.
#pragma once

#include <cstdint>
#include <memory>

#include "core/boxes.h"
#include "core/discovery.h"
#include "core/drag_probe.h"
#include "core/overview_view.h"
#include "core/session.h"
#include "core/refresh_platform.h"
#include "core/discovery_windows.h"
#include "core/cycle_settings.h"

namespace quilvo {

// A rebuild is overdue when more than this many milliseconds passed since the last one.
constexpr std::uint32_t kRebuildIntervalMs = 17000;
constexpr int kSingleViewWidth = 150;
constexpr int kSingleViewHeight = 150;
// A pass sends the queries of this many sessions at a time, answering the user in between.
constexpr int kSessionsAskedAtOnce = 5;

struct RefreshState {
    std::int32_t previousCount = 0;     // -1 forces the next Refresh to rebuild
    bool changed = false;               // the session count changed on this pass
    std::uint32_t idleCounter = 0;      // +2 per pass without a count change
    std::uint32_t lastRebuildTime = 0;  // tick count at the start of the last rebuild
    bool firstRefreshDone = false;
    GlobalAtom okCodeAtom = 0;          // made on the first idle action, again when lost
};

// Told of every complete pass, before its table is shown: what watches the sessions from pass
// to pass (and may set their ready flags).
class PassListener {
public:
    virtual void OnPassFinished(SessionTable& table) = 0;

protected:
    ~PassListener() = default;
};

class RefreshCycle {
public:
    // Every collaborator must outlive the cycle. sessionClass is copied.
    RefreshCycle(SessionTable& table, BoxFilter (&filters)[kBoxCount], const DragProbe& drag,
                 DiscoveryWindows& windows, RefreshPlatform& platform, ViewFactory& views,
                 CycleSettings& settings, const char* sessionClass, const IdleSettings& idle);
    ~RefreshCycle() {
        platform_.AwaitWalk();
        DestroyViews();
    }
    RefreshCycle(const RefreshCycle&) = delete;
    RefreshCycle& operator=(const RefreshCycle&) = delete;

    void SetMainWindow(WindowHandle mainWindow) { mainWindow_ = mainWindow; }
    void SetPassListener(PassListener* listener) { listener_ = listener; }

    // The timer callback: skipped while a drag is in progress, else DiscoverAndRefresh.
    void OnRefreshTimer();
    // What every caller of Refresh but the docked toggle does: a discovery pass, then Refresh.
    // The pass never waits for the sessions: it sends its queries and ends (the new table taken
    // whole, then Refresh) when its last reply has come (OnReplies) or its wait is over
    // (OnPassDeadline); meanwhile the table stays as the last complete pass left it, and
    // everything the user does acts on that. Asked for while a pass is under way, the pass
    // under way answers the request. Asked for while an operation waits for a session
    // (messages sent to the program are handled inside such waits), it is held back and runs
    // once from RunDeferred, which the platform calls when that operation has ended.
    void DiscoverAndRefresh();
    // The pass's walk of the desktop, made elsewhere (RefreshPlatform::WalkElsewhere), has
    // ended: its sessions are sent their queries.
    void OnWalked();
    // Sends the next few sessions' queries of the pass under way.
    void ContinuePass();
    // The pass's last reply has come: the pass ends now.
    void OnReplies();
    // The pass's wait is over: it ends with the replies it has.
    void OnPassDeadline();
    bool PassUnderWay() const { return passUnderWay_; }
    void Refresh();
    void RunDeferred();
    bool Deferred() const { return deferred_; }
    // True when a boxed session's index, position, size, title or busy flag differs from its
    // copy in the box lists, or any session's busy flag from its copy in the all-sessions
    // list. Allocates nothing.
    bool DetectChanges() const;
    // Sends the OK code to the first session of every box that has one.
    void RunIdleAction();

    // The next Refresh rebuilds whatever it finds (OK in the box properties dialog).
    void ForceRebuild() { state_.previousCount = -1; }

    // Tears both views down (they write their geometry); the lists stay. Exit does this.
    void DestroyViews();
    // Leaves the views to the end of the process without their teardown: after "Quit" their
    // sections keep what they held. (Exit has torn them down before; then there are none.)
    void LeaveViewsUnsaved() {
        (void)toolView_.release();
        (void)singleView_.release();
    }

    const RefreshState& State() const { return state_; }
    // The current list of a box (0..5); null before the first rebuild.
    BoxList* List(int box) const { return (box >= 0 && box < kBoxCount) ? lists_[box].get() : nullptr; }
    // The newest all-sessions list; null before the first rebuild.
    BoxList* AllSessions() const { return pendingAll_ != nullptr ? pendingAll_.get() : singleList_.get(); }
    OverviewView* ToolWindowView() const { return toolView_.get(); }
    OverviewView* SingleView() const { return singleView_.get(); }

private:
    bool Busy() const;
    // Inside a pass or a wait the refresh is put off until it has ended: true if it was.
    bool DeferIfBusy();
    // Refresh's work, inside a pass guard that the caller holds.
    void RefreshInPass();
    // The discovery pass ends: its table becomes the table, then Refresh.
    void FinishPass();
    // The walk's records become the pass's (with the answers that came meanwhile).
    void TakeWalk();
    // Once every query is out: the pass ends when answered, else when its wait is over.
    void AwaitEndOfPass();
    void RebuildBoxLists();
    void RebuildAllSessions();

    SessionTable& table_;   // the table of the last complete pass: what the user acts on
    SessionTable working_ = {};  // the pass under way records here; late answers land here
    // The walk made elsewhere records here, so that the replies landing in working_ meanwhile
    // never meet it; OnWalked takes it over, with those replies' answers.
    SessionTable walked_ = {};
    DiscoveryPass pass_;
    bool passUnderWay_ = false;
    bool walking_ = false;  // the pass's walk is being made elsewhere
    int nextToAsk_ = 0;       // the first recorded session of the pass not yet sent its queries
    bool allAsked_ = false;
    BoxFilter (&filters_)[kBoxCount];
    const DragProbe& drag_;
    DiscoveryWindows& windows_;
    RefreshPlatform& platform_;
    ViewFactory& views_;
    CycleSettings& settings_;
    char sessionClass_[kClassNameCapacity] = {};
    IdleSettings idle_;
    WindowHandle mainWindow_ = kNoWindow;
    PassListener* listener_ = nullptr;
    RefreshState state_;
    bool inPass_ = false;
    bool deferred_ = false;

    // Lists before views, so the views go first and never outlive the lists they show.
    std::unique_ptr<BoxList> lists_[kBoxCount];
    // The all-sessions list the single view holds. While that view is hidden it is not
    // updated, so its list stays alive here until the view is given a newer one...
    std::unique_ptr<BoxList> singleList_;
    // ...and the newer lists built meanwhile wait here (each rebuild replaces the last).
    std::unique_ptr<BoxList> pendingAll_;
    std::unique_ptr<OverviewView> toolView_;
    std::unique_ptr<OverviewView> singleView_;
};

}  // namespace quilvo
