// Debug lines go to the debugger output channel, and the last of them are kept for the
// diagnostics file.
#include "base/debug_output.h"

#include <windows.h>

#include "base/line_ring.h"

namespace quilvo {

namespace {

constexpr std::size_t kKeptLines = 200;

// Written from the user-interface thread and the session workers.
SRWLOCK g_keptLock = SRWLOCK_INIT;

LineRing& KeptLines() {
    static LineRing kept(kKeptLines);
    return kept;
}

}  // namespace

void DebugOut(const char* line) {
    OutputDebugStringA(line);
    AcquireSRWLockExclusive(&g_keptLock);
    try {
        KeptLines().Add(line);
    } catch (...) {
        // Out of memory: the line went to the debugger all the same.
    }
    ReleaseSRWLockExclusive(&g_keptLock);
}

std::vector<std::string> RecentDebugLines() {
    AcquireSRWLockShared(&g_keptLock);
    std::vector<std::string> lines;
    try {
        lines = KeptLines().Lines();
    } catch (...) {
        lines.clear();
    }
    ReleaseSRWLockShared(&g_keptLock);
    return lines;
}

}  // namespace quilvo
