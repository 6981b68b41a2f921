// A rebuild runs every 17 s for as long as the user is logged on, and the panels repaint
// all day: nothing along those paths may pile up. Under Wine GetGuiResources answers 0, so
// these look at what a leak really changes: the number of windows, the working set, and the
// slots of the GDI handle table that the program's next objects would take.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

#include "e2e_util.h"
#include "gdi_slots.h"
#include "quilvo_process.h"
#include "resources/resource_ids.h"
#include "sim_client.h"

namespace e2e {
namespace {

class Leaks : public ::testing::Test {
protected:
    void Start(int sessions, const std::string& ini) {
        std::string scenario;
        for (int i = 0; i < sessions; ++i)
            scenario += "session S" + std::to_string(i) + " system=PRD client=100 user=U" + std::to_string(i) +
                        " x=" + std::to_string(i * 30) + " y=" + std::to_string(i * 20) + " w=400 h=300\n";
        ASSERT_TRUE(sim.Start(scenario)) << sim.LastError();
        dir.WriteIni(ini);
        ASSERT_TRUE(quilvo.Start(dir.Path()));
        ASSERT_TRUE(WaitUntil([&] { return PanelsOf(quilvo.MainWindow()).size() == 6; }, 10000));
        trayHost = FindTrayHost();
        ASSERT_NE(trayHost, nullptr);
    }
    void TearDown() override {
        quilvo.Kill();
        sim.Stop();
    }
    HWND FindTrayHost() const {
        for (HWND w : quilvo.TopWindows("#32770"))
            if (TextOf(w) == "zrt::quorval /3 Tarvo Lite") return w;
        return nullptr;
    }
    // A right press on the notification icon: an immediate discovery pass and refresh.
    void RefreshNow() const {
        DWORD_PTR r = 0;
        SendMessageTimeoutA(trayHost, WM_QUILVO_TRAYICON, IDI_QUILVO, WM_RBUTTONDOWN, SMTO_NORMAL, 10000, &r);
    }
    SIZE_T WorkingSet() const {
        PROCESS_MEMORY_COUNTERS pmc = {};
        pmc.cb = sizeof pmc;
        HANDLE h = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, quilvo.Pid());
        GetProcessMemoryInfo(h, &pmc, sizeof pmc);
        CloseHandle(h);
        return pmc.WorkingSetSize;
    }

    sessionsim::Simulator sim;
    TempFolder dir;
    QuilvoProcess quilvo;
    HWND trayHost = nullptr;
};

TEST_F(Leaks, FiveHundredRebuildsLeaveWindowsAndMemoryWhereTheyWere) {
    // Only box 1 selects the sessions and the all-sessions view is hidden, so each rebuild
    // makes 20 mini windows and 20 buttons.
    Start(20, "[Box0]\nSelection=NONE$$$\n[Box1]\nSelection=PRD$$$\n[Box2]\nSelection=NONE$$$\n"
              "[Box3]\nSelection=NONE$$$\n[Box4]\nSelection=NONE$$$\n[Box5]\nSelection=NONE$$$\n"
              "[BoxedViewSingle]\nVisible=0\n");
    auto rebuild = [&](int i) {
        // Moving a boxed session is a change: the refresh rebuilds every list and panel.
        sim.Send("move S0 " + std::to_string(10 + i % 2) + " 0 400 300");
        RefreshNow();
    };
    for (int i = 0; i < 10; ++i) rebuild(i);
    int windowsAfterFew = CountProcessWindows(quilvo.Pid());
    SIZE_T memoryAfterFew = WorkingSet();
    for (int i = 10; i < 500; ++i) rebuild(i);
    int windowsAfterMany = CountProcessWindows(quilvo.Pid());
    SIZE_T memoryAfterMany = WorkingSet();

    EXPECT_EQ(windowsAfterMany, windowsAfterFew);
    // 490 rebuilds leaking even one list or one window object each would add far more.
    EXPECT_LT(memoryAfterMany, memoryAfterFew + 4 * 1024 * 1024)
        << memoryAfterFew << " -> " << memoryAfterMany;
    HWND panel = PanelsOf(quilvo.MainWindow())[1];
    EXPECT_EQ(Children(panel, "XIconWin").size(), 20u);
    EXPECT_TRUE(quilvo.Running());
}

// Every recolour makes a new class brush, every paint a new font, every mini window paint a
// bitmap and a memory DC, and a labelled busy one measures and writes its label and draws its
// mark. None of them may keep a GDI object: a few hundred runs of each path leave the slots of
// the GDI handle table that the program's next objects would take as they were (GdiSlots),
// where one object kept per run would have taken every one of them. The pixels these paths
// draw are checked in-process by the Windows-side tests, as are the tip's cycles.
TEST_F(Leaks, PaintsAndRecoloursKeepNoGdiObject) {
    Start(1, "[Box0]\nSelection=PRD$100$U0$\n[BoxedViewSingle]\nVisible=0\n");
    HWND panel = PanelsOf(quilvo.MainWindow())[0];
    ASSERT_TRUE(WaitUntil([&] { return Children(panel, "XIconWin").size() == 1; }, kSettle));
    // Large enough for its label, and busy: the paint path that draws the most.
    HWND mini = Children(panel, "XIconWin")[0];
    ASSERT_TRUE(sim.Send("move S0 0 0 1280 1024"));
    ASSERT_TRUE(WaitUntil([&] { return ClientRect(mini).bottom >= 40; }, kSettle)) << "moved and resized in place";
    ASSERT_TRUE(sim.Send("hang S0"));
    ASSERT_TRUE(WaitUntil([&] { return BandRows(mini, GetSysColor(COLOR_INACTIVECAPTION)) > 0; }, kSettle))
        << "the pass that finds it busy draws it dimmed";
    ASSERT_EQ(Children(panel, "XIconWin"), std::vector<HWND>{mini});

    // Each path sent from a thread of its own: the program takes the next message while the
    // reply to the last one travels back, instead of waiting for it. An even number of
    // recolours puts the class brush back into the slot it had.
    const auto runAll = [&](int rounds) {
        const auto run = [rounds](HWND window, UINT message) {
            for (int i = 0; i < rounds; ++i) SendMessageA(window, message, 0, 0);
        };
        std::thread recolour(run, panel, WM_QUILVO_RECOLOUR);
        std::thread panelPaint(run, panel, WM_PAINT);
        run(mini, WM_PAINT);
        recolour.join();
        panelPaint.join();
    };
    runAll(2);  // what a path makes once and keeps, on purpose, is made now
    const quilvo::test::GdiSlots slots(quilvo.Handle());
    const std::set<unsigned> before = slots.Next();
    runAll(400);
    EXPECT_LE(slots.Taken(before), quilvo::test::GdiSlots::kTolerated) << "a path keeps GDI objects";
    EXPECT_TRUE(quilvo.Running());
    ASSERT_TRUE(sim.Send("wake S0"));
}

}  // namespace
}  // namespace e2e
