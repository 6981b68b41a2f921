// The update pass of all six panels of the main window's view with 50 sessions in every box,
// painted, against the floor of creating and destroying the same number of bare child windows
// and buttons in the same panels; and the same pass with the mini windows' labels against
// without them, in the same run. Prints two lines:
// bench views: update <median ms> floor <median ms> ... ratio <update/floor>
// bench labels: labelled <median ms> unlabelled <median ms> ... ratio <labelled/unlabelled>
#include <windows.h>

#include "bench_timing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "recording_ops.h"
#include "app/app.h"
#include "app/window_classes.h"
#include "commands/session_commands.h"
#include "core/boxes.h"
#include "base/text.h"
#include "views/box_panel.h"
#include "views/boxed_view.h"
#include "views/mini_window.h"
#include "window_helpers.h"

using namespace quilvo;

namespace {

constexpr int kSessions = 50;
constexpr const char* kBareClass = "BenchBareChild";


using quilvo::test::Pump;

// Fifty sessions spread over the desktop, all passing an empty filter.
std::unique_ptr<BoxList> MakeList(int box, int shift) {
    static SessionTable table;
    table.Clear();
    for (int i = 0; i < kSessions; ++i) {
        SessionRecord& r = table.records[i];
        r.window = 0x7000 + static_cast<WindowHandle>(i);
        r.index = static_cast<std::int16_t>(i);
        r.x = (i * 23 + shift) % 1000;
        r.y = (i * 17) % 800;
        r.width = 640;
        r.height = 480;
        CopyCut(r.title, "PRD(1)/100 SAP Easy Access");
    }
    table.count = kSessions;
    BoxFilter all = {};
    auto list = std::make_unique<BoxList>(table, kSessions, all);
    list->boxIndex = static_cast<std::int16_t>(box);
    return list;
}

// The floor: per panel, as many bare child windows and buttons as the update makes,
// created and destroyed.
void CreateAndDestroyBare(const std::vector<HWND>& panels, HINSTANCE module) {
    std::vector<HWND> made;
    made.reserve(panels.size() * 2 * kSessions);
    for (HWND panel : panels) {
        for (int i = 0; i < kSessions; ++i) {
            made.push_back(CreateWindowExA(0, kBareClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_BORDER,
                                           (i * 7) % 80, (i * 5) % 60, 12, 12, panel, nullptr, module, nullptr));
        }
        for (int i = kSessions - 1; i >= 0; --i) {
            made.push_back(CreateWindowExA(0, "BUTTON", "...", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, i, 70,
                                           1, 12, panel, nullptr, module, nullptr));
        }
    }
    for (HWND w : made) DestroyWindow(w);
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterWindowClasses(module);
    quilvo::test::RegisterTestClass(kBareClass);

    // The view's teardown writes its section of .\Quilvo.ini: keep that out of the way.
    quilvo::test::ScratchDirectory dir("quilvo-bench-views");

    HWND main = CreateWindowExA(0, kQuilvoWinClass, "bench", WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0, 600, 400,
                                nullptr, nullptr, module, nullptr);
    std::unique_ptr<BoxList> lists[kBoxCount];
    BoxList* raw[kBoxCount];
    for (int b = 0; b < kBoxCount; ++b) {
        lists[b] = MakeList(b, 0);
        raw[b] = lists[b].get();
    }
    ::test::RecordingOps ops;
    ViewServices services;
    services.ops = &ops;
    auto view = std::make_unique<BoxedViewToolWindow>(main, raw, kBoxCount, services);
    view->LoadGeometry();
    view->CreatePanels();
    Pump();
    std::vector<HWND> panels;
    for (int b = 0; b < kBoxCount; ++b) panels.push_back(view->Panel(b)->ownWindow);

    // One update pass with the next lists, painted; labels on or off.
    int shift = 0;
    const auto updatePass = [&](bool labels) {
        view->labels = labels;
        std::unique_ptr<BoxList> next[kBoxCount];
        for (int b = 0; b < kBoxCount; ++b) {
            next[b] = MakeList(b, ++shift);
            raw[b] = next[b].get();
        }
        const double ms = TimeMs([&] {
            view->UpdatePanels(raw);
            Pump();
        });
        for (int b = 0; b < kBoxCount; ++b) lists[b] = std::move(next[b]);
        return ms;
    };
    std::vector<double> updates, floors, unlabelled;
    for (int r = 0; r < rounds; ++r) {
        updates.push_back(updatePass(true));
        floors.push_back(TimeMs([&] {
            CreateAndDestroyBare(panels, module);
            Pump();
        }));
        unlabelled.push_back(updatePass(false));
    }
    const RECT mini = quilvo::test::ClientRect(view->Panel(0)->Mini(0)->ownWindow);
    view.reset();
    DestroyWindow(main);

    const double update = Median(updates), floor = Median(floors), plain = Median(unlabelled);
    std::printf("bench views: update %.2f ms floor %.2f ms (6 panels x %d sessions: %d mini windows and buttons, "
                "median of %d) ratio %.2f\n",
                update, floor, kSessions, 6 * kSessions * 2, rounds, floor > 0 ? update / floor : 0.0);
    std::printf("bench labels: labelled %.2f ms unlabelled %.2f ms (the same pass, mini windows of %ldx%ld, median "
                "of %d each) ratio %.2f\n",
                update, plain, mini.right, mini.bottom, rounds, plain > 0 ? update / plain : 0.0);
    return 0;
}
