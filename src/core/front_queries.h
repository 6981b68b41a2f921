// The completion records of SAP_GET_FRONT queries. Every query sent has a record of its own,
// taken from a fixed pool, that names the window asked and the field of the session record
// the answer belongs in. An answer is written only while that record still holds that
// window; otherwise it is dropped. No query ever shares a record with another, so a session
// that answers late can never write into the record of a session recorded after it.
#pragma once

#include <cstdint>

#include "core/session.h"
#include "base/handle.h"

namespace quilvo {

// Names one outstanding query; 0 names none. A token of a record that was released is stale:
// its late answer finds nothing.
using FrontToken = std::uint64_t;

class FrontQueryPool {
public:
    // Enough for 50 sessions asked six times each, with as many again still unanswered.
    static constexpr int kCapacity = 640;
    static constexpr int kQueriesPerSession = 6;
    // What one pass may need: every session of a full table asked its six.
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

    // Opens the record of one query: the answer to `code` for `window`, recorded at `position`
    // of `table`. owner is whoever sends the queries (released together by ReleaseOwner).
    // 0 when the pool is full.
    FrontToken Open(const void* owner, SessionTable& table, int position, WindowHandle window, int code);
    // The reply to a query: answer is the text (null or empty: no answer). Written, cut to its
    // field, only when the record at the query's position still holds the queried window.
    // The query's record is released either way; a stale token changes nothing. Returns the
    // pass the query was sent in (0 for a stale token).
    std::uint32_t Complete(FrontToken token, const char* answer);
    // The query could not be sent: its record goes back without an answer.
    void Cancel(FrontToken token) { Complete(token, nullptr); }

    // True while any query to this window is unanswered.
    bool Outstanding(WindowHandle window) const;
    // Unanswered queries sent in the given pass.
    int Pending(std::uint32_t pass) const;
    int FreeCount() const { return free_; }

    // Releases the records of every unanswered query whose window gone(window, context) says
    // is gone: a reply that can no longer come must not hold its record.
    void ReleaseGone(bool (*gone)(WindowHandle window, void* context), void* context);
    // Releases every record opened by owner (before its table goes away).
    void ReleaseOwner(const void* owner);

private:
    struct Entry {
        std::uint64_t generation;
        bool inUse;
        std::int16_t position;
        int code;  // the FrontCode asked, which names the field the answer goes into
        std::uint32_t pass;
        std::uint32_t opened;  // tick of its pass
        WindowHandle window;
        SessionTable* table;
        const void* owner;
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
