// How long a message posted to the program's own window waits while the refresh cycle runs:
// what a user feels as the delay of a click. A helper thread posts a stamped message every
// millisecond to a window of the thread that runs the passes (real discovery, real views, 50
// simulated sessions); the longest wait is reported for passes that change nothing, for passes
// after which, as on a real desk, every session's title changed and a third of them moved
// ("rebuild"), for passes forced to rebuild with nothing changed ("forced", as every 17 s),
// and for passes while 50 sessions behind one thread are busy, also with box clicks (each hides
// every session and raises a box) between the passes; and a box click while one of its sessions
// sleeps 3 s in every move. Prints one line:
// bench latency: nochange max <ms> ... rebuild max <ms> ... forced max <ms> ... busy max <ms> ...
//   clicks max <ms> ... ratio <rebuild/60 ms>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform_ops.h"
#include "snapshots.h"
#include "app/overview_views.h"
#include "app/window_classes.h"
#include "commands/session_commands.h"
#include "core/refresh.h"
#include "settings/settings.h"
#include "platform/dispatcher.h"
#include "platform/scoped_win.h"
#include "platform/win32_discovery.h"
#include "platform/win32_refresh_platform.h"
#include "resources/resource_ids.h"
#include "sim_client.h"
#include "views/boxed_view.h"
#include "window_helpers.h"

using namespace quilvo;

namespace {

constexpr UINT WM_BENCH_STAMP = WM_APP + 7;
constexpr UINT kTimerPeriodMs = 300;  // passes closer together than the program's 2000 ms
constexpr UINT_PTR kBenchTimer = 42;

double g_ticksPerMs = 1.0;
LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

struct Host {
    RefreshCycle* cycle = nullptr;
    std::vector<double> waits;
    int passes = 0;
    int rebuilds = 0;
    bool forceRebuild = false;
    HWND mainWindow = nullptr;
    bool clickBoxes = false;  // a box click after every pass
    HANDLE changeDesk = nullptr;  // set after a pass: the desk changer changes the sessions
    std::uint32_t lastRebuild = 0;
};
Host g_host;
// The desk changer is at work (the simulator moves and renames its windows): no stamps are
// posted meanwhile, so what the other program costs the machine is not counted as ours.
std::atomic<bool> g_deskChanging{false};

// Posts a left click to the next panel of the main window, as the user's click on a box.
void ClickNextBox() {
    static int next = 0;
    int i = 0;
    for (HWND c = GetWindow(g_host.mainWindow, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT), ++i) {
        if (i != next % kBoxCount) continue;
        PostMessageA(c, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(c, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        break;
    }
    ++next;
}

LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) noexcept {
    switch (msg) {
        case WM_BENCH_STAMP:
            g_host.waits.push_back(static_cast<double>(Now() - static_cast<LONGLONG>(lp)) / g_ticksPerMs);
            return 0;
        case WM_TIMER: {
            // The pass before has ended by now (its wait is shorter than the period): count
            // whether it rebuilt.
            const std::uint32_t rebuilt = g_host.cycle->State().lastRebuildTime;
            if (g_host.passes > 0 && rebuilt != g_host.lastRebuild) ++g_host.rebuilds;
            g_host.lastRebuild = rebuilt;
            if (g_host.forceRebuild) g_host.cycle->ForceRebuild();
            g_host.cycle->OnRefreshTimer();
            ++g_host.passes;
            if (g_host.clickBoxes) ClickNextBox();
            if (g_host.changeDesk != nullptr) SetEvent(g_host.changeDesk);
            return 0;
        }
        default:
            return DefWindowProcA(wnd, msg, wp, lp);
    }
}

struct Figures {
    double max = 0, p99 = 0;
    int passes = 0, rebuilds = 0;
};

// Between two passes, as the user works: every session shows a new screen (a new title) and
// a third of them move. On a thread of its own, so the user-interface thread only sees the
// changes, as it would on a real desk.
class DeskChanger {
public:
    explicit DeskChanger(const sessionsim::Simulator& sim) : sim_(sim) {
        g_host.changeDesk = CreateEventA(nullptr, FALSE, FALSE, nullptr);
        thread_ = std::thread([this] {
            for (int round = 1; !stop_; ++round) {
                if (WaitForSingleObject(g_host.changeDesk, 100) != WAIT_OBJECT_0) continue;
                g_deskChanging = true;
                for (int i = 0; i < 50; ++i) {
                    const std::string name = "S" + std::to_string(i);
                    sim_.Command("caption " + name + " PRD(1)/" + std::to_string(100 + i % 6) + " Screen " +
                                 std::to_string(round));
                    if (i % 3 == round % 3) {
                        sim_.Command("move " + name + " " + std::to_string(i * 10 + (round % 2) * 40) + " " +
                                     std::to_string(i * 8) + " 640 480");
                    }
                }
                g_deskChanging = false;
            }
        });
    }
    ~DeskChanger() {
        stop_ = true;
        thread_.join();
        CloseHandle(g_host.changeDesk);
        g_host.changeDesk = nullptr;
    }

private:
    const sessionsim::Simulator& sim_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Runs the message loop for `passes` timer passes with the stamping thread posting.
Figures Measure(HWND host, int passes, bool forceRebuild, bool clickBoxes = false) {
    g_host.clickBoxes = clickBoxes;
    g_host.waits.clear();
    g_host.passes = 0;
    g_host.rebuilds = 0;
    g_host.forceRebuild = forceRebuild;
    std::atomic<bool> stop{false};
    std::thread poster([&] {
        while (!stop) {
            if (!g_deskChanging) PostMessageA(host, WM_BENCH_STAMP, 0, static_cast<LPARAM>(Now()));
            Sleep(1);
        }
    });
    SetTimer(host, kBenchTimer, kTimerPeriodMs, nullptr);
    MSG msg;
    while (g_host.passes < passes && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(host, kBenchTimer);
    stop = true;
    poster.join();
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Figures f;
    std::vector<double> w = g_host.waits;
    std::sort(w.begin(), w.end());
    if (!w.empty()) {
        f.max = w.back();
        f.p99 = w[w.size() * 99 / 100];
    }
    f.passes = g_host.passes;
    f.rebuilds = g_host.rebuilds;
    return f;
}

std::string Sessions(const char* thread) {
    std::string s;
    for (int i = 0; i < 50; ++i) {
        s += "session S" + std::to_string(i) + " system=PRD client=" + std::to_string(100 + i % 6) + " user=U" +
             std::to_string(i) + " x=" + std::to_string(i * 10) + " y=" + std::to_string(i * 8) + " w=640 h=480";
        if (thread != nullptr) s += std::string(" thread=") + thread;
        s += "\n";
    }
    return s;
}

// The top one of the visible `windows` in the z-order.
HWND TopOf(const std::vector<HWND>& windows) {
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        if (std::find(windows.begin(), windows.end(), w) != windows.end() && IsWindowVisible(w)) return w;
    return nullptr;
}

struct SleeperFigures {
    double othersRestored = -1;  // ms from the click until every other session was restored
    double firstOnTopAfterWake = -1;  // longest ms from the sleeper coming on top to the first
    int wakes = 0;
};

// A box click (every session hidden, the box raised) while the second of its four sessions
// sleeps 3 s in every move: how long the others take to be restored, and, each time the sleeper
// has done a move and is on top, how long until the box's first session is on top again.
SleeperFigures MeasureSleeper() {
    SleeperFigures f;
    sessionsim::Simulator sim;
    std::string scenario;
    for (int i = 0; i < 4; ++i) scenario += "session W" + std::to_string(i) + " system=PRD client=100 user=U" +
                                            std::to_string(i) + " min\n";
    if (!sim.Start(scenario)) return f;
    std::vector<HWND> box;
    std::vector<SessionRecord> sessions;
    for (int i = 0; i < 4; ++i) {
        box.push_back(sim.Hwnd("W" + std::to_string(i)));
        sessions.push_back(::test::Record(FromHwnd(box.back())));
    }
    const SessionSnapshot table = ::test::SnapshotOf(sessions);
    sim.Command("set W1 sleep-on-move=3000");
    quilvo::test::ParkPointer();
    static quilvo::test::PlatformOps ops;
    const LONGLONG click = Now();
    SwitchToBox(table, kAllSessions, ops.ops);
    const auto ms = [](LONGLONG from) { return static_cast<double>(Now() - from) / g_ticksPerMs; };
    LONGLONG sleeperOnTop = 0;
    MSG msg;
    while (ms(click) < 12000) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (f.othersRestored < 0 && std::all_of(box.begin(), box.end(), [&](HWND w) {
                return w == box[1] || (IsWindowVisible(w) && !IsIconic(w));
            })) {
            f.othersRestored = ms(click);
        }
        const HWND top = TopOf(box);
        if (top == box[1] && sleeperOnTop == 0) {
            sleeperOnTop = Now();
            ++f.wakes;
        } else if (top == box[0] && sleeperOnTop != 0) {
            f.firstOnTopAfterWake = std::max(f.firstOnTopAfterWake, ms(sleeperOnTop));
            sleeperOnTop = 0;
        }
        Sleep(1);
    }
    // Still above the first session at the end: it never came back.
    if (sleeperOnTop != 0) f.firstOnTopAfterWake = std::max(f.firstOnTopAfterWake, ms(sleeperOnTop));
    sim.Command("set W1 sleep-on-move=0");
    sim.Stop();
    return f;
}

}  // namespace

int main() {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    g_ticksPerMs = static_cast<double>(f.QuadPart) / 1000.0;

    quilvo::test::TempFolder dir("quilvo-bench-latency", quilvo::test::TempFolder::kEnter);
    std::string ini;
    for (int b = 0; b < kBoxCount; ++b) ini += "[Box" + std::to_string(b) + "]\r\nSelection=$" + std::to_string(100 + b) + "$$\r\n";
    sessionsim::detail::WriteWholeFile(".\\Quilvo.ini", ini);

    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterWindowClasses(module);
    quilvo::test::RegisterTestClass("BenchLatencyHost", HostProc);
    HWND host = CreateWindowExA(0, "BenchLatencyHost", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr);
    HWND mainWindow = CreateWindowExA(0, kQuilvoWinClass, "bench", WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0, 300,
                                      200, nullptr, nullptr, module, nullptr);

    sessionsim::Simulator responsive;
    if (!responsive.Start(Sessions(nullptr))) {
        std::fprintf(stderr, "simulator did not start: %s\n", responsive.LastError().c_str());
        return 1;
    }
    static DragFlag drag;
    const SapMessages messages = SapMessages::Register();
    Win32DiscoveryWindows discovery(messages.getFront);
    Dispatcher dispatcher;
    dispatcher.Create(module);
    Win32RefreshPlatform platform(&dispatcher);
    auto cycle = std::make_unique<RefreshCycle>(drag, discovery, platform, IniCycleSettings(), kDefaultSessionClass,
                                                IdleSettings{});
    cycle->SetMainWindow(FromHwnd(mainWindow));
    ViewServices services;
    services.sessions = cycle.get();
    static quilvo::test::PlatformOps platformOps;
    services.ops = &platformOps.ops;
    auto views = std::make_unique<OverviewViews>(mainWindow, services);
    cycle->SetRebuildListener(views.get());
    g_host.cycle = cycle.get();
    g_host.mainWindow = mainWindow;

    Sleep(3000);  // the desktop settles after fifty new windows (taskbar buttons)
    Measure(host, 3, false);  // the first rebuild creates the views
    const Figures nochange = Measure(host, 40, false);
    const Figures forced = Measure(host, 10, true);
    Figures rebuild;
    {
        DeskChanger changer(responsive);
        rebuild = Measure(host, 20, false);
    }
    responsive.Stop();

    sessionsim::Simulator front;
    if (!front.Start(Sessions("front"))) {
        std::fprintf(stderr, "simulator did not start: %s\n", front.LastError().c_str());
        return 1;
    }
    Sleep(3000);
    Measure(host, 3, false);
    front.Command("hang S0");
    const Figures busy = Measure(host, 10, false);
    const Figures clicks = Measure(host, 10, false, true);
    front.Command("wake S0");
    front.Stop();
    const SleeperFigures sleeper = MeasureSleeper();

    views.reset();
    cycle.reset();
    DestroyWindow(mainWindow);

    std::printf("bench latency: nochange max %.1f ms p99 %.1f ms (%d passes, %d rebuilt; target 60 ms), "
                "rebuild max %.1f ms p99 %.1f ms (%d passes, %d rebuilt, between passes every title changed and a "
                "third of the sessions moved; target 60 ms), "
                "forced max %.1f ms p99 %.1f ms (%d passes forced to rebuild, nothing changed), "
                "busy max %.1f ms p99 %.1f ms (%d passes, 50 sessions on one busy thread; target 30 ms), "
                "clicks max %.1f ms p99 %.1f ms (%d passes, a box click after each, the thread still busy; target 30 ms) "
                "ratio %.2f (rebuild max / 60 ms; nochange max / 60 ms %.2f; busy max / 30 ms %.2f; "
                "clicks max / 30 ms %.2f), "
                "sleeper first on top %.1f ms after the sleeper came on top (%d times; the others restored %.1f ms "
                "after the box click, a session sleeping 3 s in every move)\n",
                nochange.max, nochange.p99, nochange.passes, nochange.rebuilds, rebuild.max, rebuild.p99,
                rebuild.passes, rebuild.rebuilds, forced.max, forced.p99, forced.passes, busy.max, busy.p99,
                busy.passes, clicks.max, clicks.p99, clicks.passes, rebuild.max / 60.0, nochange.max / 60.0,
                busy.max / 30.0, clicks.max / 30.0, sleeper.firstOnTopAfterWake, sleeper.wakes,
                sleeper.othersRestored);
    return 0;
}
