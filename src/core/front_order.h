// The order in which windows were last in front, most recent first: the find window lists the
// sessions so, and Enter on its first row goes back to the session that was in front before, as
// Alt+Tab does for every window.
#pragma once

#include <cstddef>
#include <vector>

#include "base/handle.h"

namespace quilvo {

class FrontOrder {
public:
    // At most this many windows are remembered; the longest unseen goes first. Twice the
    // sessions a pass records, as windows of other programs come to the front between sessions.
    static constexpr std::size_t kCapacity = 100;

    // The window came to the front (seen, or made so by the program). None is ignored.
    void Note(WindowHandle window);
    // 0 for the window in front last, 1 for the one before, ...; -1 for one never noted.
    int Recency(WindowHandle window) const;

private:
    std::vector<WindowHandle> order_;  // most recent first
};

}  // namespace quilvo
