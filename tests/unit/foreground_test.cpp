// Every road by which the program activates a session, played through the worker's own
// schedule and tries against the foreground lock of Windows, which Wine lacks: where the user has
// gone on in another program, the session's taskbar button flashes once, with a debug line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <map>

#include "fake_debug_output.h"

#include "core/foreground.h"
#include "core/window_jobs.h"

namespace quilvo {
namespace {

using Process = int;
constexpr Process kQuilvo = 1, kSapGui = 2, kEditor = 3, kShell = 4, kAny = -1;
constexpr WindowHandle kHost = 0x10, kFind = 0x11, kSession = 0x20, kEditorWindow = 0x30, kTaskbar = 0x40;

// The lock, seen from Quilvo's process: a process may set the foreground window only if it owns
// the window in front, received the last input, was allowed (AllowSetForegroundWindow by one
// that may set it, kAny for all, until the next input), or none is in front; never in a menu.
class FakeForeground : public Foreground {
public:
    // The user clicks a window: it comes to the front, and its process had the last input.
    void Click(WindowHandle window) {
        front_ = window;
        Input(owners[window]);
    }
    // A key, or a registered hotkey's WM_HOTKEY: the process that receives it had the last input.
    void Input(Process to) {
        lastInput_ = to;
        grants_.clear();
    }
    void Allow(Process caller, Process to) {
        if (MaySet(caller)) grants_.push_back(to);
    }
    // The system activates the next window without input (the active one was hidden).
    void Activates(WindowHandle window) { front_ = window; }

    WindowHandle Front() const override { return front_; }
    bool Ours(WindowHandle window) const override { return owners.at(window) == kQuilvo; }
    bool Take(WindowHandle window) override {
        if (!MaySet(kQuilvo)) return false;
        if (now >= busyUntil[window]) front_ = window;  // a busy thread takes it later
        return true;
    }
    void Flash(WindowHandle window) override { flashes.push_back(window); }

    std::map<WindowHandle, Process> owners = {
        {kHost, kQuilvo}, {kFind, kQuilvo}, {kSession, kSapGui}, {kEditorWindow, kEditor}, {kTaskbar, kShell}};
    std::map<WindowHandle, std::uint32_t> busyUntil;
    std::uint32_t now = 0;
    bool menuActive = false;
    std::vector<WindowHandle> flashes;

private:
    bool MaySet(Process caller) const {
        const auto granted = [&](Process p) { return std::find(grants_.begin(), grants_.end(), p) != grants_.end(); };
        return !menuActive && (front_ == kNoWindow || owners.at(front_) == caller || lastInput_ == caller ||
                               granted(caller) || granted(kAny));
    }

    WindowHandle front_ = kEditorWindow;  // the user at work in another program
    Process lastInput_ = kEditor;
    std::vector<Process> grants_;
};

TEST(Foreground, EveryActivationEndsInFrontOrWithOneFlash) {
    // A click on the icon (the shell allows Quilvo), its menu in front, an entry chosen by key.
    const auto trayCommand = [](FakeForeground& s) {
        s.Click(kTaskbar);
        s.Allow(kShell, kQuilvo);
        s.Take(kHost);
        s.Input(kQuilvo);
    };
    // The hotkey, then Enter on an open row: the find window hides, the system activates the
    // editor, and the new session comes seconds later.
    const auto findEnter = [](FakeForeground& s) {
        s.Input(kQuilvo);
        s.Take(kFind);
        s.Activates(kEditorWindow);
    };
    const char* const refused = "Session [20] flashed, not activated: another program is in front\n";
    struct Case {
        const char* name;
        std::function<void(FakeForeground&)> before;
        std::uint32_t busyUntil;
        const char* line;  // none: in front
    };
    const std::vector<Case> cases = {
        {"a tray command", trayCommand, 0, nullptr},
        {"a click on a notice", [](FakeForeground& s) { s.Click(kTaskbar); s.Allow(kShell, kQuilvo); }, 0, nullptr},
        {"a new session, nothing done since Enter", findEnter, 0, nullptr},
        {"a new session after typing elsewhere", [&](FakeForeground& s) { findEnter(s); s.Input(kEditor); }, 0, refused},
        // What Activate used to give: the session's process may, the caller still may not.
        {"a grant to the session's process", [](FakeForeground& s) { s.Allow(kEditor, kSapGui); }, 0, refused},
        {"a box hotkey with a menu open", [](FakeForeground& s) { s.menuActive = true; s.Input(kQuilvo); }, 0, refused},
        {"a busy session taking it on a later try", trayCommand, 350, nullptr},
        {"a session busy beyond its time", trayCommand, 10000,
         "Session [20] flashed, not activated: not in front in its time\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeForeground system;
        system.busyUntil[kSession] = c.busyUntil;
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
        EXPECT_EQ(system.Front() == kSession, c.line == nullptr);
        EXPECT_EQ(system.flashes, c.line ? std::vector<WindowHandle>{kSession} : std::vector<WindowHandle>{});
        EXPECT_EQ(fake::Debug().lines, c.line ? std::vector<std::string>{c.line} : std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace quilvo
