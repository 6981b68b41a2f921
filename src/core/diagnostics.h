// The diagnostics file a user sends to support: what was running, on what desk, with which
// settings, and what the last passes and debug lines said. Names are the one thing it must not
// carry: no window title, no User, no Transaction, and no setting that may hold them (a box's
// selection) appears in it; the sessions are counted per System and Client only.
// Pure: the facts are gathered by the Windows side (app/diagnostics_file.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/monitors.h"
#include "core/pass_log.h"
#include "core/snapshot.h"

namespace quilvo {

struct MonitorFacts {
    NormalRect monitor;
    NormalRect work;
    int dpi = 0;  // 0: not known
    bool primary = false;
};

struct IniEntry {
    std::string section;
    std::string key;
    std::string value;
};

// A lane of the session worker: the window it serves, its calls waiting and the one in hand.
struct LaneFacts {
    std::uint64_t window = 0;
    int pending = 0;
    bool inHand = false;
    std::uint32_t inHandMs = 0;
};

struct WorkerFacts {
    int threads = 0;
    int idleThreads = 0;
    bool activationWanted = false;
    std::vector<LaneFacts> lanes;
};

struct DiagnosticsFacts {
    std::string savedAt;  // "2026-12-10 09:15:00"
    std::string version;
    std::string windowsVersion;
    std::string wineVersion;  // empty when not under Wine
    std::string dpiAwareness;
    std::vector<MonitorFacts> monitors;
    std::vector<std::string> policies;  // "MaxSessions = 4", in force
    std::vector<IniEntry> ini;
    std::vector<std::string> hotkeys;  // as About shows them
    std::vector<SessionRecord> sessions;
    std::vector<PassTiming> passes;  // oldest first
    WorkerFacts worker;
    std::vector<std::string> debugLines;  // oldest first
};

// "Quilvo-diagnostics-20261210-091500.txt".
std::string DiagnosticsFileName(int year, int month, int day, int hour, int minute, int second);

// The value of a settings file key as the file shows it: the program's own keys of numbers,
// flags, hotkeys and System names as they are; any other key (a box's selection, which may name
// a User, or a key the program does not know) only by its length.
std::string ShownIniValue(const std::string& key, const std::string& value);

// "PRD 100: 3" per System and Client, in order of System then Client; a session that has not
// told its System (a logon screen) counts under "(none)".
std::vector<std::string> SessionCounts(const std::vector<SessionRecord>& sessions);

// The whole file, one "[Section]" per part, lines ending in CR LF.
std::string DiagnosticsText(const DiagnosticsFacts& facts);

}  // namespace quilvo
