// A desktop of fake windows for discovery tests: handles from a counter, answers per code.
#pragma once

#include <cstring>
#include <iterator>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "core/text.h"
#include "platform/window_system.h"

namespace quilvo::test {

struct FakeWindow {
    WindowHandle handle = 0;
    std::string className = "SAP_FRONTEND_SESSION";
    std::string caption;
    NormalRect rect = {0, 0, 100, 100};
    bool zoomed = false;
    bool classUnreadable = false;
    bool hung = false;                       // every query times out
    std::map<int, std::string> answers;      // code -> answer; missing code: no answer
};

class FakeDesktop : public DiscoveryWindows {
public:
    std::uint32_t tick = 1000;
    std::list<FakeWindow> windows;  // a list: references stay valid as windows come and go
    std::vector<std::pair<WindowHandle, int>> queries;  // every query made, in order

    FakeWindow& Add(const std::string& caption, const std::string& system = "PRD",
                    const std::string& client = "100", const std::string& user = "USER01") {
        FakeWindow w;
        w.handle = nextHandle_++;
        w.caption = caption;
        w.answers[4] = client;
        w.answers[11] = "SPACE";
        w.answers[15] = user;
        w.answers[10] = system;
        w.answers[5] = "SESSION_MANAGER";
        windows.push_back(w);
        return windows.back();
    }
    FakeWindow& AddOther(const std::string& className) {
        FakeWindow w;
        w.handle = nextHandle_++;
        w.className = className;
        windows.push_back(w);
        return windows.back();
    }
    FakeWindow& At(int i) { return *std::next(windows.begin(), i); }
    FakeWindow* Find(WindowHandle h) {
        for (FakeWindow& w : windows)
            if (w.handle == h) return &w;
        return nullptr;
    }
    void Remove(WindowHandle h) {
        for (auto it = windows.begin(); it != windows.end(); ++it)
            if (it->handle == h) { windows.erase(it); return; }
    }

    std::uint32_t TickCount() override { return tick; }
    void EnumerateAll(WindowVisit visit, void* context) override {
        std::vector<WindowHandle> order;
        for (const FakeWindow& w : windows) order.push_back(w.handle);
        for (WindowHandle h : order)
            if (!visit(h, context)) return;
    }
    int ClassName(WindowHandle window, char* buf, int maxCount) override {
        FakeWindow* w = Find(window);
        if (w == nullptr || w->classUnreadable || maxCount <= 0) return 0;
        CopyCut(buf, static_cast<std::size_t>(maxCount), w->className.c_str());
        return static_cast<int>(std::strlen(buf));
    }
    int Caption(WindowHandle window, char* buf, int bufSize) override {
        FakeWindow* w = Find(window);
        if (w == nullptr || bufSize <= 0) return 0;
        CopyCut(buf, static_cast<std::size_t>(bufSize), w->caption.c_str());
        return static_cast<int>(std::strlen(buf));
    }
    bool NormalPlacement(WindowHandle window, NormalRect* rect) override {
        FakeWindow* w = Find(window);
        if (w == nullptr) return false;
        *rect = w->rect;
        return true;
    }
    bool IsZoomed(WindowHandle window) override {
        FakeWindow* w = Find(window);
        return w != nullptr && w->zoomed;
    }
    FrontReply QueryFront(WindowHandle window, int code, char* dest, std::size_t capacity) override {
        queries.emplace_back(window, code);
        FakeWindow* w = Find(window);
        if (w == nullptr) return FrontReply::Completed;
        if (w->hung) return FrontReply::TimedOut;
        auto it = w->answers.find(code);
        if (it != w->answers.end() && dest != nullptr && !it->second.empty())
            CopyCut(dest, capacity, it->second.c_str());
        return FrontReply::Completed;
    }

private:
    WindowHandle nextHandle_ = 0x1000;
};

}  // namespace quilvo::test
