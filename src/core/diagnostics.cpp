#include "core/diagnostics.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <utility>

#include "base/text.h"

namespace quilvo {

namespace {

// The settings file keys whose values carry no names: numbers, flags, places, hotkeys, an
// action's name and the production System list. Compared without regard to case, as the
// settings file does.
constexpr const char* kPlainKeys[] = {
    "OPACITY",  "IDLE_TIMER", "IDLE_ACTION", "WindowX", "WindowY", "Cascade",   "FIND_HOTKEY",
    "BOX_HOTKEYS", "MAX_SESSIONS", "READY_AFTER", "PRODUCTION", "REOPEN",  "ZoomFactor", "Visible",
    "Width",    "Height",     "Labels",
};

constexpr const char* kEnd = "\r\n";

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Format(const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    return line;
}

std::string RectText(const NormalRect& r) {
    return Format("(%d, %d)-(%d, %d) %d x %d", r.left, r.top, r.right, r.bottom, r.right - r.left, r.bottom - r.top);
}

void Section(std::string& out, const char* name) {
    if (!out.empty()) out += kEnd;
    out += "[";
    out += name;
    out += "]";
    out += kEnd;
}

void Line(std::string& out, const std::string& line) {
    out += line;
    out += kEnd;
}

void Lines(std::string& out, const std::vector<std::string>& lines, const char* none) {
    if (lines.empty()) Line(out, none);
    for (const std::string& line : lines) Line(out, line);
}

void MonitorLines(std::string& out, const std::vector<MonitorFacts>& monitors) {
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const MonitorFacts& m = monitors[i];
        std::string line = Format("Monitor %d: %s, work area %s", static_cast<int>(i + 1), RectText(m.monitor).c_str(), RectText(m.work).c_str());
        line += m.dpi > 0 ? Format(", %d DPI", m.dpi) : std::string(", DPI unknown");
        if (m.primary) line += ", primary";
        Line(out, line);
    }
}

void PassLines(std::string& out, const std::vector<PassTiming>& passes) {
    if (passes.empty()) Line(out, "(no pass yet)");
    for (const PassTiming& p : passes) {
        Line(out, Format("walk %" PRIu32 " ms, answers %" PRIu32 " ms, slowest answer %" PRIu32 " ms, %d sessions, %d unanswered",
                         p.walkMs, p.answersMs, p.slowestMs, static_cast<int>(p.sessions), static_cast<int>(p.unanswered)));
    }
}

void WorkerLines(std::string& out, const WorkerFacts& w) {
    Line(out, Format("Threads: %d (%d idle)", w.threads, w.idleThreads));
    Line(out, Format("Activation waiting: %s", w.activationWanted ? "yes" : "no"));
    if (w.lanes.empty()) Line(out, "Lanes: none");
    for (const LaneFacts& lane : w.lanes) {
        std::string line = Format("Lane %#" PRIx64 ": %d waiting", lane.window, lane.pending);
        if (lane.inHand) line += Format(", a call in hand for %" PRIu32 " ms", lane.inHandMs);
        Line(out, line);
    }
}

}  // namespace

std::string DiagnosticsFileName(int year, int month, int day, int hour, int minute, int second) {
    return Format("Quilvo-diagnostics-%04d%02d%02d-%02d%02d%02d.txt", year, month, day, hour, minute, second);
}

std::string ShownIniValue(const std::string& key, const std::string& value) {
    for (const char* plain : kPlainKeys)
        if (EqualsNoCase(plain, key.c_str())) return value;
    return Format("(%d characters)", static_cast<int>(value.size()));
}

std::vector<std::string> SessionCounts(const std::vector<SessionRecord>& sessions) {
    std::map<std::pair<std::string, std::string>, int> counts;
    for (const SessionRecord& s : sessions) {
        std::string system = FieldText(s.system);
        if (system.empty()) system = "(none)";
        ++counts[{system, FieldText(s.client)}];
    }
    std::vector<std::string> lines;
    for (const auto& [logon, count] : counts) {
        std::string name = logon.first;
        if (!logon.second.empty()) name += " " + logon.second;
        lines.push_back(Format("%s: %d", name.c_str(), count));
    }
    return lines;
}

std::string DiagnosticsText(const DiagnosticsFacts& f) {
    std::string out;
    Section(out, "Quilvo");
    Line(out, "Version: " + f.version);
    Line(out, "Saved: " + f.savedAt);
    Section(out, "System");
    Line(out, "Windows: " + f.windowsVersion);
    if (!f.wineVersion.empty()) Line(out, "Wine: " + f.wineVersion);
    Line(out, "DPI awareness: " + f.dpiAwareness);
    Section(out, "Monitors");
    MonitorLines(out, f.monitors);
    Section(out, "Policies");
    Lines(out, f.policies, "(none in force)");
    Section(out, "Settings file");
    if (f.ini.empty()) Line(out, "(none)");
    for (const IniEntry& e : f.ini) Line(out, e.section + ": " + e.key + "=" + ShownIniValue(e.key, e.value));
    Section(out, "Hotkeys");
    Lines(out, f.hotkeys, "(none)");
    Section(out, "Sessions");
    Line(out, Format("Total: %d", static_cast<int>(f.sessions.size())));
    Lines(out, SessionCounts(f.sessions), "(none)");
    Section(out, "Passes");
    PassLines(out, f.passes);
    Section(out, "Worker");
    WorkerLines(out, f.worker);
    Section(out, "Debug lines");
    Lines(out, f.debugLines, "(none)");
    return out;
}

}  // namespace quilvo
