// The refresh cycle: every 2000 ms a discovery pass, which ends by publishing a snapshot of
// the sessions it found; then Refresh, which sorts the sessions into the six boxes anew and
// hands the views the result only when something changed (or the last rebuild is more than
// 17000 ms old). It also counts how long the number of sessions stayed the same and runs the
// idle action.
#pragma once

#include <cstdint>
#include <memory>

#include "core/boxes.h"
#include "core/cycle_settings.h"
#include "core/discovery.h"
#include "core/discovery_windows.h"
#include "core/drag_probe.h"
#include "core/pass_log.h"
#include "core/production.h"
#include "core/refresh_platform.h"
#include "core/snapshot.h"

namespace quilvo {

// A rebuild is overdue when more than this many milliseconds passed since the last one; a
// pass asks every session everything again when this long has passed since the last that did.
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

// Told of every complete pass before its snapshot is published: what watches the sessions
// from pass to pass (and may set their ready flags in it).
class PassListener {
public:
    virtual void OnPassFinished(SessionSnapshot& draft) = 0;

protected:
    ~PassListener() = default;
};

// Told of every rebuild: the views follow the snapshot (the first rebuild makes them). May
// throw std::bad_alloc: the next pass then rebuilds whatever it finds.
class RebuildListener {
public:
    virtual void OnRebuilt(const Snapshot& snapshot) = 0;

protected:
    ~RebuildListener() = default;
};

class RefreshCycle final : public SnapshotSource {
public:
    // Every collaborator must outlive the cycle. sessionClass is copied.
    RefreshCycle(const DragProbe& drag, DiscoveryWindows& windows, RefreshPlatform& platform, CycleSettings& settings,
                 const char* sessionClass, const IdleSettings& idle);
    // Waits for a walk under way; whatever was posted for the cycle runs no more, and replies
    // still to come are taken when they come but land nowhere.
    ~RefreshCycle();
    RefreshCycle(const RefreshCycle&) = delete;
    RefreshCycle& operator=(const RefreshCycle&) = delete;

    void SetMainWindow(WindowHandle mainWindow) { mainWindow_ = mainWindow; }
    void SetPassListener(PassListener* listener) { passListener_ = listener; }
    void SetRebuildListener(RebuildListener* listener) { rebuildListener_ = listener; }

    // The timer callback: skipped while a drag is in progress, else DiscoverAndRefresh.
    void OnRefreshTimer();
    // What every caller of Refresh but the docked toggle does: a discovery pass, then Refresh.
    // The pass never waits for the sessions: it walks the desktop elsewhere, sends its queries
    // and ends (its snapshot published, then Refresh) when its last reply has come or its wait
    // is over; meanwhile the snapshot of the last complete pass stays current, and everything
    // the user does acts on that. Asked for while a pass is under way, the pass under way
    // answers the request. Asked for while an operation waits for a session (messages sent to
    // the program are handled inside such waits), it is held back and runs once afterwards.
    void DiscoverAndRefresh();
    bool PassUnderWay() const { return passUnderWay_; }
    // The rebuild decision on the sessions of the current snapshot, without a pass.
    void Refresh();
    bool Deferred() const { return deferred_; }
    // Sends the OK code to the first session of every box that has one.
    void RunIdleAction();

    // The next Refresh rebuilds whatever it finds (OK in the box properties dialog).
    void ForceRebuild() { state_.previousCount = -1; }

    const RefreshState& State() const { return state_; }
    // The timings of the last passes that ended.
    const PassLog& Passes() const { return passes_; }
    // SnapshotSource: what the last complete pass found, in the boxes of the last rebuild.
    Snapshot Current() const override { return current_; }
    // What the views were last given (the last rebuild's snapshot); none before the first.
    Snapshot Shown() const { return shown_; }
    // The box filters as the last rebuild read them; the properties dialog stores into them.
    BoxFilter (&Filters())[kBoxCount] { return filters_; }
    // The production systems as the last rebuild read them.
    const ProductionSystems& Production() const { return production_; }

    // True when, against what the views were last given, a session came, a boxed session's
    // index, position, size or title changed, or any session's answers, busy flag or ready
    // flag did.
    bool DetectChanges(const SessionSnapshot& draft) const;

private:
    bool Busy() const;
    // Inside a pass or a wait the refresh is put off until it has ended: true if it was.
    bool DeferIfBusy();
    void RunDeferred();
    void OnWalked();
    // Sends the next few sessions' queries of the pass under way.
    void ContinuePass();
    // Once every query is out: the pass ends when answered, else when its wait is over.
    void AwaitEndOfPass();
    void OnReplies();
    void OnPassDeadline();
    // The discovery pass ends: its snapshot is published, then Refresh.
    void FinishPass();
    // Refresh's work on the draft, inside a pass guard that the caller holds.
    void RefreshDraft();
    // The draft becomes the current snapshot, unless it holds just what that holds.
    void Publish();
    // The boxes of the last rebuild, for the sessions of draft.
    void CarryBoxes(SessionSnapshot& draft) const;
    // The boxes sorted anew: every filter read from the settings, every session matched.
    void SortIntoBoxes(SessionSnapshot& draft);
    void SendIdleAction(const SessionSnapshot& snapshot);
    bool ForcedAsk(std::uint32_t now);
    void NoteWalkEnded() { walkEndedAt_ = platform_.TickCount(); }
    // The timings of the pass that ends, its sessions recorded in the draft.
    void LogPass();

    const DragProbe& drag_;
    DiscoveryWindows& windows_;
    RefreshPlatform& platform_;
    CycleSettings& settings_;
    Discovery discovery_;
    IdleSettings idle_;
    WindowHandle mainWindow_ = kNoWindow;
    PassListener* passListener_ = nullptr;
    RebuildListener* rebuildListener_ = nullptr;
    RefreshState state_;
    BoxFilter filters_[kBoxCount] = {};
    ProductionSystems production_;
    SessionSnapshot draft_;  // the next snapshot, made here; its storage is kept from pass to pass
    Snapshot current_;
    Snapshot shown_;
    bool passUnderWay_ = false;
    bool walking_ = false;   // the pass's walk is being made elsewhere
    bool allAsked_ = false;
    bool inPass_ = false;
    bool deferred_ = false;
    bool everAsked_ = false;
    std::uint32_t lastForcedAsk_ = 0;  // when a pass last asked every session everything
    std::uint32_t passStartedAt_ = 0;
    std::uint32_t walkEndedAt_ = 0;
    PassLog passes_;
};

}  // namespace quilvo
