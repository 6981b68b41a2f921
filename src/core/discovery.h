// One discovery pass: finds the SAP GUI session windows, records and queries them,
// and sweeps the records the pass did not reach.
#pragma once

#include <cstdint>
#include <vector>

#include "core/session.h"
#include "core/discovery_windows.h"

namespace quilvo {

constexpr int kClassNameCapacity = 128;  // 127 characters and the terminator
constexpr const char* kDefaultSessionClass = "SAP_FRONTEND_SESSION";

// What the previous walk of the desktop learnt of each window it visited: whether it is of the
// session class. A window's class never changes while the window lives, so a walk reads the
// class name only of windows the walk before it did not see. A window missing from that walk
// is read again: its handle may have been given to a new window meanwhile. Allocates nothing
// after construction.
class SessionClassCache {
public:
    // Windows remembered per walk; the ones past it are simply read every time.
    static constexpr int kCapacity = 4096;

    SessionClassCache() : previous_(kCapacity), current_(kCapacity) {}
    SessionClassCache(const SessionClassCache&) = delete;
    SessionClassCache& operator=(const SessionClassCache&) = delete;

    // Starts a walk that looks for className; what was learnt for another class is forgotten.
    void BeginWalk(const char* className);
    // True, with *isSession, when the previous walk visited window and could read its class.
    bool Recall(WindowHandle window, bool* isSession) const;
    void Note(WindowHandle window, bool isSession);
    // Ends the walk: what it noted is what the next walk recalls.
    void EndWalk();

private:
    struct Entry {
        WindowHandle window;
        bool isSession;
    };
    static bool ByWindow(const Entry& a, const Entry& b) { return a.window < b.window; }

    std::vector<Entry> previous_;  // sorted by window
    std::vector<Entry> current_;   // in the order visited
    int previousCount_ = 0;
    int currentCount_ = 0;
    char className_[kClassNameCapacity] = {};
};

// A discovery pass in parts, so that nothing waits for the sessions' replies: Begin walks the
// desktop and records the sessions; SendDiscoveryQueries sends their queries, a few sessions at
// a time if asked (the queries go out once the desktop has been walked: sessions answering
// meanwhile would only slow the walk down); the replies land in the table as they come; Finish
// sweeps the records the pass did not reach and marks the sessions whose
// queries are still unanswered as busy. previousCount is the count the refresh cycle saw on
// its last pass (known windows are searched among that many).
struct DiscoveryPass {
    std::uint32_t stamp = 0;    // the tick the pass stamps its records with
    std::uint32_t queries = 0;  // the pass number of its queries (FrontQueryPool)
};
DiscoveryPass BeginDiscovery(SessionTable& table, int previousCount, const char* className, DiscoveryWindows& windows);
// Begin in its two steps, so that the walk, which reads every window of the desktop, can be
// made on another thread: OpenDiscovery on the thread that sends the queries and takes their
// replies; WalkDesktop anywhere, on a table nothing else touches meanwhile, and with nothing
// else using `windows`' walk (EnumerateAll, the class cache, SessionSeen).
DiscoveryPass OpenDiscovery(DiscoveryWindows& windows);
void WalkDesktop(SessionTable& table, int previousCount, const char* className, std::uint32_t stamp,
                 DiscoveryWindows& windows);
// A session's answers (System, Client, User, Server group, Transaction) from `from` into `to`.
void CopyAnswers(SessionRecord& to, const SessionRecord& from);
// The answers that landed in `current` while `walked` was walked go over into the walk's
// records of the same windows.
void TakeLaterAnswers(SessionTable& walked, const SessionTable& current);
// Sends the queries of the recorded sessions from *next on, at most `sessions` of them (0: all);
// true once every recorded session has been sent its queries.
bool SendDiscoveryQueries(SessionTable& table, DiscoveryWindows& windows, int* next, int sessions);
// True when no query of the pass is unanswered.
bool DiscoveryAnswered(const DiscoveryPass& pass, DiscoveryWindows& windows);
// Returns the session count.
int FinishDiscovery(SessionTable& table, const DiscoveryPass& pass, DiscoveryWindows& windows);

// The whole pass at once: Begin, the replies awaited (AwaitReplies), Finish.
int DiscoverSessions(SessionTable& table, int previousCount, const char* className,
                     DiscoveryWindows& windows);

// Clears every record whose stamp differs from the pass's stamp.
void SweepStaleSessions(SessionTable& table, std::uint32_t stamp);

}  // namespace quilvo
