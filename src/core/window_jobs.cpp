#include "core/window_jobs.h"

#include <algorithm>

namespace quilvo {
namespace {

// The platform's show commands, as far as the schedule tells them apart.
enum ShowKind { kHides, kIconizes, kShows };

ShowKind KindOf(const WindowJob& job) {
    if (job.kind == WindowJob::kOpenIcon || job.kind == WindowJob::kBringUp) return kShows;
    switch (job.showCode) {
        case 0: return kHides;  // hide
        case 2:                 // minimized, activated
        case 6:                 // minimize
        case 7:                 // minimized, not activated
        case 11:                // forced minimize
            return kIconizes;
        default: return kShows;
    }
}

bool IsShowJob(const WindowJob& job) {
    return job.kind == WindowJob::kShow || job.kind == WindowJob::kOpenIcon || job.kind == WindowJob::kBringUp;
}

// Whether the job, once made, may have put its window above others.
bool Covers(const WindowJob& job) { return job.kind == WindowJob::kRaise || (IsShowJob(job) && KindOf(job) == kShows); }

// Whether the call, once it lands, may activate its window (a restore or a show does, and a
// minimize activates the next window).
bool Activates(const WindowJob& job) {
    if (job.kind == WindowJob::kOpenIcon || job.kind == WindowJob::kBringUp) return true;
    if (job.kind != WindowJob::kShow) return false;
    switch (job.showCode) {
        case 0:  // hide
        case 4:  // shown, not activated
        case 7:  // minimized, not activated
        case 8:  // shown as it is, not activated
            return false;
        default: return true;
    }
}

// Tick counts wrap: compared by their difference.
bool Reached(std::uint32_t now, std::uint32_t when) { return static_cast<std::int32_t>(now - when) >= 0; }
bool Later(std::uint32_t tick, std::uint32_t than) { return static_cast<std::int32_t>(tick - than) > 0; }

}  // namespace

WindowJobs::Lane* WindowJobs::FindLane(WindowHandle window) {
    for (Lane& lane : lanes_)
        if (lane.window == window) return &lane;
    return nullptr;
}

const WindowJobs::Lane* WindowJobs::FindLane(WindowHandle window) const {
    for (const Lane& lane : lanes_)
        if (lane.window == window) return &lane;
    return nullptr;
}

WindowJobs::Lane& WindowJobs::LaneOf(WindowHandle window) {
    if (Lane* lane = FindLane(window)) return *lane;
    lanes_.push_back(Lane{});
    lanes_.back().window = window;
    return lanes_.back();
}

void WindowJobs::Add(WindowJob job) {
    job.order = nextOrder_++;
    Lane& lane = LaneOf(job.window);
    if (job.thread != 0) lane.thread = job.thread;
    std::vector<WindowJob>& pending = lane.pending;
    const auto superseded = [&](const WindowJob& old) {
        if (job.kind == WindowJob::kRaise) return old.kind == WindowJob::kRaise;
        const ShowKind kind = KindOf(job);
        // A hide or an iconize makes the window's pending raise pointless.
        if (old.kind == WindowJob::kRaise) return kind != kShows;
        return KindOf(old) != kind || (old.kind == job.kind && old.showCode == job.showCode);
    };
    pending.erase(std::remove_if(pending.begin(), pending.end(), superseded), pending.end());
    pending.push_back(job);
    // The user has brought up another window since the activation was asked: taking the
    // foreground for the older choice would pull the user back. The schedule's own raises of
    // the top window are no choice of the user's.
    if (activation_.wanted && !job.again && job.window != activation_.job.window && Covers(job)) GiveUpActivation();
}

void WindowJobs::GiveUpActivation() {
    activation_.wanted = false;
    lastActivated_ = kNoWindow;
}

void WindowJobs::ActivationOutOfTime() {
    flashOwed_ = activation_.job.window;
    GiveUpActivation();
}

void WindowJobs::Show(WindowHandle window, int showCode, std::uint32_t thread) {
    WindowJob job;
    job.kind = WindowJob::kShow;
    job.window = window;
    job.thread = thread;
    job.showCode = showCode;
    Add(job);
}

void WindowJobs::OpenIcon(WindowHandle window, std::uint32_t thread) {
    WindowJob job;
    job.kind = WindowJob::kOpenIcon;
    job.window = window;
    job.thread = thread;
    Add(job);
}

void WindowJobs::BringUp(WindowHandle window, std::uint32_t thread) {
    WindowJob job;
    job.kind = WindowJob::kBringUp;
    job.window = window;
    job.thread = thread;
    Add(job);
}

void WindowJobs::Raise(WindowHandle window, std::uint32_t now, std::uint32_t thread) {
    WindowJob job;
    job.kind = WindowJob::kRaise;
    job.window = window;
    job.thread = thread;
    job.askedAt = now;
    Add(job);
}

void WindowJobs::Activate(WindowHandle window, std::uint32_t now) {
    // A newer activation replaces one still pending; one in hand reports to the newer.
    activation_.wanted = true;
    activation_.job.kind = WindowJob::kActivate;
    activation_.job.window = window;
    activation_.job.order = nextOrder_++;
    activation_.until = now + kActivateForMs;
    activation_.notBefore = now;
    lastActivated_ = window;
    lastActivateUntil_ = activation_.until;
}

bool WindowJobs::Stalled(const Lane& lane, std::uint32_t now) const {
    return lane.inHand && (lane.slow || Reached(now, lane.since + kStallMs));
}

bool WindowJobs::HeldBack(WindowHandle window, std::uint64_t order, std::uint32_t now) const {
    for (const Lane& lane : lanes_) {
        if (lane.window == window || Stalled(lane, now)) continue;
        // A lane's pending jobs are newer than its call in hand; those of a lane not in hand
        // are candidates of their own, and the oldest candidate is taken first.
        if (lane.inHand && lane.held.order < order) return true;
    }
    return false;
}

const WindowJobs::Lane* WindowJobs::ThreadHolder(const Lane& lane) const {
    if (lane.thread == 0) return nullptr;
    for (const Lane& other : lanes_)
        if (&other != &lane && other.inHand && other.thread == lane.thread) return &other;
    return nullptr;
}

const WindowJobs::Lane* WindowJobs::OldestStartable() const {
    const Lane* oldest = nullptr;
    for (const Lane& lane : lanes_) {
        // A call to a window whose thread is making another window's call would only wait
        // for it in a worker of its own.
        if (lane.inHand || lane.pending.empty() || ThreadHolder(lane) != nullptr) continue;
        if (oldest == nullptr || lane.pending.front().order < oldest->pending.front().order) oldest = &lane;
    }
    return oldest;
}

bool WindowJobs::ActivationStartable(std::uint32_t now) const {
    if (!activation_.wanted || activation_.inHand || !Reached(now, activation_.notBefore)) return false;
    const WindowJob& job = activation_.job;
    // Its own window's shows and raise come first, however long that window is busy.
    if (const Lane* own = FindLane(job.window)) {
        if (own->inHand && own->held.order < job.order) return false;
        if (!own->pending.empty() && own->pending.front().order < job.order) return false;
    }
    const Lane* oldest = OldestStartable();
    if (oldest != nullptr && oldest->pending.front().order < job.order) return false;
    return !HeldBack(job.window, job.order, now);
}

bool WindowJobs::Take(std::uint32_t now, WindowJob* job) {
    // Its time counts from when it was asked, not from its first try: one that waited that long
    // behind a busy window's calls would take the foreground long after the user stopped
    // expecting it.
    if (activation_.wanted && !activation_.inHand && Reached(now, activation_.until)) ActivationOutOfTime();
    if (flashOwed_ != kNoWindow) {
        *job = WindowJob{};
        job->kind = WindowJob::kFlash;
        job->window = flashOwed_;
        flashOwed_ = kNoWindow;
        return true;
    }
    const Lane* oldest = OldestStartable();
    if (oldest != nullptr && !HeldBack(oldest->window, oldest->pending.front().order, now)) {
        Lane& lane = *FindLane(oldest->window);
        lane.held = lane.pending.front();
        lane.pending.erase(lane.pending.begin());
        lane.inHand = true;
        lane.since = now;
        *job = lane.held;
        return true;
    }
    if (ActivationStartable(now)) {
        activation_.inHand = true;
        activation_.inHandOrder = activation_.job.order;
        *job = activation_.job;
        return true;
    }
    return false;
}

void WindowJobs::Landed(const WindowJob& job, std::uint32_t now) {
    Lane* lane = FindLane(job.window);
    if (lane == nullptr || !lane->inHand || lane->held.order != job.order) return;
    lane->inHand = false;
    lane->slow = Reached(now, lane->since + kStallMs);
    if (job.kind == WindowJob::kRaise && job.order > topOrder_) {
        top_ = job.window;
        topOrder_ = job.order;
    }
    NoteLanding(job, now);
    DropEmptyLanes();
}

void WindowJobs::NoteLanding(const WindowJob& landed, std::uint32_t now) {
    if (!Covers(landed)) return;
    if (landed.kind == WindowJob::kRaise && landed.window == top_ && landed.order == topOrder_) {
        watching_ = true;
        watchUntil_ = now + kWatchMs;
        // Counted from the raise the user asked for: the schedule's own raises do not extend it.
        if (!landed.again) {
            watchHeldUntil_ = now + kWatchHeldMs;
            userRaiseAskedAt_ = landed.askedAt;
            userRaiseLandedAt_ = now;
        }
        nextWatch_ = now;
        return;
    }
    if (landed.window == top_) return;
    const auto same = [&](const Landing& l) { return l.window == landed.window; };
    landings_.erase(std::remove_if(landings_.begin(), landings_.end(), same), landings_.end());
    landings_.push_back(Landing{landed.window, landed.order, now});
    // A call that was held up by its busy window has just put it above the newest raise.
    if (landed.order < topOrder_) RaiseTopAgain(now);
}

bool WindowJobs::NewerRaiseAsked() const {
    const auto newer = [&](const WindowJob& j) { return j.kind == WindowJob::kRaise && j.order > topOrder_; };
    for (const Lane& lane : lanes_) {
        if (lane.window == top_) continue;
        if ((lane.inHand && newer(lane.held)) || std::any_of(lane.pending.begin(), lane.pending.end(), newer)) return true;
    }
    return false;
}

void WindowJobs::RaiseTopAgain(std::uint32_t now) {
    if (NewerRaiseAsked()) return;
    const Lane* topLane = FindLane(top_);
    const bool raisePending =
        topLane != nullptr && ((topLane->inHand && topLane->held.kind == WindowJob::kRaise) ||
                               std::any_of(topLane->pending.begin(), topLane->pending.end(),
                                           [](const WindowJob& j) { return j.kind == WindowJob::kRaise; }));
    if (!raisePending) {
        WindowJob job;
        job.kind = WindowJob::kRaise;
        job.window = top_;
        job.again = true;
        Add(job);
    }
    if (lastActivated_ == top_ && !Reached(now, lastActivateUntil_) && !activation_.inHand) {
        activation_.wanted = true;
        activation_.job.kind = WindowJob::kActivate;
        activation_.job.window = top_;
        activation_.job.order = nextOrder_++;
        activation_.until = lastActivateUntil_;
        activation_.notBefore = now;
    }
}

bool WindowJobs::WatchTop(std::uint32_t now, WindowHandle* top, std::vector<WindowHandle>* below) {
    // A busy window's restore can show it before its call returns: while such a call older than
    // the newest raise is in hand, the watch goes on (for at most kWatchHeldMs).
    below->clear();
    if (!Reached(now, watchHeldUntil_)) {
        for (const Lane& lane : lanes_)
            if (lane.inHand && lane.window != top_ && lane.held.order < topOrder_ && Covers(lane.held))
                below->push_back(lane.window);
    }
    if (watching_ && Reached(now, watchUntil_) && below->empty()) watching_ = false;
    landings_.erase(std::remove_if(landings_.begin(), landings_.end(),
                                   [&](const Landing& l) { return Reached(now, l.at + kWatchMs); }),
                    landings_.end());
    if (!watching_ || !Reached(now, nextWatch_)) return false;
    nextWatch_ = now + kWatchEveryMs;
    for (const Landing& l : landings_)
        if (l.order < topOrder_) below->push_back(l.window);
    *top = top_;
    return !below->empty();
}

void WindowJobs::TopCovered(std::uint32_t now) {
    if (watching_) RaiseTopAgain(now);
}

void WindowJobs::UserInput(std::uint32_t at) {
    // Input in the very tick the raise landed may have come before it.
    if (topOrder_ == 0 || !Later(at, userRaiseLandedAt_) || !Later(at, userRaiseAskedAt_ + kInputGraceMs)) return;
    // Told again before every watch: a raise made again after this (a call landing late) is
    // watched no longer either.
    watching_ = false;
    watchHeldUntil_ = userRaiseLandedAt_;
    landings_.clear();
}

void WindowJobs::Fence(std::uint32_t now) {
    fence_ = nextOrder_;
    fenceAt_ = now;
    GiveUpActivation();
}

bool WindowJobs::FenceReached(std::uint32_t now) {
    if (fence_ == 0) return false;
    // An activation already in hand cannot be called back: the program's window takes the
    // foreground after it, not before (it returns at once; it waits for no window's thread).
    if (activation_.inHand) return false;
    const bool awaitActivation = !Reached(now, fenceAt_ + kFenceAwaitsActivationMs);
    const auto activatesBeforeFence = [&](const WindowJob& j) { return j.order < fence_ && Activates(j); };
    for (const Lane& lane : lanes_) {
        // A lane waiting for a thread that a stalled call holds is as stalled as that call.
        const Lane* holder = lane.inHand ? nullptr : ThreadHolder(lane);
        if (Stalled(lane, now) || (holder != nullptr && Stalled(*holder, now))) {
            // It and what waits behind it hold no one, but for a while a call that would take
            // the foreground when it lands.
            if (awaitActivation && ((lane.inHand && activatesBeforeFence(lane.held)) ||
                                    std::any_of(lane.pending.begin(), lane.pending.end(), activatesBeforeFence))) {
                return false;
            }
            continue;
        }
        const std::uint64_t oldest = lane.inHand ? lane.held.order : lane.pending.front().order;
        if (oldest < fence_) return false;
    }
    fence_ = 0;
    return true;
}

void WindowJobs::ActivationTried(ActivationTry result, std::uint32_t now) {
    if (!activation_.inHand) return;
    activation_.inHand = false;
    if (!activation_.wanted) return;  // given up meanwhile
    if (activation_.inHandOrder != activation_.job.order) return;  // a newer one waits
    switch (result) {
        case ActivationTry::kDone:
            // Kept as the last activation: a late landing that covers the window tries again.
            activation_.wanted = false;
            return;
        case ActivationTry::kRefused:
            // The user is in another program: trying again, now or after a late landing, would
            // be refused again until the user acts.
            GiveUpActivation();
            return;
        case ActivationTry::kAgain:
            if (Reached(now, activation_.until)) {
                ActivationOutOfTime();
            } else {
                activation_.notBefore = now + kActivateRetryMs;
            }
            return;
    }
}

std::uint32_t WindowJobs::WaitMs(std::uint32_t now) const {
    std::uint32_t wait = kNoWait;
    const auto until = [&](std::uint32_t when) {
        const std::uint32_t left = Reached(now, when) ? 1 : when - now;
        wait = std::min(wait, left);
    };
    if (watching_) until(nextWatch_);
    if (flashOwed_ != kNoWindow) return 0;
    bool anyPending = fence_ != 0 || (activation_.wanted && !activation_.inHand);
    for (const Lane& lane : lanes_) anyPending = anyPending || !lane.pending.empty();
    if (!anyPending) return wait;
    for (const Lane& lane : lanes_)
        if (lane.inHand && !Stalled(lane, now)) until(lane.since + kStallMs);
    if (activation_.wanted && !activation_.inHand && !Reached(now, activation_.notBefore)) until(activation_.notBefore);
    // Waiting behind a busy window's call, it is flashed when its time is up, not when the call lands.
    if (activation_.wanted && !activation_.inHand) until(activation_.until);
    if (fence_ != 0 && !Reached(now, fenceAt_ + kFenceAwaitsActivationMs)) until(fenceAt_ + kFenceAwaitsActivationMs);
    return wait;
}

std::vector<WindowJob> WindowJobs::DropPending() {
    std::vector<WindowJob> shows;
    for (Lane& lane : lanes_) {
        for (const WindowJob& job : lane.pending)
            if (IsShowJob(job)) shows.push_back(job);
        lane.pending.clear();
    }
    activation_.wanted = activation_.inHand;
    flashOwed_ = kNoWindow;
    DropEmptyLanes();
    std::sort(shows.begin(), shows.end(), [](const WindowJob& a, const WindowJob& b) { return a.order < b.order; });
    return shows;
}

std::size_t WindowJobs::Pending() const {
    std::size_t count = (activation_.wanted && !activation_.inHand ? 1 : 0) + (flashOwed_ != kNoWindow ? 1 : 0);
    for (const Lane& lane : lanes_) count += lane.pending.size();
    return count;
}

std::size_t WindowJobs::CallsInHand() const {
    return static_cast<std::size_t>(
        std::count_if(lanes_.begin(), lanes_.end(), [](const Lane& lane) { return lane.inHand; }));
}

void WindowJobs::DropEmptyLanes() {
    lanes_.erase(std::remove_if(lanes_.begin(), lanes_.end(),
                                [](const Lane& lane) { return !lane.inHand && lane.pending.empty(); }),
                 lanes_.end());
}

std::vector<WindowJobs::LaneState> WindowJobs::LaneStates(std::uint32_t now) const {
    std::vector<LaneState> states;
    for (const Lane& lane : lanes_) {
        states.push_back(LaneState{lane.window, static_cast<int>(lane.pending.size()), lane.inHand,
                                   lane.inHand ? now - lane.since : 0});
    }
    return states;
}

}  // namespace quilvo
