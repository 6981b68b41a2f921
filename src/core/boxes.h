// Box filters: six boxes (virtual desktops), each selecting sessions by System, Client, User
// and Transaction.
#pragma once

#include "core/session.h"

namespace quilvo {

constexpr int kBoxCount = 6;
// Not a box: every session, in the pass's order (the all-sessions panel).
constexpr int kAllSessions = -1;
// The debug line of every match of a session against a filter.
constexpr const char* kMatchLine = "Creating GUI Goup...\r\n";

// A box filter is a session record of which only cascade, System, Client, User and
// Transaction are filled.
using BoxFilter = SessionRecord;

// True when the session passes the filter (writes one debug line per call).
bool SessionMatches(const BoxFilter& filter, const SessionRecord& session);

}  // namespace quilvo
