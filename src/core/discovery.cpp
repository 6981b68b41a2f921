#include "core/discovery.h"

#include <algorithm>
#include <cstring>

#include "base/int_range.h"
#include "base/text.h"

namespace quilvo {
namespace {

struct PassContext {
    std::int32_t reset;
    std::uint32_t stamp;
    char className[kClassNameCapacity];
    SessionTable* table;
    int previousCount;
    DiscoveryWindows* windows;
    SessionClassCache* classes;
    MonitorList monitors;
    SessionRecord previous[kTableCapacity];  // the table as the pass found it
};

// What the previous pass learnt of a window: its record then, or none.
const SessionRecord* PreviousRecord(const PassContext& pass, WindowHandle window) {
    for (const SessionRecord& r : pass.previous) {
        if (r.window == window) return &r;
    }
    return nullptr;
}

// Starts the record of a window that another window held: empty but for the window's own
// answers of the previous pass, when it had any. The desktop's order changes whenever the user
// activates another window; a session that is busy then is not asked again, and must not lose
// its System, Client and the rest (and with them its boxes) until it answers.
void TakeOverRecord(const PassContext& pass, SessionRecord& r, WindowHandle window) {
    std::memset(&r, 0, sizeof r);
    const SessionRecord* before = PreviousRecord(pass, window);
    if (before != nullptr) CopyAnswers(r, *before);
}

// The session's place on the virtual screen: the normal rectangle in screen coordinates, a
// maximised window at the corner of the monitor it fills.
void PlaceSession(const PassContext& pass, SessionRecord& r, WindowHandle window) {
    DiscoveryWindows& windows = *pass.windows;
    NormalRect normal = {};
    windows.NormalPlacement(window, &normal);
    // The size as the platform gives it: a conversion near the ends of the range may clamp.
    r.width = SpanOf(normal.left, normal.right);
    r.height = SpanOf(normal.top, normal.bottom);
    if (windows.InWorkspaceCoordinates(window)) normal = WorkspaceToScreen(pass.monitors, normal);
    if (windows.IsZoomed(window)) {
        NormalRect now = normal;
        windows.WindowRect(window, &now);
        const ScreenPoint origin = MaximisedOrigin(pass.monitors, now);
        r.x = origin.x;
        r.y = origin.y;
        r.zoomed = 1;  // written only for a zoomed window: it stays until the record is swept
    } else {
        r.x = normal.left;
        r.y = normal.top;
    }
}

// A session seen by the previous pass keeps its record fresh even before this pass
// rewrites it: its caption and stamp are renewed where it stood.
void RefreshKnownSession(PassContext& pass, WindowHandle window) {
    const int limit = std::min(pass.previousCount, kTableCapacity);
    for (int i = 0; i < limit; ++i) {
        SessionRecord& r = pass.table->records[i];
        if (r.window == window && r.user[0] != '\0' && r.client[0] != '\0' && r.system[0] != '\0') {
            char caption[256] = {};
            pass.windows->Caption(window, caption, sizeof caption);
            CopyCut(r.title, caption);
            r.stamp = pass.stamp;
            return;
        }
    }
}

// Sends the six queries of one session, all at once: they reach the session in this order,
// since a window's thread takes the messages sent to it in the order they were sent, and the
// replies are collected for the whole pass afterwards. A session still owing an answer from
// an earlier pass is sent nothing new until those queries give their records back (after
// FrontQueryPool::kLifetimeMs, or sooner when the pool needs the room), so one that hangs for
// an hour is not piled up with queries; its record then counts as unanswered.
void QuerySession(SessionTable& table, DiscoveryWindows& windows, int position) {
    static const int kCodes[FrontQueryPool::kQueriesPerSession] = {
        kFrontClient, kFrontServerGroup, kFrontUser, kFrontSystem, kFrontTransaction, kFrontDone};
    FrontQueryPool& queries = windows.Queries();
    const WindowHandle window = table.records[position].window;
    if (queries.Outstanding(window) || queries.FreeCount() < FrontQueryPool::kQueriesPerSession) return;
    for (int code : kCodes) {
        const FrontToken token = queries.Open(&windows, table, position, window, code);
        if (!windows.SendFront(window, code, token)) {
            queries.Cancel(token);
            return;  // the window is gone: nothing more to ask
        }
    }
}

// Whether window is of the session class: as the previous walk found, when it saw the window,
// else read. A class that cannot be read belongs to a window that went away between the walk's
// snapshot and this visit: it is skipped, the walk goes on, and nothing is noted of it.
bool IsSessionWindow(PassContext& pass, WindowHandle window) {
    bool isSession = false;
    if (!pass.classes->Recall(window, &isSession)) {
        char className[kClassNameCapacity] = {};
        if (pass.windows->ClassName(window, className, 127) == 0) return false;
        isSession = EqualsNoCase(className, pass.className);
    }
    pass.classes->Note(window, isSession);
    return isSession;
}

bool VisitWindow(WindowHandle window, void* context) {
    PassContext& pass = *static_cast<PassContext*>(context);
    SessionTable& table = *pass.table;
    if (pass.reset == 1) {
        pass.reset = 0;
        table.count = 0;
    }
    if (!IsSessionWindow(pass, window)) return true;

    RefreshKnownSession(pass, window);

    char caption[256] = {};
    // At most 254 characters of the caption are taken.
    if (pass.windows->Caption(window, caption, sizeof caption - 1) == 0) CopyCut(caption, "INVALID");

    if (table.count >= kTableCapacity) return false;

    SessionRecord& r = table.records[table.count];
    // A record taken over by another window never keeps what it held: a session that does not
    // answer must not show (and be grouped and closed by) the identity of the one recorded
    // here before.
    if (r.window != window) TakeOverRecord(pass, r, window);
    r.stamp = pass.stamp;
    r.index = static_cast<std::int16_t>(table.count);
    r.window = window;
    PlaceSession(pass, r, window);
    CopyCut(r.title, caption);
    pass.windows->SessionSeen(window);

    ++table.count;
    return true;
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

void SweepStaleSessions(SessionTable& table, std::uint32_t stamp) {
    for (SessionRecord& r : table.records) {
        if (r.stamp != stamp) std::memset(&r, 0, sizeof r);
    }
}

DiscoveryPass OpenDiscovery(DiscoveryWindows& windows) {
    // Replies that can no longer come (their window is gone) give their records back.
    windows.Queries().ReleaseGone([](WindowHandle w, void* ws) { return !static_cast<DiscoveryWindows*>(ws)->Exists(w); },
                                  &windows);
    DiscoveryPass result;
    result.stamp = windows.TickCount();
    result.queries = windows.Queries().BeginPass(result.stamp);
    return result;
}

void WalkDesktop(SessionTable& table, int previousCount, const char* className, std::uint32_t stamp,
                 DiscoveryWindows& windows) {
    PassContext pass = {};
    pass.reset = 1;
    pass.stamp = stamp;
    CopyCut(pass.className, className != nullptr ? className : kDefaultSessionClass);
    pass.table = &table;
    pass.previousCount = previousCount;
    pass.windows = &windows;
    pass.classes = &windows.Classes();
    pass.monitors = windows.Monitors();
    std::memcpy(pass.previous, table.records, sizeof pass.previous);
    table.count = 0;
    pass.classes->BeginWalk(pass.className);
    windows.EnumerateAll(&VisitWindow, &pass);
    pass.classes->EndWalk();
}

void CopyAnswers(SessionRecord& to, const SessionRecord& from) {
    std::memcpy(to.system, from.system, sizeof to.system);
    std::memcpy(to.serverGroup, from.serverGroup, sizeof to.serverGroup);
    std::memcpy(to.user, from.user, sizeof to.user);
    std::memcpy(to.transaction, from.transaction, sizeof to.transaction);
    std::memcpy(to.client, from.client, sizeof to.client);
}

void TakeLaterAnswers(SessionTable& walked, const SessionTable& current) {
    for (int i = 0; i < walked.count; ++i) {
        SessionRecord& r = walked.records[i];
        for (const SessionRecord& c : current.records) {
            if (c.window == r.window) {
                CopyAnswers(r, c);
                break;
            }
        }
    }
}

DiscoveryPass BeginDiscovery(SessionTable& table, int previousCount, const char* className, DiscoveryWindows& windows) {
    const DiscoveryPass pass = OpenDiscovery(windows);
    WalkDesktop(table, previousCount, className, pass.stamp, windows);
    return pass;
}

bool SendDiscoveryQueries(SessionTable& table, DiscoveryWindows& windows, int* next, int sessions) {
    const int end = sessions > 0 && table.count - *next > sessions ? *next + sessions : table.count;
    for (; *next < end; ++*next) QuerySession(table, windows, *next);
    return *next >= table.count;
}

bool DiscoveryAnswered(const DiscoveryPass& pass, DiscoveryWindows& windows) {
    return windows.Queries().Pending(pass.queries) == 0;
}

int FinishDiscovery(SessionTable& table, const DiscoveryPass& pass, DiscoveryWindows& windows) {
    SweepStaleSessions(table, pass.stamp);
    for (int position = 0; position < table.count; ++position) {
        SessionRecord& r = table.records[position];
        r.busy = windows.Queries().Outstanding(r.window) ? 1 : 0;
    }
    return table.count;
}

int DiscoverSessions(SessionTable& table, int previousCount, const char* className, DiscoveryWindows& windows) {
    const DiscoveryPass pass = BeginDiscovery(table, previousCount, className, windows);
    int next = 0;
    SendDiscoveryQueries(table, windows, &next, 0);
    // One wait for the whole pass, however many sessions do not answer.
    windows.AwaitReplies(pass.queries);
    return FinishDiscovery(table, pass, windows);
}

}  // namespace quilvo
