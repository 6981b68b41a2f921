// Discovery: finds the SAP GUI session windows, records where they are and asks them who
// they are.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "core/discovery_windows.h"
#include "core/front_queries.h"
#include "core/session.h"
#include "core/session_book.h"

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

// One session window as the walk found it: its place on the virtual screen (a maximised one at
// the corner of the monitor it fills) and its caption ("INVALID" when empty or unreadable).
struct WalkedSession {
    WindowHandle window;
    std::int32_t x, y, width, height;
    bool zoomed;
    char title[256];
};

// The session windows of one walk of the desktop, in the walk's order (the desktop's, top
// first): at most kTableCapacity. Its storage is kept from walk to walk.
struct DesktopWalk {
    DesktopWalk() { sessions.reserve(kTableCapacity); }
    std::vector<WalkedSession> sessions;
};

// Walks every window of the desktop for those of className. May be made on a thread of its
// own, with nothing else touching `walk` or the walk's part of `windows` (EnumerateAll, the
// class cache, SessionSeen) meanwhile.
void WalkDesktop(DesktopWalk& walk, const char* className, DiscoveryWindows& windows);

// A discovery pass, in steps, so that nothing waits for the sessions: Open starts it, Walk
// walks the desktop (on any thread), Ask sends the sessions what the book says is to be asked
// (a few sessions at a time if asked to), the replies land in the book as they come, keyed by
// window, and Record gives the sessions found with what they answered. A pass asks a calm
// session only its Transaction; the rest is asked again when its title changed, when its
// System, Client or User is still empty (a logon screen has no User yet), and at a forced pass.
class Discovery final : public AnswerSink {
public:
    // Both must outlive the discovery; className is copied (none: the default class).
    Discovery(DiscoveryWindows& windows, const char* className);
    // Replies still to come are taken when they come, and handed to nobody.
    ~Discovery();
    Discovery(const Discovery&) = delete;
    Discovery& operator=(const Discovery&) = delete;

    // Starts a pass; forced: every session is asked everything.
    void Open(bool forced);
    // The walk: anywhere, see WalkDesktop.
    void Walk();
    // Sends the queries of the next `sessions` sessions found (0: all); true once every session
    // found has been sent what it is to be asked.
    bool Ask(int sessions);
    // The sessions found and not yet sent their queries.
    int Unasked() const { return Found() - next_; }
    // No query of the pass is unanswered.
    bool Answered() const;
    // Lets the replies come in until none is owed or the pass's wait is used up.
    void AwaitAnswers() { windows_.AwaitReplies(pass_); }
    // The sessions found, in the walk's order, each with its answers; busy while a query to it
    // is unanswered.
    void Record(std::vector<SessionRecord>& out) const;
    int Found() const { return static_cast<int>(walk_.sessions.size()); }
    // When the pass sent its first query (0 before), and how long after that its last answer
    // so far came (0: none yet).
    std::uint32_t FirstAskAt() const { return firstAskAt_; }
    std::uint32_t SlowestAnswerMs() const { return slowestMs_; }

    // The whole pass at once: Open, Walk, Ask, the replies awaited (AwaitReplies), Record.
    std::vector<SessionRecord> Pass(bool forced);

    // Runs whenever a reply leaves no query of the pass under way unanswered, once every
    // query of it is out; inside whatever loop took the reply.
    void OnAnswered(std::function<void()> answered) { answered_ = std::move(answered); }

    // AnswerSink
    void OnAnswer(WindowHandle window, int code, const char* answer, std::uint32_t pass) override;

private:
    DiscoveryWindows& windows_;
    char className_[kClassNameCapacity] = {};
    DesktopWalk walk_;
    SessionBook book_;
    std::uint32_t pass_ = 0;  // the pass number of the queries (FrontQueryPool)
    bool forced_ = false;
    int next_ = 0;            // the first session found not yet sent its queries
    bool allAsked_ = false;
    std::uint32_t firstAskAt_ = 0;
    std::uint32_t slowestMs_ = 0;
    std::function<void()> answered_;
};

}  // namespace quilvo
