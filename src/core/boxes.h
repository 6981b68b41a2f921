// Box filters and box lists: six boxes (virtual desktops), each selecting sessions by
// System, Client, User and Transaction, and the all-sessions list.
#pragma once

#include <cstdint>

#include "core/session.h"

namespace quilvo {

constexpr int kBoxCount = 6;
// The debug line of every match of a session against a filter.
constexpr const char* kMatchLine = "Creating GUI Goup...\r\n";

// A box filter is a session record of which only cascade, System, Client, User and
// Transaction are filled.
using BoxFilter = SessionRecord;

// A sorted snapshot of copies of the records that passed a filter. Owns its items.
struct BoxList {
    std::int16_t boxIndex = -1;  // 0..5; -1 for the all-sessions list, which belongs to no box
    SessionRecord filter = {};   // copy of the filter that built the list
    SessionRecord* items = nullptr;
    std::int32_t count = 0;

    BoxList(const SessionTable& table, int sessionCount, const BoxFilter& filter);
    ~BoxList();
    BoxList(const BoxList&) = delete;
    BoxList& operator=(const BoxList&) = delete;

    void SortByIndex();
    void ShrinkToFit();
};

// True when the session passes the filter (writes one debug line per call).
bool SessionMatches(const BoxFilter& filter, const SessionRecord& session);

}  // namespace quilvo
