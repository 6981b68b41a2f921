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

// How often a reader of debug lines that is no debugger (one that maps the DBWIN_BUFFER
// section, as DebugView does) is looked for.
constexpr DWORD kReaderLookEveryMs = 1000;
DWORD g_readerLookedAt = 0;  // under g_keptLock
bool g_readerLooked = false;
bool g_readerThere = false;

// Whether anybody reads the lines: a debugger (the program's own flag, no call to the system),
// or a reader of the DBWIN_BUFFER section. Without either, OutputDebugStringA raises an
// exception and looks for that section for every line, which made a rebuild's hundreds of
// lines most of its cost; the reader is looked for once a second instead. Under g_keptLock.
bool SomebodyReads() {
    if (IsDebuggerPresent()) return true;
    const DWORD now = GetTickCount();
    if (!g_readerLooked || now - g_readerLookedAt >= kReaderLookEveryMs) {
        const HANDLE buffer = OpenFileMappingW(FILE_MAP_READ, FALSE, L"DBWIN_BUFFER");
        g_readerThere = buffer != nullptr;
        if (buffer != nullptr) CloseHandle(buffer);
        g_readerLooked = true;
        g_readerLookedAt = now;
    }
    return g_readerThere;
}

}  // namespace

void DebugOut(const char* line) {
    AcquireSRWLockExclusive(&g_keptLock);
    const bool read = SomebodyReads();
    try {
        KeptLines().Add(line);
    } catch (...) {
        // Out of memory: the line goes to the debugger all the same.
    }
    ReleaseSRWLockExclusive(&g_keptLock);
    if (read) OutputDebugStringA(line);
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
