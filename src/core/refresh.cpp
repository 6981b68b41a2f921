#include "core/refresh.h"

#include <cstring>
#include <new>

#include "base/text.h"
#include "core/wait_scope.h"
#include "base/debug_output.h"

namespace quilvo {
namespace {

// Marks a pass in progress, and the pass as a wait: a pass asked for from inside another (a
// message handled while the pass waits for replies or the views rebuild) is held back instead
// of rewriting lists under the running one, and so is whatever else the platform holds back
// while a wait is in progress (the tray menu, a box click).
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

// Hands a view its new lists and makes them the ones kept alive, also when the update runs out
// of memory part way: the view hands every panel its new list before it rebuilds any of them,
// so from then on the panels hold the new lists and the old ones may go.
template <typename Adopt>
void UpdateAndAdopt(OverviewView& view, BoxList* const* lists, Adopt adopt) {
    try {
        view.UpdatePanels(lists);
    } catch (...) {
        adopt();
        throw;
    }
    adopt();
}

}  // namespace

RefreshCycle::RefreshCycle(SessionTable& table, BoxFilter (&filters)[kBoxCount], const DragProbe& drag,
                           DiscoveryWindows& windows, RefreshPlatform& platform, ViewFactory& views,
                           CycleSettings& settings, const char* sessionClass, const IdleSettings& idle)
    : table_(table),
      filters_(filters),
      drag_(drag),
      windows_(windows),
      platform_(platform),
      views_(views),
      settings_(settings),
      idle_(idle) {
    CopyCut(sessionClass_, sessionClass != nullptr ? sessionClass : kDefaultSessionClass);
}

void RefreshCycle::DestroyViews() {
    if (toolView_ != nullptr) {
        // The main window must not find a torn-down view in its user data.
        views_.AttachToMainWindow(mainWindow_, nullptr);
        toolView_.reset();
    }
    singleView_.reset();
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
    if (!deferred_) platform_.ScheduleRefresh();
    deferred_ = true;
    return true;
}

void RefreshCycle::RunDeferred() {
    if (!deferred_) return;
    if (Busy()) {
        // Still inside a wait: the platform hands the request back once it has ended (it is
        // held there, not posted again and again while the wait lasts).
        platform_.ScheduleRefresh();
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

void RefreshCycle::DiscoverAndRefresh() {
    if (passUnderWay_ || DeferIfBusy()) return;
    {
        PassGuard guard(inPass_);
        pass_ = OpenDiscovery(windows_);
        passUnderWay_ = true;
        nextToAsk_ = 0;
        allAsked_ = false;
    }
    std::memcpy(&walked_, &working_, sizeof walked_);
    const int previousCount = state_.previousCount;
    const std::uint32_t stamp = pass_.stamp;
    const auto walk = [this, previousCount, stamp] { WalkDesktop(walked_, previousCount, sessionClass_, stamp, windows_); };
    walking_ = platform_.WalkElsewhere(walk);
    if (walking_) return;
    walk();
    TakeWalk();
    ContinuePass();
}

void RefreshCycle::OnWalked() {
    if (!walking_) return;
    platform_.AwaitWalk();  // ended already: what the walk wrote is now seen here
    walking_ = false;
    TakeWalk();
    ContinuePass();
}

void RefreshCycle::TakeWalk() {
    PassGuard guard(inPass_);
    TakeLaterAnswers(walked_, working_);
    std::memcpy(&working_, &walked_, sizeof working_);
}

void RefreshCycle::ContinuePass() {
    if (!passUnderWay_ || walking_ || allAsked_) return;
    // A few sessions at a time, with what the user does answered in between: sending fifty
    // sessions' queries one after the other holds the thread as long as a pass used to wait.
    const bool later = working_.count - nextToAsk_ > kSessionsAskedAtOnce && platform_.ContinuePassLater();
    {
        PassGuard guard(inPass_);
        allAsked_ = SendDiscoveryQueries(working_, windows_, &nextToAsk_, later ? kSessionsAskedAtOnce : 0);
        windows_.TakeReplies();
    }
    if (allAsked_) AwaitEndOfPass();
}

void RefreshCycle::AwaitEndOfPass() {
    if (DiscoveryAnswered(pass_, windows_)) {
        FinishPass();
    } else if (!platform_.StartPassDeadline(windows_.ReplyWaitMs())) {
        // No timer to end the pass later: it waits for its replies here, as long as a pass may.
        windows_.AwaitReplies(pass_.queries);
        FinishPass();
    }
}

void RefreshCycle::OnReplies() {
    if (passUnderWay_ && allAsked_ && DiscoveryAnswered(pass_, windows_)) FinishPass();
}

void RefreshCycle::OnPassDeadline() {
    if (passUnderWay_) FinishPass();
}

void RefreshCycle::FinishPass() {
    if (walking_) return;  // nothing of the pass has been asked yet: OnWalked carries it on
    platform_.StopPassDeadline();
    if (DeferIfBusy()) return;  // inside a wait: OnPassDeadline runs it once the wait has ended
    PassGuard guard(inPass_);
    passUnderWay_ = false;
    FinishDiscovery(working_, pass_, windows_);
    // Taken whole: the user acted on the last complete table while the pass was under way.
    std::memcpy(&table_, &working_, sizeof table_);
    if (listener_ != nullptr) listener_->OnPassFinished(table_);
    // A drag that began while the pass was under way holds the lists and views as they are,
    // as it holds the passes themselves: the first pass after it refreshes.
    if (!drag_.DragInProgress()) RefreshInPass();
}

void RefreshCycle::Refresh() {
    if (DeferIfBusy()) return;
    PassGuard guard(inPass_);
    RefreshInPass();
}

void RefreshCycle::RefreshInPass() {
    const std::uint32_t now = platform_.TickCount();
    const std::int32_t count = table_.count;
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

    if (idle_.idleTime != 0 && state_.idleCounter > idle_.idleTime) {
        state_.idleCounter = 0;
        RunIdleAction();
    }

    if (state_.firstRefreshDone && !overdue && !state_.changed && !DetectChanges()) return;
    // Without the main window there is nothing to show the lists in; the next pass tries again.
    if (!platform_.WindowExists(mainWindow_)) return;

    state_.lastRebuildTime = platform_.TickCount();
    try {
        RebuildBoxLists();
        RebuildAllSessions();
    } catch (const std::bad_alloc&) {
        // Out of memory: every list a view holds is alive (a list goes only once nothing holds
        // it), so the views stay sound; the next pass rebuilds whatever it finds.
        state_.previousCount = -1;
        return;
    }
    state_.firstRefreshDone = true;
}

void RefreshCycle::RebuildBoxLists() {
    // Every new list exists before any old one goes: without memory for one of them the pass
    // ends here and the views keep the lists they have.
    std::unique_ptr<BoxList> fresh[kBoxCount];
    BoxList* lists[kBoxCount];
    for (int b = 0; b < kBoxCount; ++b) {
        settings_.LoadBoxFilter(b, filters_[b]);
        fresh[b] = std::make_unique<BoxList>(table_, table_.count, filters_[b]);
        fresh[b]->SortByIndex();
        fresh[b]->boxIndex = static_cast<std::int16_t>(b);
        lists[b] = fresh[b].get();
    }
    const auto adopt = [&] {
        for (int b = 0; b < kBoxCount; ++b) lists_[b] = std::move(fresh[b]);
    };

    if (toolView_ == nullptr) {
        adopt();
        toolView_ = views_.CreateToolWindowView(mainWindow_, lists, kBoxCount);
        if (toolView_ == nullptr) return;
        toolView_->LoadGeometry();
        toolView_->CreatePanels();
        views_.AttachToMainWindow(mainWindow_, toolView_.get());
        return;
    }
    UpdateAndAdopt(*toolView_, lists, adopt);
}

void RefreshCycle::RebuildAllSessions() {
    // Filter 0 cleared matches every session; it is read from the file again at the next rebuild.
    std::memset(&filters_[0], 0, sizeof filters_[0]);
    auto all = std::make_unique<BoxList>(table_, table_.count, filters_[0]);
    BoxList* one[1] = {all.get()};
    const auto adopt = [&] {
        singleList_ = std::move(all);
        pendingAll_.reset();
    };

    if (singleView_ == nullptr) {
        adopt();
        singleView_ = views_.CreateSingleView(one, 1, kSingleViewWidth, kSingleViewHeight);
        if (singleView_ == nullptr) return;
        singleView_->LoadGeometry();
        singleView_->CreatePanels();
    } else if (singleView_->IsVisible()) {
        UpdateAndAdopt(*singleView_, one, adopt);
    } else {
        pendingAll_ = std::move(all);
    }
}

bool RefreshCycle::DetectChanges() const {
    const BoxList* all = AllSessions();
    for (const SessionRecord* r = LiveBegin(table_); r != LiveEnd(table_); ++r) {
        for (const auto& list : lists_) {
            if (list == nullptr) continue;
            for (int i = 0; i < list->count; ++i) {
                const SessionRecord& item = list->items[i];
                if (item.window != r->window) continue;
                if (item.index != r->index || item.x != r->x || item.y != r->y || item.width != r->width ||
                    item.height != r->height || !EqualsNoCase(item.title, r->title) || item.busy != r->busy ||
                    item.ready != r->ready) {
                    return true;
                }
            }
        }
        // A session that turned busy, answers again or became ready shows so in every view,
        // boxed or not.
        for (int i = 0; all != nullptr && i < all->count; ++i) {
            const SessionRecord& item = all->items[i];
            if (item.window == r->window && (item.busy != r->busy || item.ready != r->ready)) return true;
        }
    }
    return false;
}

void RefreshCycle::RunIdleAction() {
    // Any program can delete the atom, and its number may then name another string, which the
    // sessions would run as an OK code: it is looked at before every use and made anew.
    if (state_.okCodeAtom == 0 || !platform_.AtomHolds(state_.okCodeAtom, idle_.idleAction)) {
        state_.okCodeAtom = platform_.AddGlobalAtom(idle_.idleAction);
    }
    if (state_.okCodeAtom == 0) return;  // no atom, nothing the sessions could read
    for (const auto& list : lists_) {
        if (list == nullptr || list->count <= 0 || list->items == nullptr) continue;
        platform_.SendOkCode(list->items[0].window, state_.okCodeAtom);
    }
}

}  // namespace quilvo
