// Cost of a refresh pass that finds nothing changed against a full rebuild of the box lists,
// with a full table of 50 sessions. The views are fakes that only note the calls, so the
// figures are the cycle's own (the rebuild includes reading the six box sections of the
// settings file in the current directory). Prints one line:
//   bench refresh: nochange <median> us rebuild <median> us ... ratio <rebuild/nochange>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "core/refresh.h"
#include "settings/settings.h"
#include "base/text.h"
#include "fake_desktop.h"
#include "refresh_fakes.h"

namespace {

using namespace quilvo;

// A clock that never lets a rebuild become overdue while the no-change passes are measured.
class BenchPlatform : public RefreshPlatform {
public:
    std::uint32_t TickCount() override { return 1000; }
    bool WindowExists(WindowHandle window) override { return window != kNoWindow; }
    GlobalAtom AddGlobalAtom(const char*) override { return 0; }
    bool AtomHolds(GlobalAtom, const char*) override { return false; }
    void SendOkCode(WindowHandle, GlobalAtom) override {}
    void ScheduleRefresh() override {}
    bool StartPassDeadline(std::uint32_t) override { return false; }
    void StopPassDeadline() override {}
    bool ContinuePassLater() override { return false; }
};

void FillTable(SessionTable& table) {
    table.Clear();
    const char* systems[] = {"PRD", "QAS", "DEV"};
    for (int i = 0; i < kTableCapacity; ++i) {
        SessionRecord& r = table.records[i];
        r.window = 0x10000 + static_cast<WindowHandle>(i) * 4;
        r.index = static_cast<std::int16_t>(i);
        r.x = 10 * i;
        r.y = 5 * i;
        r.width = 640;
        r.height = 480;
        CopyCut(r.title, "SAP Easy Access");
        CopyCut(r.system, systems[i % 3]);
        CopyCut(r.client, "100");
        CopyCut(r.user, "USER01");
        CopyCut(r.transaction, "SMEN");
    }
    table.count = kTableCapacity;
}

template <typename Run>
double MedianMicroseconds(int runs, Run run) {
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const auto end = std::chrono::steady_clock::now();
        samples.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::nth_element(samples.begin(), samples.begin() + runs / 2, samples.end());
    return samples[static_cast<std::size_t>(runs / 2)];
}

}  // namespace

int main() {
    static SessionTable table;
    static BoxFilter filters[kBoxCount];
    DragFlag drag;
    test::FakeDesktop desktop;
    BenchPlatform platform;
    fake::FakeViewFactory views;
    FillTable(table);

    RefreshCycle cycle(table, filters, drag, desktop, platform, views, IniCycleSettings(), kDefaultSessionClass, IdleSettings{});
    cycle.SetMainWindow(0x1);
    cycle.Refresh();  // the first rebuild creates the views

    const double nochange = MedianMicroseconds(5001, [&] { cycle.Refresh(); });
    const double rebuild = MedianMicroseconds(501, [&] {
        cycle.ForceRebuild();
        cycle.Refresh();
    });
    const double ratio = rebuild / std::max(nochange, 0.001);
    std::printf("bench refresh: nochange %.2f us rebuild %.2f us (50 sessions, medians of 5001 and 501; the rebuild "
                "reads six box sections and writes one debug line per session examined) ratio %.1f\n",
                nochange, rebuild, ratio);
    return 0;
}
