// Every road by which the program activates a session, played against the foreground lock of
// Windows through the worker's own schedule and tries: where the user has gone on in another
// program, the session's taskbar button flashes once, with a debug line, and the program takes
// nothing from the user.
#include <gtest/gtest.h>

#include <functional>

#include "fake_debug_output.h"
#include "fake_foreground.h"

#include "core/foreground.h"
#include "core/window_jobs.h"

namespace quilvo {
namespace {

using test::FakeForeground;
enum Process { kQuilvo = 1, kSapGui, kEditor, kShell };
constexpr WindowHandle kHost = 0x10, kFind = 0x11, kSession = 0x20, kEditorWindow = 0x30, kTaskbar = 0x40;
constexpr const char* kRefused = "Session [20] flashed, not activated: another program is in front\n";

TEST(Foreground, EveryActivationEndsInFrontOrWithOneFlash) {
    // A click on the icon (the shell allows Quilvo), the menu, a command chosen by key.
    const auto trayCommand = [](FakeForeground& s) {
        s.Click(kTaskbar);
        s.Allow(kShell, kQuilvo);
        s.SetForegroundWindow(kQuilvo, kHost);
        s.menuActive = true;
        s.Input(kQuilvo);
        s.menuActive = false;
    };
    // The hotkey, the find window, Enter on an open row: the window hides, the system
    // activates the editor; the new session comes seconds later.
    const auto findEnter = [](FakeForeground& s) {
        s.Input(kQuilvo);
        s.SetForegroundWindow(kQuilvo, kFind);
        s.Input(kQuilvo);
        s.Activates(kEditorWindow);
    };
    struct Case {
        const char* name;
        std::function<void(FakeForeground&)> before;
        std::uint32_t busyUntil;
        bool inFront;
        int takes;
        const char* line;
    };
    const std::vector<Case> cases = {
        {"a tray command", trayCommand, 0, true, 1, nullptr},
        {"a click on a notice", [](FakeForeground& s) { s.Click(kTaskbar); s.Allow(kShell, kQuilvo); }, 0, true, 1, nullptr},
        {"a new session, nothing done since Enter", findEnter, 0, true, 1, nullptr},
        {"a new session after typing in another program", [&](FakeForeground& s) { findEnter(s); s.Input(kEditor); }, 0,
         false, 1, kRefused},
        // What Activate used to give: the session's process may, the caller still may not.
        {"a grant to the session's process", [](FakeForeground& s) { s.Allow(kEditor, kSapGui); }, 0, false, 1, kRefused},
        {"a box hotkey while another program's menu is open",
         [](FakeForeground& s) { s.menuActive = true; s.Input(kQuilvo); }, 0, false, 1, kRefused},
        {"a busy session taking it later", trayCommand, 350, true, 5, nullptr},
        {"a session busy beyond the activation's time", trayCommand, 10000, false, 30,
         "Session [20] flashed, not activated: not in front in its time\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeForeground system(kQuilvo);
        system.owners = {{kHost, kQuilvo}, {kFind, kQuilvo}, {kSession, kSapGui}, {kEditorWindow, kEditor}, {kTaskbar, kShell}};
        system.busyUntil[kSession] = c.busyUntil;
        system.Click(kEditorWindow);  // the user at work in another program
        c.before(system);
        fake::Debug().Clear();
        WindowJobs jobs;
        jobs.Activate(kSession, 0);
        for (; system.now < 5000; ++system.now) {
            WindowJob job;
            while (jobs.Take(system.now, &job)) {  // as the session worker makes them
                if (job.kind == WindowJob::kActivate) jobs.ActivationTried(TryActivation(system, job.window), system.now);
                if (job.kind == WindowJob::kFlash) FlashIfNotInFront(system, job.window);
            }
        }
        EXPECT_EQ(system.Front() == kSession, c.inFront);
        EXPECT_EQ(system.takes, c.takes);
        EXPECT_EQ(system.flashes, c.inFront ? std::vector<WindowHandle>{} : std::vector<WindowHandle>{kSession});
        EXPECT_EQ(fake::Debug().lines, c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace quilvo
