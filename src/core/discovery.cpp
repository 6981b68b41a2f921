#include "core/discovery.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "base/int_range.h"
#include "base/text.h"

namespace quilvo {
namespace {

struct WalkContext {
    char className[kClassNameCapacity];
    DesktopWalk* walk;
    DiscoveryWindows* windows;
    SessionClassCache* classes;
    MonitorList monitors;
};

// The session's place on the virtual screen: the normal rectangle in screen coordinates, a
// maximised window at the corner of the monitor it fills. Read afresh at every pass: a
// session the user restored from maximised is no longer taken for maximised.
void PlaceSession(const WalkContext& walk, WalkedSession& s) {
    DiscoveryWindows& windows = *walk.windows;
    NormalRect normal = {};
    bool maximized = false;
    windows.NormalPlacement(s.window, &normal, &maximized);
    // The size as the platform gives it: a conversion near the ends of the range may clamp.
    s.width = SpanOf(normal.left, normal.right);
    s.height = SpanOf(normal.top, normal.bottom);
    // The window's style is read only where the conversion it decides moves anything.
    if (WorkspaceShifted(walk.monitors, normal) && windows.InWorkspaceCoordinates(s.window))
        normal = WorkspaceToScreen(walk.monitors, normal);
    s.zoomed = maximized;
    if (s.zoomed) {
        NormalRect now = normal;
        windows.WindowRect(s.window, &now);
        const ScreenPoint origin = MaximisedOrigin(walk.monitors, now);
        s.x = origin.x;
        s.y = origin.y;
    } else {
        s.x = normal.left;
        s.y = normal.top;
    }
}

// Whether window is of the session class: as the previous walk found, when it saw the window,
// else read. A class that cannot be read belongs to a window that went away between the walk's
// snapshot and this visit: it is skipped, the walk goes on, and nothing is noted of it.
bool IsSessionWindow(WalkContext& walk, WindowHandle window) {
    bool isSession = false;
    if (!walk.classes->Recall(window, &isSession)) {
        char className[kClassNameCapacity] = {};
        if (walk.windows->ClassName(window, className, 127) == 0) return false;
        isSession = EqualsNoCase(className, walk.className);
    }
    walk.classes->Note(window, isSession);
    return isSession;
}

bool VisitWindow(WindowHandle window, void* context) {
    WalkContext& walk = *static_cast<WalkContext*>(context);
    if (!IsSessionWindow(walk, window)) return true;
    std::vector<WalkedSession>& found = walk.walk->sessions;
    // A full table ends the walk: the sessions after it wait for a pass that finds fewer.
    if (found.size() >= static_cast<std::size_t>(kTableCapacity)) return false;
    found.emplace_back();
    WalkedSession& s = found.back();
    std::memset(&s, 0, sizeof s);
    s.window = window;
    // At most 254 characters of the caption are taken.
    if (walk.windows->Caption(window, s.title, sizeof s.title - 1) == 0) CopyCut(s.title, "INVALID");
    PlaceSession(walk, s);
    walk.windows->SessionSeen(window);
    return true;
}

// Sends one session what the book says is to be asked, all at once: the queries reach the
// session in this order, since a window's thread takes the messages sent to it in the order
// they were sent. A session still owing an answer from an earlier pass is sent nothing new
// until those queries give their records back (after FrontQueryPool::kLifetimeMs, or sooner
// when the pool needs the room), so one that hangs for an hour is not piled up with queries.
void QuerySession(const WalkedSession& s, SessionBook& book, bool forced, AnswerSink* sink, DiscoveryWindows& windows) {
    static const int kEverything[] = {kFrontClient, kFrontServerGroup, kFrontUser, kFrontSystem, kFrontTransaction};
    static const int kTransaction[] = {kFrontTransaction};
    FrontQueryPool& queries = windows.Queries();
    if (queries.Outstanding(s.window) || queries.FreeCount() < FrontQueryPool::kQueriesPerSession) return;
    const bool everything = book.WhatToAsk(s, forced) == SessionBook::Ask::Everything;
    if (everything) book.AskedEverything(s);
    const int* codes = everything ? kEverything : kTransaction;
    const int count = everything ? static_cast<int>(std::size(kEverything)) : 1;
    for (int i = 0; i < count; ++i) {
        const FrontToken token = queries.Open(sink, s.window, codes[i]);
        if (!windows.SendFront(s.window, codes[i], token)) {
            queries.Cancel(token);
            return;  // the window is gone: nothing more to ask
        }
    }
}

}  // namespace

void SessionClassCache::BeginWalk(const char* className) {
    if (std::strcmp(className, className_) != 0) {
        CopyCut(className_, className);
        previousCount_ = 0;
    }
    currentCount_ = 0;
}

bool SessionClassCache::Recall(WindowHandle window, bool* isSession) const {
    const Entry* end = previous_.data() + previousCount_;
    const Entry* it = std::lower_bound(previous_.data(), end, Entry{window, false}, &ByWindow);
    if (it == end || it->window != window) return false;
    *isSession = it->isSession;
    return true;
}

void SessionClassCache::Note(WindowHandle window, bool isSession) {
    if (currentCount_ < kCapacity) current_[currentCount_++] = Entry{window, isSession};
}

void SessionClassCache::EndWalk() {
    std::sort(current_.begin(), current_.begin() + currentCount_, &ByWindow);
    previous_.swap(current_);
    previousCount_ = currentCount_;
    currentCount_ = 0;
}

void WalkDesktop(DesktopWalk& walk, const char* className, DiscoveryWindows& windows) {
    WalkContext context = {};
    CopyCut(context.className, className != nullptr ? className : kDefaultSessionClass);
    context.walk = &walk;
    context.windows = &windows;
    context.classes = &windows.Classes();
    context.monitors = windows.Monitors();
    walk.sessions.clear();
    context.classes->BeginWalk(context.className);
    windows.EnumerateAll(context.className, &VisitWindow, &context);
    context.classes->EndWalk();
}

Discovery::Discovery(DiscoveryWindows& windows, const char* className) : windows_(windows) {
    CopyCut(className_, className != nullptr ? className : kDefaultSessionClass);
}

Discovery::~Discovery() { windows_.Queries().Forget(this); }

void Discovery::Open(bool forced) {
    // Replies that can no longer come (their window is gone) give their records back.
    windows_.Queries().ReleaseGone(
        [](WindowHandle w, void* ws) { return !static_cast<DiscoveryWindows*>(ws)->Exists(w); }, &windows_);
    pass_ = windows_.Queries().BeginPass(windows_.TickCount());
    forced_ = forced;
    next_ = 0;
    allAsked_ = false;
    firstAskAt_ = 0;
    slowestMs_ = 0;
}

void Discovery::Walk() { WalkDesktop(walk_, className_, windows_); }

bool Discovery::Ask(int sessions) {
    if (next_ == 0) {
        book_.Follow(walk_.sessions);
        firstAskAt_ = windows_.TickCount();
    }
    const int found = Found();
    const int end = sessions > 0 && found - next_ > sessions ? next_ + sessions : found;
    for (; next_ < end; ++next_) QuerySession(walk_.sessions[static_cast<std::size_t>(next_)], book_, forced_, this, windows_);
    allAsked_ = next_ >= found;
    return allAsked_;
}

bool Discovery::Answered() const { return windows_.Queries().Pending(pass_) == 0; }

void Discovery::Record(std::vector<SessionRecord>& out) const {
    out.clear();
    const FrontQueryPool& queries = windows_.Queries();
    for (const WalkedSession& s : walk_.sessions) {
        out.emplace_back();
        SessionRecord& r = out.back();
        std::memset(&r, 0, sizeof r);
        r.window = s.window;
        r.index = static_cast<std::int16_t>(out.size() - 1);
        r.zoomed = s.zoomed ? 1 : 0;
        r.x = s.x;
        r.y = s.y;
        r.width = s.width;
        r.height = s.height;
        std::memcpy(r.title, s.title, sizeof r.title);
        book_.CopyAnswers(s.window, r);
        r.busy = queries.Outstanding(s.window) ? 1 : 0;
    }
}

std::vector<SessionRecord> Discovery::Pass(bool forced) {
    Open(forced);
    Walk();
    Ask(0);
    // One wait for the whole pass, however many sessions do not answer.
    AwaitAnswers();
    std::vector<SessionRecord> sessions;
    Record(sessions);
    return sessions;
}

void Discovery::OnAnswer(WindowHandle window, int code, const char* answer, std::uint32_t pass) {
    book_.Store(window, code, answer);
    // Unsigned: the difference measures the time across a wrap of the tick count.
    if (pass == pass_) slowestMs_ = std::max<std::uint32_t>(slowestMs_, windows_.TickCount() - firstAskAt_);
    if (pass == pass_ && allAsked_ && answered_ && Answered()) answered_();
}

}  // namespace quilvo
