#include "core/discovery.h"

#include <cstring>

#include "core/text.h"

namespace quilvo {
namespace {

struct PassContext {
    std::int32_t reset;
    std::uint32_t stamp;
    char className[kClassNameCapacity];
    SessionTable* table;
    int previousCount;
    DiscoveryWindows* windows;
};

// A session seen by the previous pass keeps its record fresh even before this pass
// rewrites it: its caption and stamp are renewed where it stood.
void RefreshKnownSession(PassContext& pass, WindowHandle window) {
    SessionTable& table = *pass.table;
    int limit = pass.previousCount < kTableCapacity ? pass.previousCount : kTableCapacity;
    for (int i = 0; i < limit; ++i) {
        SessionRecord& r = table.records[i];
        if (r.window == window && r.user[0] != '\0' && r.client[0] != '\0' && r.system[0] != '\0') {
            char caption[256] = {};
            pass.windows->Caption(window, caption, sizeof caption);
            CopyCut(r.title, caption);
            r.stamp = pass.stamp;
            return;
        }
    }
}

void QuerySession(PassContext& pass, SessionRecord& r) {
    struct Query {
        int code;
        char* dest;
        std::size_t capacity;
    };
    const Query queries[] = {
        {kFrontClient, r.client, sizeof r.client},
        {kFrontServerGroup, r.serverGroup, sizeof r.serverGroup},
        {kFrontUser, r.user, sizeof r.user},
        {kFrontSystem, r.system, sizeof r.system},
        {kFrontTransaction, r.transaction, sizeof r.transaction},
        {kFrontDone, nullptr, 0},
    };
    for (const Query& q : queries) {
        // A session that does not reply in time is asked nothing more in this pass, so one
        // hung session cannot hold the whole program.
        if (pass.windows->QueryFront(r.window, q.code, q.dest, q.capacity) == FrontReply::TimedOut) return;
    }
}

bool VisitWindow(WindowHandle window, void* context) {
    PassContext& pass = *static_cast<PassContext*>(context);
    SessionTable& table = *pass.table;
    if (pass.reset == 1) {
        pass.reset = 0;
        table.count = 0;
    }
    char className[kClassNameCapacity] = {};
    if (pass.windows->ClassName(window, className, 127) == 0) return false;
    if (!EqualsNoCase(className, pass.className)) return true;

    RefreshKnownSession(pass, window);

    char caption[256] = {};
    // At most 254 characters of the caption are taken.
    if (pass.windows->Caption(window, caption, sizeof caption - 1) == 0) CopyCut(caption, "INVALID");

    if (table.count >= kTableCapacity) return false;

    SessionRecord& r = table.records[table.count];
    r.stamp = pass.stamp;
    r.index = static_cast<std::int16_t>(table.count);
    r.window = window;

    NormalRect normal = {};
    pass.windows->NormalPlacement(window, &normal);
    if (pass.windows->IsZoomed(window)) {
        r.x = 0;
        r.y = 0;
        r.zoomed = 1;
    } else {
        r.x = normal.left;
        r.y = normal.top;
    }
    r.width = normal.right - normal.left;
    r.height = normal.bottom - normal.top;
    CopyCut(r.title, caption);

    QuerySession(pass, r);
    ++table.count;
    return true;
}

}  // namespace

void SweepStaleSessions(SessionTable& table, std::uint32_t stamp) {
    for (SessionRecord& r : table.records) {
        if (r.stamp != stamp) std::memset(&r, 0, sizeof r);
    }
}

int DiscoverSessions(SessionTable& table, int previousCount, const char* className,
                     DiscoveryWindows& windows) {
    PassContext pass = {};
    pass.reset = 1;
    pass.stamp = windows.TickCount();
    CopyCut(pass.className, className != nullptr ? className : kDefaultSessionClass);
    pass.table = &table;
    pass.previousCount = previousCount;
    pass.windows = &windows;

    windows.EnumerateAll(&VisitWindow, &pass);
    SweepStaleSessions(table, pass.stamp);
    return table.count;
}

}  // namespace quilvo
