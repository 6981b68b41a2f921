// The completion records of SAP_GET_FRONT queries. Every query sent has a record of its own,
// taken from a fixed pool, that names the window asked, the code (which names the field the
// answer belongs to) and the sink that keeps the answers. A reply is handed to that sink keyed
// by the window asked, never by a place in a table, so a session that answers late can never
// write into what another session owns; a reply whose sink has gone is only taken.
#pragma once

#include <cstdint>

#include "base/handle.h"
#include "core/session.h"

namespace quilvo {

// The query codes a session answers through SAP_GET_FRONT, each naming one of its fields.
enum FrontCode : int {
    kFrontClient = 4,
    kFrontServerGroup = 11,
    kFrontUser = 15,
    kFrontSystem = 10,
    kFrontTransaction = 5,
};

// Names one outstanding query; 0 names none. A token of a record that was released is stale:
// its late answer finds nothing.
using FrontToken = std::uint64_t;

// Where the replies of the queries go.
class AnswerSink {
public:
    // The reply to `code` asked of `window` in pass `pass`: answer is the text, none (null) for
    // a reply without one. The query's record has been given back by then.
    virtual void OnAnswer(WindowHandle window, int code, const char* answer, std::uint32_t pass) = 0;

protected:
    ~AnswerSink() = default;
};

class FrontQueryPool {
public:
    // Enough for 50 sessions asked everything, with as many again still unanswered.
    static constexpr int kCapacity = 640;
    // The most a pass asks one session: its five fields.
    static constexpr int kQueriesPerSession = 5;
    // What one pass may need: every session of a full table asked everything.
    static constexpr int kPassNeed = kTableCapacity * kQueriesPerSession;
    // An unanswered query gives its record back after this long, and its window may be asked
    // again: long enough that a session hung for an hour is asked only a dozen times, short
    // enough that a window that can no longer answer is not left unasked for long.
    static constexpr std::uint32_t kLifetimeMs = 5 * 60 * 1000;

    FrontQueryPool();
    FrontQueryPool(const FrontQueryPool&) = delete;
    FrontQueryPool& operator=(const FrontQueryPool&) = delete;

    // Starts a new discovery pass at tick `now`; returns its number. The records of queries
    // older than kLifetimeMs are given back first, and then, while fewer than kPassNeed are
    // free, those of the oldest passes: however many windows never answer, every pass can
    // ask every session it records.
    std::uint32_t BeginPass(std::uint32_t now);
    std::uint32_t CurrentPass() const { return pass_; }

    // Opens the record of one query: the answer to `code` for `window`, for `sink`. 0 when the
    // pool is full.
    FrontToken Open(AnswerSink* sink, WindowHandle window, int code);
    // The reply to a query: answer is the text (null or empty: no answer). The record is
    // given back, then the reply handed to its sink, if it still has one; a stale token changes
    // nothing. Returns the pass the query was sent in (0 for a stale token).
    std::uint32_t Complete(FrontToken token, const char* answer);
    // The query could not be sent: its record goes back, and nobody is told.
    void Cancel(FrontToken token);

    // True while any query to this window is unanswered.
    bool Outstanding(WindowHandle window) const;
    // Unanswered queries sent in the given pass.
    int Pending(std::uint32_t pass) const;
    int FreeCount() const { return free_; }

    // Releases the records of every unanswered query whose window gone(window, context) says
    // is gone: a reply that can no longer come must not hold its record.
    void ReleaseGone(bool (*gone)(WindowHandle window, void* context), void* context);
    // The sink goes away: the replies still to come for it are still taken when they come
    // (their atoms deleted), but handed to nobody.
    void Forget(const AnswerSink* sink);

private:
    struct Entry {
        std::uint64_t generation;
        bool inUse;
        int code;  // the FrontCode asked, which names the field the answer goes into
        std::uint32_t pass;
        std::uint32_t opened;  // tick of its pass
        WindowHandle window;
        AnswerSink* sink;
    };
    Entry* Find(FrontToken token);
    void Release(Entry& e);
    void ReleaseExpired(std::uint32_t now);
    void ReleaseOldestUntilFree(int need);

    Entry entries_[kCapacity];
    int free_ = kCapacity;
    int cursor_ = 0;
    std::uint32_t pass_ = 0;
    std::uint32_t passTick_ = 0;
};

}  // namespace quilvo
