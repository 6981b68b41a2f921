// The foreground lock of Windows, seen from the program's process: a process may set the
// foreground window only if it owns the window in front, received the last input, or was
// allowed (AllowSetForegroundWindow by a process that may set it, ASFW_ANY for all; every
// grant ends at the next input), or no window is in front; never while a menu is active.
// Wine has no such lock, so the refusals are met only here.
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

#include "core/foreground.h"

namespace test {

class FakeForeground : public quilvo::Foreground {
public:
    using Process = int;
    static constexpr Process kAny = -1;

    explicit FakeForeground(Process program) : program_(program) {}

    // The user clicks a window: it comes to the front, and its process had the last input.
    void Click(quilvo::WindowHandle window) {
        front_ = window;
        Input(owners[window]);
    }
    // A key or a registered hotkey's WM_HOTKEY: the process that receives it had the last input.
    void Input(Process to) {
        lastInput_ = to;
        grants_.clear();
    }
    bool Allow(Process caller, Process to) {
        if (!MaySet(caller)) return false;
        grants_.push_back(to);
        return true;
    }
    bool SetForegroundWindow(Process caller, quilvo::WindowHandle window) {
        if (!MaySet(caller)) return false;
        if (now >= busyUntil[window]) front_ = window;  // a busy thread takes it later
        return true;
    }
    // The system activates the next window, without input (the active one was hidden).
    void Activates(quilvo::WindowHandle window) { front_ = window; }

    quilvo::WindowHandle Front() const override { return front_; }
    bool Ours(quilvo::WindowHandle window) const override { return owners.at(window) == program_; }
    bool Take(quilvo::WindowHandle window) override {
        ++takes;
        return SetForegroundWindow(program_, window);
    }
    void Flash(quilvo::WindowHandle window) override { flashes.push_back(window); }

    std::map<quilvo::WindowHandle, Process> owners;
    std::map<quilvo::WindowHandle, std::uint32_t> busyUntil;
    std::uint32_t now = 0;
    bool menuActive = false;
    int takes = 0;
    std::vector<quilvo::WindowHandle> flashes;

private:
    bool MaySet(Process caller) const {
        const auto granted = [&](Process p) { return std::count(grants_.begin(), grants_.end(), p) > 0; };
        if (menuActive) return false;
        return front_ == quilvo::kNoWindow || owners.at(front_) == caller || lastInput_ == caller || granted(caller) ||
               granted(kAny);
    }

    Process program_;
    quilvo::WindowHandle front_ = quilvo::kNoWindow;
    Process lastInput_ = 0;
    std::vector<Process> grants_;
};

}  // namespace test
