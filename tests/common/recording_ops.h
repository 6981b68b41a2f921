// The one fake of the session-operations seam: records every operation as a line ("show 11 9",
// "icon 11", "bringup 11", "top 11", "close 11"), keeps a z-order in which BringToTop moves a
// window to the front, and, given a schedule, hands every call to it as the platform's worker
// does (the clock is the test's).
#pragma once

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "commands/session_commands.h"
#include "core/window_jobs.h"

namespace test {

class RecordingOps : public quilvo::SessionWindowOps {
public:
    RecordingOps() = default;
    RecordingOps(quilvo::WindowJobs& jobs, const std::uint32_t& now) : jobs_(&jobs), now_(&now) {}

    std::vector<std::string> calls;
    std::vector<quilvo::WindowHandle> zOrder;  // front first
    std::map<quilvo::WindowHandle, std::uint32_t> threads;  // the windows' threads told to the schedule

    void ShowAsync(quilvo::WindowHandle w, int code) override {
        calls.push_back("show " + std::to_string(w) + " " + std::to_string(code));
        if (jobs_) jobs_->Show(w, code, ThreadOf(w));
    }
    void OpenIcon(quilvo::WindowHandle w) override {
        calls.push_back("icon " + std::to_string(w));
        if (jobs_) jobs_->OpenIcon(w, ThreadOf(w));
    }
    void BringUp(quilvo::WindowHandle w) override {
        calls.push_back("bringup " + std::to_string(w));
        if (jobs_) jobs_->BringUp(w, ThreadOf(w));
    }
    void BringToTop(quilvo::WindowHandle w) override {
        calls.push_back("top " + std::to_string(w));
        zOrder.erase(std::remove(zOrder.begin(), zOrder.end(), w), zOrder.end());
        zOrder.insert(zOrder.begin(), w);
        if (jobs_) jobs_->Raise(w, *now_, ThreadOf(w));
    }
    void SendClose(quilvo::WindowHandle w) override { calls.push_back("close " + std::to_string(w)); }
    void Activate(quilvo::WindowHandle w) override {
        calls.push_back("activate " + std::to_string(w));
        if (jobs_) jobs_->Activate(w, *now_);
    }
    // Whether a window of the program that is about to take the foreground is to wait for its
    // message (calls still on their way) or may go ahead now.
    bool settleLater = false;
    bool NotifyWhenSettled(quilvo::WindowHandle, unsigned) override { return settleLater; }

private:
    std::uint32_t ThreadOf(quilvo::WindowHandle w) const { return threads.count(w) ? threads.at(w) : 0; }
    quilvo::WindowJobs* jobs_ = nullptr;
    const std::uint32_t* now_ = nullptr;
};

}  // namespace test
