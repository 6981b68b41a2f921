// Session records and snapshots of the test's choosing, for the tests and the benchmarks.
#pragma once

#include <vector>

#include "base/text.h"
#include "core/snapshot.h"

namespace test {

// A session of the test's choosing; empty texts stay empty.
inline quilvo::SessionRecord Record(quilvo::WindowHandle window, const char* system = "", const char* client = "",
                                    const char* user = "", const char* transaction = "", const char* title = "") {
    quilvo::SessionRecord r = {};
    r.window = window;
    quilvo::CopyCut(r.system, system);
    quilvo::CopyCut(r.client, client);
    quilvo::CopyCut(r.user, user);
    quilvo::CopyCut(r.transaction, transaction);
    quilvo::CopyCut(r.title, title);
    return r;
}

// A snapshot of these sessions in this order, each with its index; no box holds any.
inline quilvo::SessionSnapshot SnapshotOf(std::vector<quilvo::SessionRecord> sessions) {
    quilvo::SessionSnapshot s;
    s.sessions = std::move(sessions);
    for (std::size_t i = 0; i < s.sessions.size(); ++i) s.sessions[i].index = static_cast<std::int16_t>(i);
    return s;
}

// The windows of a box (0 to 5, or kAllSessions), in the box's order.
inline std::vector<quilvo::WindowHandle> BoxWindows(const quilvo::SessionSnapshot& s, int box) {
    std::vector<quilvo::WindowHandle> windows;
    for (int i = 0; i < s.MemberCount(box); ++i) windows.push_back(s.Member(box, i).window);
    return windows;
}

}  // namespace test
