#include "core/snapshot.h"

namespace quilvo {

namespace {

bool IsBox(int box) { return box >= 0 && box < kBoxCount; }

}  // namespace

int SessionSnapshot::PositionOf(WindowHandle window) const {
    if (window == kNoWindow) return -1;
    for (std::size_t i = 0; i < sessions.size(); ++i) {
        if (sessions[i].window == window) return static_cast<int>(i);
    }
    return -1;
}

const SessionRecord* SessionSnapshot::Find(WindowHandle window) const {
    const int at = PositionOf(window);
    return at < 0 ? nullptr : &sessions[static_cast<std::size_t>(at)];
}

int SessionSnapshot::MemberCount(int box) const {
    if (box == kAllSessions) return Count();
    return IsBox(box) ? static_cast<int>(members[box].size()) : 0;
}

const SessionRecord& SessionSnapshot::Member(int box, int i) const {
    const std::size_t at = box == kAllSessions ? static_cast<std::size_t>(i)
                                               : static_cast<std::size_t>(members[box][static_cast<std::size_t>(i)]);
    return sessions[at];
}

const BoxFilter& SessionSnapshot::Filter(int box) const {
    static const BoxFilter kEveryone = {};
    return IsBox(box) ? filters[box] : kEveryone;
}

}  // namespace quilvo
