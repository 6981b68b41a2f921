// The update pass of all six panels of the main window's view with 50 sessions in every box,
// every session moved since the last pass, painted: against the floor of creating and
// destroying the same number of bare child windows and buttons in the same panels, and against
// destroying every mini window and button and making them anew for the same lists (what every
// update did before the panels followed their lists in place); and the same pass with the mini
// windows' labels against without them, in the same run. Prints three lines:
// bench views: update <median ms> floor <median ms> ... ratio <update/floor>
// bench moves: inplace <median ms> remake <median ms> ... ratio <inplace/remake>
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
#include "snapshots.h"
#include "app/window_classes.h"
#include "commands/session_commands.h"
#include "core/boxes.h"
#include "base/text.h"
#include "settings/profile.h"
#include "settings/settings.h"
#include "views/box_panel.h"
#include "views/boxed_view.h"
#include "views/mini_window.h"
#include "window_helpers.h"

using namespace quilvo;

namespace {

constexpr int kSessions = 50;
constexpr const char* kBareClass = "BenchBareChild";


using quilvo::test::Pump;

// Fifty sessions spread over the desktop, every one in every box.
Snapshot MakeList(int shift, int sessions = kSessions) {
    std::vector<SessionRecord> records;
    for (int i = 0; i < sessions; ++i) {
        SessionRecord r = ::test::Record(0x7000 + static_cast<WindowHandle>(i), "", "", "", "", "PRD(1)/100 SAP Easy Access");
        r.x = (i * 23 + shift) % 1000;
        r.y = (i * 17) % 800;
        r.width = 640;
        r.height = 480;
        records.push_back(r);
    }
    SessionSnapshot snapshot = ::test::SnapshotOf(records);
    for (auto& members : snapshot.members)
        for (int i = 0; i < sessions; ++i) members.push_back(static_cast<std::int16_t>(i));
    return std::make_shared<const SessionSnapshot>(std::move(snapshot));
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

// The main window's view over six lists of fifty sessions, at the size stored for it
// (none: its default size).
class BenchView {
public:
    BenchView(HINSTANCE module, const char* width, const char* height) {
        ProfileWriteString("BoxedViewToolWindow", "Width", width, kSettingsFile);
        ProfileWriteString("BoxedViewToolWindow", "Height", height, kSettingsFile);
        main_ = CreateWindowExA(0, kQuilvoWinClass, "bench", WS_VISIBLE | WS_CAPTION | WS_SYSMENU, 0, 0, 300, 200,
                                nullptr, nullptr, module, nullptr);
        services_.ops = &ops_;
        view_ = std::make_unique<BoxedViewToolWindow>(main_, MakeList(0), kBoxCount, services_);
        view_->LoadGeometry();
        view_->CreatePanels();
        Pump();
    }
    ~BenchView() {
        view_.reset();
        DestroyWindow(main_);
    }
    // One update pass with the next sessions, every one moved, painted; labels on or off.
    // remake: every window destroyed first and made anew (an update with no sessions first).
    double Update(bool labels, bool remake = false) {
        view_->Context().labels = labels;
        const Snapshot next = MakeList(++shift_);
        const Snapshot empty = MakeList(0, 0);
        return TimeMs([&] {
            if (remake) view_->UpdatePanels(empty);
            view_->UpdatePanels(next);
            Pump();
        });
    }
    std::vector<HWND> Panels() const {
        std::vector<HWND> panels;
        for (int b = 0; b < kBoxCount; ++b) panels.push_back(view_->Panel(b)->ownWindow);
        return panels;
    }
    RECT MiniClient() const { return quilvo::test::ClientRect(view_->Panel(0)->Mini(0)->ownWindow); }

private:
    HWND main_ = nullptr;
    ::test::RecordingOps ops_;
    ViewServices services_;
    std::unique_ptr<BoxedViewToolWindow> view_;
    int shift_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 21;
    HINSTANCE module = GetModuleHandleA(nullptr);
    RegisterWindowClasses(module);
    quilvo::test::RegisterTestClass(kBareClass);
    // The view's teardown writes its section of .\Quilvo.ini: keep that out of the way.
    quilvo::test::TempFolder dir("quilvo-bench-views", quilvo::test::TempFolder::kEnter);

    std::vector<double> updates, floors, remakes;
    {
        BenchView small(module, "0", "0");  // the default 300 x 200: mini windows too small for labels
        const std::vector<HWND> panels = small.Panels();
        for (int r = 0; r < rounds; ++r) {
            updates.push_back(small.Update(true));
            remakes.push_back(small.Update(true, true));
            floors.push_back(TimeMs([&] {
                CreateAndDestroyBare(panels, module);
                Pump();
            }));
        }
    }
    std::vector<double> labelled, unlabelled;
    RECT mini = {};
    {
        BenchView large(module, "1200", "800");  // every mini window has room for its label
        for (int r = 0; r < rounds; ++r) {
            labelled.push_back(large.Update(true));
            unlabelled.push_back(large.Update(false));
        }
        mini = large.MiniClient();
    }

    const double update = Median(updates), floor = Median(floors), remake = Median(remakes);
    const double withLabels = Median(labelled), plain = Median(unlabelled);
    std::printf("bench views: update %.2f ms floor %.2f ms (6 panels x %d sessions: %d mini windows and buttons, "
                "median of %d) ratio %.2f\n",
                update, floor, kSessions, 6 * kSessions * 2, rounds, floor > 0 ? update / floor : 0.0);
    std::printf("bench moves: inplace %.2f ms remake %.2f ms (the same pass, every session moved: kept and moved, "
                "against every window destroyed and made anew; median of %d each) ratio %.2f\n",
                update, remake, rounds, remake > 0 ? update / remake : 0.0);
    std::printf("bench labels: labelled %.2f ms unlabelled %.2f ms (the same pass in a 1200 x 800 view, mini windows "
                "of %ldx%ld, alternating, median of %d each) ratio %.2f\n",
                withLabels, plain, mini.right, mini.bottom, rounds, plain > 0 ? withLabels / plain : 0.0);
    return 0;
}
