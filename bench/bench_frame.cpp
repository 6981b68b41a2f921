// How soon the frame around the production session in front follows it: a production session
// of the simulator is the foreground window, the program's frame watch runs on this thread
// with its 100 ms look, and the session is moved or resized 40 times; for each, the time from
// the move's reply until the frame lies on the session's new rectangle. Also the time from a
// change of the window in front until the frame goes. Prints one line:
// bench frame: follow max <ms> median <ms> ... ratio <max / 100 ms>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench_timing.h"
#include "snapshots.h"
#include "app/production_watch.h"
#include "app/window_classes.h"
#include "platform/scoped_win.h"
#include "sim_client.h"
#include "window_helpers.h"

using namespace quilvo;

namespace {

ProductionWatch* g_watch = nullptr;

void CALLBACK OnLook(HWND, UINT, UINT_PTR, DWORD) noexcept {
    if (g_watch) g_watch->Check();
}

// Runs this thread's messages until the condition holds; the milliseconds it took, or -1 after 2 s.
template <typename F>
double PumpUntil(F done) {
    const auto t0 = std::chrono::steady_clock::now();
    MSG msg;
    while (MillisecondsSince(t0) < 2000) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (done()) return MillisecondsSince(t0);
        Sleep(1);
    }
    return -1;
}

bool Frames(const ProductionWatch& watch, HWND session) {
    const HWND frame = watch.Frame().Handle();
    const RECT f = quilvo::test::ScreenRect(frame), s = quilvo::test::ScreenRect(session);
    return frame != nullptr && IsWindowVisible(frame) && EqualRect(&f, &s);
}

}  // namespace

int main() {
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterWindowClasses(module);
    sessionsim::Simulator sim;
    if (!sim.Start("session P system=PRD client=100 x=100 y=100 w=500 h=400\n"
                   "session Q system=QAS client=200 x=300 y=300 w=500 h=400\n")) {
        std::fprintf(stderr, "simulator did not start: %s\n", sim.LastError().c_str());
        return 1;
    }
    const HWND p = sim.Hwnd("P"), q = sim.Hwnd("Q");
    SessionRecord record = ::test::Record(FromHwnd(p), "PRD", "100");
    record.production = 1;
    HeldSnapshot sessions(std::make_shared<const SessionSnapshot>(::test::SnapshotOf({record})));
    HWND host = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    ProductionWatch watch(host, &OnLook, sessions);
    g_watch = &watch;
    watch.OnTick();

    SetForegroundWindow(p);
    const double first = PumpUntil([&] { return Frames(watch, p); });
    std::vector<double> follow;
    double worst = first;
    for (int i = 0; i < 40; ++i) {
        const int x = 100 + (i % 10) * 13, w = 500 + (i % 3) * 17;
        sim.Command("move P " + std::to_string(x) + " 100 " + std::to_string(w) + " 400");
        const double ms = PumpUntil([&] { return Frames(watch, p); });
        follow.push_back(ms);
        worst = ms < 0 || worst < 0 ? -1 : std::max(worst, ms);
    }
    SetForegroundWindow(q);
    const double gone = PumpUntil([&] { return !IsWindowVisible(watch.Frame().Handle()); });
    g_watch = nullptr;
    watch.Stop();
    sim.Stop();

    std::printf("bench frame: follow max %.1f ms median %.1f ms (%zu moves and size changes of the production "
                "session in front; -1: not followed within 2 s; target 100 ms), first frame %.1f ms, gone %.1f ms "
                "after another window came to the front, ratio %.2f (follow max / 100 ms)\n",
                worst, Median(follow), follow.size(), first, gone, worst / 100.0);
    return 0;
}
