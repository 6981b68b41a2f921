// What a screen reader says for a mini window and for a box panel: their window texts. The
// windows draw themselves and never paint these texts; they only name the windows to tools
// that read window texts.
#pragma once

#include <cstddef>

#include "core/session.h"

namespace quilvo {

// System, Client, User, Transaction and a title of 255 characters, the blanks between them
// and the state after a comma.
constexpr std::size_t kSpokenNameCapacity = 400;

// "PRD 100 ANNA VA01 Create Sales Order": System, Client, User, Transaction and title, the
// empty ones left out, then ", production" for a session of a production system, then
// ", busy" while the session owes answers. out is always terminated, cut to capacity.
void SessionSpokenName(const SessionRecord& session, char* out, std::size_t capacity);

// "Box 2: PRD 100": the box's number from 1 and the filter's non-empty System, Client, User
// and Transaction; "Box 2" for a box without a filter; "All sessions" for a list of no box
// (an index outside 0 to 5).
void BoxSpokenName(int boxIndex, const SessionRecord& filter, char* out, std::size_t capacity);

}  // namespace quilvo
