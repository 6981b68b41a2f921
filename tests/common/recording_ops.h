// The session-operations seam for tests: records every operation as a line ("show 11 9",
// "icon 11", "bringup 11", "top 11", "close 11") and keeps a z-order in which BringToTop moves
// a window to the front.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "commands/session_commands.h"

namespace test {

class RecordingOps : public quilvo::SessionWindowOps {
public:
    std::vector<std::string> calls;
    std::vector<quilvo::WindowHandle> zOrder;  // front first

    void ShowAsync(quilvo::WindowHandle w, int code) override {
        calls.push_back("show " + std::to_string(w) + " " + std::to_string(code));
    }
    void OpenIcon(quilvo::WindowHandle w) override { calls.push_back("icon " + std::to_string(w)); }
    void BringUp(quilvo::WindowHandle w) override { calls.push_back("bringup " + std::to_string(w)); }
    void BringToTop(quilvo::WindowHandle w) override {
        calls.push_back("top " + std::to_string(w));
        zOrder.erase(std::remove(zOrder.begin(), zOrder.end(), w), zOrder.end());
        zOrder.insert(zOrder.begin(), w);
    }
    void SendClose(quilvo::WindowHandle w) override { calls.push_back("close " + std::to_string(w)); }
    void Activate(quilvo::WindowHandle w) override { calls.push_back("activate " + std::to_string(w)); }
    // Whether a window of the program that is about to take the foreground is to wait for its
    // message (calls still on their way) or may go ahead now.
    bool settleLater = false;
    bool NotifyWhenSettled(quilvo::WindowHandle, unsigned) override { return settleLater; }
};

}  // namespace test
