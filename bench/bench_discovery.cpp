// A discovery pass over 50 simulated sessions that asks every session everything, against its
// floor: the same 250 request-and-reply exchanges made as bare SendMessageA calls to the same
// windows. Prints one line: bench discovery: pass <median ms> floor <median ms> ... ratio
// <pass/floor>, with a calm pass (each session asked its Transaction), what enumerating the
// desktop costs without any exchange, and the pass with the same sessions behind one thread (as
// the sessions of one front-end process).
#include <windows.h>

#include "bench_timing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "core/discovery.h"
#include "platform/win32_discovery.h"
#include "sim_client.h"

namespace {

// The same pass without the exchanges: what enumerating the desktop, reading class names,
// captions and placements costs on its own.
class WithoutQueries : public quilvo::Win32DiscoveryWindows {
public:
    using Win32DiscoveryWindows::Win32DiscoveryWindows;
    bool SendFront(quilvo::WindowHandle, int, quilvo::FrontToken token) override {
        Queries().Cancel(token);
        return true;
    }
};

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 31;
    std::string scenario;
    for (int i = 0; i < 50; ++i) {
        scenario += "session S" + std::to_string(i) + " system=PRD client=" + std::to_string(100 + i) +
                    " user=USER" + std::to_string(i) + " group=SPACE tx=SESSION_MANAGER x=" +
                    std::to_string(i * 10) + " y=20 w=640 h=480\n";
    }
    sessionsim::Simulator sim;
    if (!sim.Start(scenario)) {
        std::fprintf(stderr, "simulator did not start: %s\n", sim.LastError().c_str());
        return 1;
    }
    std::vector<HWND> sessions;
    for (int i = 0; i < 50; ++i) sessions.push_back(sim.Hwnd("S" + std::to_string(i)));

    const quilvo::SapMessages messages = quilvo::SapMessages::Register();
    quilvo::Win32DiscoveryWindows windows(messages.getFront);
    WithoutQueries enumerationOnly(messages.getFront);
    quilvo::Discovery discovery(windows, quilvo::kDefaultSessionClass);
    quilvo::Discovery enumerating(enumerationOnly, quilvo::kDefaultSessionClass);
    const int codes[] = {4, 11, 15, 10, 5};

    // A desktop that has just started (or just got fifty new windows) is busy for a few
    // seconds creating taskbar buttons: let it settle, then warm up, before measuring.
    Sleep(3000);
    for (int r = 0; r < 5; ++r) discovery.Pass(true);
    std::vector<double> passes, calmPasses, floors, enumerations;
    for (int r = 0; r < rounds; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        const std::size_t found = discovery.Pass(true).size();
        passes.push_back(MillisecondsSince(t0));
        if (found != 50) {
            std::fprintf(stderr, "pass found %zu sessions\n", found);
            return 1;
        }
        t0 = std::chrono::steady_clock::now();
        discovery.Pass(false);
        calmPasses.push_back(MillisecondsSince(t0));

        t0 = std::chrono::steady_clock::now();
        for (HWND s : sessions) {
            for (int code : codes) {
                LRESULT atom = SendMessageA(s, messages.getFront, static_cast<WPARAM>(code), 0);
                if ((atom & 0xFFFF) != 0) GlobalDeleteAtom(static_cast<ATOM>(atom & 0xFFFF));
            }
        }
        floors.push_back(MillisecondsSince(t0));

        t0 = std::chrono::steady_clock::now();
        enumerating.Pass(true);
        enumerations.push_back(MillisecondsSince(t0));
    }
    sim.Stop();

    // The same fifty sessions behind one thread, as the sessions of one front-end process.
    sessionsim::Simulator front;
    std::string shared;
    for (const std::string& line : sessionsim::SplitLines(scenario))
        if (!line.empty()) shared += line + " thread=front\n";
    if (!front.Start(shared)) {
        std::fprintf(stderr, "simulator did not start: %s\n", front.LastError().c_str());
        return 1;
    }
    std::vector<double> oneThread;
    quilvo::Discovery behindOne(windows, quilvo::kDefaultSessionClass);
    Sleep(3000);
    for (int r = 0; r < rounds; ++r) {
        auto t0 = std::chrono::steady_clock::now();
        behindOne.Pass(true);
        oneThread.push_back(MillisecondsSince(t0));
    }
    front.Stop();

    double pass = Median(passes), floor = Median(floors), enumeration = Median(enumerations);
    std::printf("bench discovery: pass %.2f ms floor %.2f ms (50 sessions asked everything, 250 exchanges one at a "
                "time, median of %d); a calm pass (each its Transaction) %.2f ms; of the pass, enumeration without "
                "exchanges %.2f ms; the pass with the 50 sessions on one thread %.2f ms ratio %.2f\n",
                pass, floor, rounds, Median(calmPasses), enumeration, Median(oneThread), floor > 0 ? pass / floor : 0.0);
    return 0;
}
