// A desktop of fake windows for discovery tests: handles from a counter, answers per code.
#pragma once

#include <cstring>
#include <iterator>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "core/discovery.h"
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
    bool hung = false;                       // queries stay unanswered until Deliver
    std::map<int, std::string> answers;      // code -> answer; missing code: no answer
};

class FakeDesktop : public DiscoveryWindows {
public:
    std::uint32_t tick = 1000;
    std::list<FakeWindow> windows;  // a list: references stay valid as windows come and go
    std::vector<std::pair<WindowHandle, int>> queries;  // every query made, in order
    int awaits = 0;                                       // AwaitReplies calls
    std::map<WindowHandle, int> classReads;               // ClassName calls per window

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
        ++classReads[window];
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
    bool Exists(WindowHandle window) override { return Find(window) != nullptr; }
    SessionClassCache& Classes() override { return classes_; }
    FrontQueryPool& Queries() override { return pool_; }
    bool SendFront(WindowHandle window, int code, FrontToken token) override {
        queries.emplace_back(window, code);
        if (Find(window) == nullptr) return false;
        pending_.push_back(Pending{window, code, token});
        return true;
    }
    // Responsive windows reply while the pass waits; hung ones keep their queries.
    void AwaitReplies(std::uint32_t) override {
        ++awaits;
        DeliverWhere([&](const FakeWindow& w) { return !w.hung; });
    }
    // A hung window wakes: it answers what it was asked, with the answers it has now.
    void Deliver(WindowHandle handle) {
        DeliverWhere([&](const FakeWindow& w) { return w.handle == handle; });
    }
    int PendingFor(WindowHandle handle) const {
        int n = 0;
        for (const Pending& p : pending_) n += p.window == handle ? 1 : 0;
        return n;
    }

private:
    struct Pending {
        WindowHandle window;
        int code;
        FrontToken token;
    };
    template <typename Pred>
    void DeliverWhere(Pred pred) {
        std::vector<Pending> keep;
        for (const Pending& p : pending_) {
            FakeWindow* w = Find(p.window);
            if (w != nullptr && !pred(*w)) {
                keep.push_back(p);
                continue;
            }
            const char* answer = nullptr;
            if (w != nullptr) {
                auto it = w->answers.find(p.code);
                if (it != w->answers.end()) answer = it->second.c_str();
            }
            pool_.Complete(p.token, answer);
        }
        pending_.swap(keep);
    }

    SessionClassCache classes_;
    FrontQueryPool pool_;
    std::vector<Pending> pending_;
    WindowHandle nextHandle_ = 0x1000;
};

}  // namespace quilvo::test
