// Cost of a refresh that finds nothing changed against a full rebuild of the boxes, with 50
// sessions. The views are fakes that only keep what they are given, so the figures are the
// cycle's own (the rebuild includes reading the six box sections of the
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

// Fifty sessions of three systems on the fake desktop.
void FillDesktop(test::FakeDesktop& desktop) {
    const char* systems[] = {"PRD", "QAS", "DEV"};
    for (int i = 0; i < kTableCapacity; ++i) {
        test::FakeWindow& w = desktop.Add(0x10000 + static_cast<WindowHandle>(i) * 4, systems[i % 3], "100", "USER01",
                                          "SMEN", "SAP Easy Access");
        w.rect = NormalRect{10 * i, 5 * i, 10 * i + 640, 5 * i + 480};
    }
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
    // A clock that never lets a rebuild become overdue while the no-change passes are measured.
    const std::uint32_t now = 1000;
    DragFlag drag;
    test::FakeDesktop desktop{now};
    FillDesktop(desktop);
    fake::FakeRefreshPlatform platform{now};
    platform.mainWindow = 0x1;
    fake::FakeViews views;

    RefreshCycle cycle(drag, desktop, platform, IniCycleSettings(), kDefaultSessionClass, IdleSettings{});
    cycle.SetMainWindow(platform.mainWindow);
    cycle.SetRebuildListener(&views);
    cycle.OnRefreshTimer();  // the first pass and rebuild
    platform.Drain();

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
