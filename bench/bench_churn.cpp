// What the program holds in memory on a desk that never rests. Quilvo.exe is started from
// outside, as a user starts it, over about 30 simulated sessions; for the whole run sessions
// open and close every two seconds, titles and transactions change every second, and every
// half minute five sessions go busy for six seconds while a box click is posted to the main
// window's panels each second (the worker threads that make shows and raises grow while
// sessions are busy and end 10 s after). The program's working set (GetProcessMemoryInfo) is
// sampled every 15 s, its threads (Toolhelp) every second. Prints one line:
// bench memory: <after the first minute> MiB after the first minute, <at the end> MiB at the
//   end, <highest> MiB at most over <minutes> min (churning desk: ...) ratio <(highest - first
//   minute) / 2 MiB>
//
//   bench_churn.exe [MINUTES]   default 12, or QUILVO_CHURN_MINUTES (fractions too); a run
//                               shorter than a minute takes its first sample for the minute
//   QUILVO_EXE=PATH             another build of the program (a Windows or a Unix path), such
//                               as scripts/baseline-build makes
// The churn's random numbers start from the same value every run, so two builds measured one
// after the other see the same desk.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "e2e_util.h"
#include "quilvo_process.h"
#include "sim_client.h"

namespace {

constexpr int kSessions = 30;       // the desk holds 27 to 33 sessions
constexpr DWORD kSampleMs = 15000;  // a working-set sample
constexpr int kSpellEverySec = 30;  // a busy spell starts every half minute ...
constexpr int kSpellFirstSec = 20;  // ... the first 20 s in
constexpr int kSpellSec = 6;        // and lasts this long
constexpr int kBusyPerSpell = 5;

constexpr double kMiB = 1024.0 * 1024.0;

double WorkingSetMiB(DWORD pid) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    if (h == nullptr) return -1;
    const BOOL ok = GetProcessMemoryInfo(h, &pmc, sizeof pmc);
    CloseHandle(h);
    return ok ? static_cast<double>(pmc.WorkingSetSize) / kMiB : -1;
}

int ThreadsOf(DWORD pid) {
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE) return -1;
    int n = 0;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL more = Thread32First(snap, &te); more; more = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == pid) ++n;
    CloseHandle(snap);
    return n;
}

// A Unix path (/work/...) as Wine's drive Z sees it; a Windows path as it is.
std::string WindowsPath(std::string path) {
    if (path.empty() || path[0] != '/') return path;
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

const char* const kSystems[] = {"PRD", "QAS", "DEV"};
const char* const kTransactions[] = {"SMEN", "VA01", "VA03", "FB03", "ME23N", "SE16", "MM03", "FBL1N"};
const char* const kScreens[] = {"SAP Easy Access", "Create Sales Order", "Display Document", "Data Browser",
                                "Change Material", "Vendor Line Items"};

class Desk {
public:
    explicit Desk(sessionsim::Simulator& sim) : sim_(sim), random_(20261210) {}

    // The scenario's opening sessions (S0 ... S29).
    std::string Scenario() {
        std::string s;
        for (int i = 0; i < kSessions; ++i) s += "session " + Line(NewName()) + "\n";
        return s;
    }

    // One second of the desk: titles and transactions; every other second a session opens or
    // closes.
    void Tick(int second) {
        for (int k = 0; k < 3; ++k) {
            const std::string name = AnyFree();
            if (!name.empty())
                sim_.Command("caption " + name + " " + Pick(kSystems) + "(1)/" + std::to_string(Client()) + " " +
                             Pick(kScreens) + " " + std::to_string(second));
        }
        for (int k = 0; k < 2; ++k) {
            const std::string name = AnyFree();
            if (!name.empty()) sim_.Command("set " + name + " tx=" + Pick(kTransactions));
        }
        if (second % 2 != 0) return;
        const int n = static_cast<int>(live_.size());
        const bool open = n < kSessions - 3 || (n <= kSessions + 3 && random_() % 2 == 0);
        if (open) {
            const std::string name = NewName();
            if (sim_.Command("open " + Line(name)).ok) ++opened_;
            else live_.pop_back();
        } else {
            const std::string name = AnyFree();
            if (!name.empty() && sim_.Command("close " + name).ok) {
                live_.erase(std::find(live_.begin(), live_.end(), name));
                ++closed_;
            }
        }
    }

    void Hang() {
        for (int k = 0; k < kBusyPerSpell; ++k) {
            const std::string name = AnyFree();
            if (name.empty()) break;
            // Woken by the spell's end; the time is only a backstop.
            if (sim_.Command("hang " + name + " 60000").ok) busy_.push_back(name);
        }
        ++spells_;
    }
    void Wake() {
        for (const std::string& name : busy_) sim_.Command("wake " + name);
        busy_.clear();
    }

    int Opened() const { return opened_; }
    int Closed() const { return closed_; }
    int Spells() const { return spells_; }
    int Live() const { return static_cast<int>(live_.size()); }

private:
    std::string NewName() {
        live_.push_back("S" + std::to_string(next_++));
        return live_.back();
    }
    int Client() { return 100 + static_cast<int>(random_() % 6); }
    template <std::size_t N>
    const char* Pick(const char* const (&from)[N]) {
        return from[random_() % N];
    }
    // A scenario line without the word `session`.
    std::string Line(const std::string& name) {
        const int i = next_;
        const std::string system = Pick(kSystems);
        const int client = Client();
        return name + " system=" + system + " client=" + std::to_string(client) + " user=U" +
               std::to_string(i % 40) + " tx=" + Pick(kTransactions) + " caption=\"" + system + "(1)/" +
               std::to_string(client) + " " + Pick(kScreens) + "\" x=" + std::to_string((i * 37) % 600) +
               " y=" + std::to_string((i * 23) % 500) + " w=640 h=480";
    }
    // A live session that is not busy now; "" when there is none.
    std::string AnyFree() {
        for (int tries = 0; tries < 10 && !live_.empty(); ++tries) {
            const std::string& name = live_[random_() % live_.size()];
            if (std::find(busy_.begin(), busy_.end(), name) == busy_.end()) return name;
        }
        return std::string();
    }

    sessionsim::Simulator& sim_;
    std::mt19937 random_;
    std::vector<std::string> live_, busy_;
    int next_ = 0, opened_ = 0, closed_ = 0, spells_ = 0;
};

// Posts a left click to the next panel of the main window, as the user's click on a box.
void ClickNextBox(HWND mainWindow, int& next) {
    const std::vector<HWND> panels = e2e::PanelsOf(mainWindow);
    if (panels.empty()) return;
    HWND panel = panels[static_cast<std::size_t>(next++) % panels.size()];
    PostMessageA(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(panel, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

}  // namespace

int main(int argc, char** argv) {
    const char* fromEnv = std::getenv("QUILVO_CHURN_MINUTES");
    const double minutes = argc > 1 ? std::atof(argv[1]) : fromEnv != nullptr ? std::atof(fromEnv) : 12.0;
    if (!(minutes > 0)) {
        std::fprintf(stderr, "usage: bench_churn.exe [MINUTES]\n");
        return 2;
    }
    const DWORD runMs = static_cast<DWORD>(minutes * 60000.0);

    sessionsim::Simulator sim;
    Desk desk(sim);
    if (!sim.Start(desk.Scenario())) {
        std::fprintf(stderr, "simulator did not start: %s\n", sim.LastError().c_str());
        return 1;
    }
    quilvo::test::TempFolder dir("quilvo-bench-churn");
    std::string ini;
    for (int b = 0; b < 6; ++b) ini += "[Box" + std::to_string(b) + "]\r\nSelection=$" + std::to_string(100 + b) + "$$\r\n";
    dir.WriteIni(ini);
    e2e::QuilvoProcess quilvo;
    const char* exe = std::getenv("QUILVO_EXE");
    if (exe != nullptr && *exe != '\0') quilvo.UseExe(WindowsPath(exe));
    if (!quilvo.Start(dir.Path())) {
        std::fprintf(stderr, "Quilvo did not start\n");
        return 1;
    }
    // Settled: six panels, and the first pass has put the sessions into them.
    const bool settled = e2e::WaitUntil(
        [&] {
            const std::vector<HWND> panels = e2e::PanelsOf(quilvo.MainWindow());
            if (panels.size() != 6) return false;
            std::size_t minis = 0;
            for (HWND p : panels) minis += e2e::Children(p, "XIconWin").size();
            return minis >= kSessions;
        },
        30000);
    if (!settled) {
        std::fprintf(stderr, "Quilvo's panels never showed the sessions\n");
        return 1;
    }

    const DWORD pid = quilvo.Pid();
    const double atStart = WorkingSetMiB(pid);
    std::vector<double> samples;  // every kSampleMs
    double firstMinute = -1;
    int threadsAtStart = ThreadsOf(pid), threadsMost = threadsAtStart, threadsBeforeSpellMost = 0;
    int clicks = 0, nextBox = 0;
    const DWORD begin = GetTickCount();
    for (int second = 1;; ++second) {
        // The desk's clock: tick `second` falls at begin + second s, however long a tick took.
        const DWORD due = static_cast<DWORD>(second) * 1000;
        const DWORD elapsed = GetTickCount() - begin;
        if (due > elapsed) Sleep(due - elapsed);
        if (due > runMs) break;
        if (!quilvo.Running()) {
            std::fprintf(stderr, "Quilvo ended during the run\n");
            return 1;
        }

        const int inSpell = (second - kSpellFirstSec) % kSpellEverySec;
        const bool spells = second >= kSpellFirstSec;
        if (spells && inSpell == 0) {
            threadsBeforeSpellMost = std::max(threadsBeforeSpellMost, ThreadsOf(pid));
            desk.Hang();
        }
        if (spells && inSpell >= 0 && inSpell < kSpellSec) {
            ClickNextBox(quilvo.MainWindow(), nextBox);
            ++clicks;
        }
        if (spells && inSpell == kSpellSec) desk.Wake();
        desk.Tick(second);
        threadsMost = std::max(threadsMost, ThreadsOf(pid));

        if (due % kSampleMs == 0) {
            samples.push_back(WorkingSetMiB(pid));
            if (due == 60000) firstMinute = samples.back();
        }
    }
    desk.Wake();
    const double atEnd = WorkingSetMiB(pid);
    const int threadsAtEnd = ThreadsOf(pid);
    samples.push_back(atEnd);
    if (firstMinute < 0) firstMinute = samples.front();  // a run shorter than a minute
    const double highest = *std::max_element(samples.begin(), samples.end());
    quilvo.Kill();
    sim.Stop();

    std::printf("bench memory: %.1f MiB after the first minute, %.1f MiB at the end, %.1f MiB at most over %g min "
                "(churning desk: %d sessions at the start and %d at the end, %d opened and %d closed, titles and "
                "transactions changed every second, %d busy spells of %d sessions for %d s with %d box clicks; "
                "the working set of Quilvo.exe, GetProcessMemoryInfo, sampled every %lu s, %zu samples; %.1f MiB "
                "once settled; threads %d at the start, at most %d, at most %d before a busy spell, %d at the end) "
                "ratio %.2f ((highest - first minute) / 2 MiB)\n",
                firstMinute, atEnd, highest, minutes, kSessions, desk.Live(), desk.Opened(), desk.Closed(),
                desk.Spells(), kBusyPerSpell, kSpellSec, clicks, kSampleMs / 1000, samples.size(), atStart,
                threadsAtStart, threadsMost, threadsBeforeSpellMost, threadsAtEnd, (highest - firstMinute) / 2.0);
    return 0;
}
