#include "refresh_fakes.h"

namespace quilvo::fake {

void FakeViews::OnRebuilt(const Snapshot& snapshot) {
    rebuilds.push_back(snapshot);
    ReadThrough(*snapshot);
    if (onRebuilt) onRebuilt(snapshot);
}

void ReadThrough(const SessionSnapshot& snapshot) {
    volatile WindowHandle sum = 0;
    for (int box = kAllSessions; box < kBoxCount; ++box)
        for (int i = 0; i < snapshot.MemberCount(box); ++i) sum = sum + snapshot.Member(box, i).window;
}

}  // namespace quilvo::fake
