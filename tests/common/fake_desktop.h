// The one fake of the discovery seam: a desktop of fake windows with handles from a counter,
// answering each query code from the window's answers. Responsive windows answer while the
// pass waits; hung ones keep their queries until Deliver. Its own bookkeeping is never taken
// for the code under test's allocations.
#pragma once

#include <cstring>
#include <iterator>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "allocation_hook.h"
#include "core/discovery.h"
#include "base/text.h"
#include "core/discovery_windows.h"

namespace quilvo::test {

struct FakeWindow {
    WindowHandle handle = 0;
    std::string className = kDefaultSessionClass;
    std::string caption;
    NormalRect rect = {0, 0, 100, 100};
    bool zoomed = false;
    bool workspace = false;                  // rect is in workspace coordinates
    NormalRect shown = {0, 0, 0, 0};         // where a zoomed window is now; empty: rect
    bool classUnreadable = false;
    bool hung = false;                       // queries stay unanswered until Deliver
    std::map<int, std::string> answers;      // code -> answer; missing code: no answer
};

class FakeDesktop : public DiscoveryWindows {
public:
    FakeDesktop() = default;
    // Reads a clock the test keeps, shared with its other fakes, instead of its own tick.
    explicit FakeDesktop(const std::uint32_t& clock) : clock_(&clock) {}

    std::uint32_t tick = 1000;
    std::list<FakeWindow> windows;  // a list: references stay valid as windows come and go
    std::vector<std::pair<WindowHandle, int>> queries;  // every query made, in order
    int awaits = 0;                                       // AwaitReplies calls
    std::vector<WindowHandle> seen;                       // SessionSeen calls, in order
    int enumerations = 0;                                 // EnumerateAll calls
    std::map<WindowHandle, int> classReads;               // ClassName calls per window
    MonitorList monitors = OneMonitor(1280, 1024);

    FakeWindow& Add(const std::string& caption, const std::string& system = "PRD",
                    const std::string& client = "100", const std::string& user = "USER01") {
        FakeWindow& w = AddOther(kDefaultSessionClass);
        w.caption = caption;
        w.answers[kFrontClient] = client;
        w.answers[kFrontServerGroup] = "SPACE";
        w.answers[kFrontUser] = user;
        w.answers[kFrontSystem] = system;
        w.answers[kFrontTransaction] = "SESSION_MANAGER";
        return w;
    }
    // A session with a handle of the test's choosing, a transaction and a real window's size.
    FakeWindow& Add(WindowHandle handle, const char* system, const char* client, const char* user,
                    const char* transaction, const char* caption = "Session") {
        FakeWindow& w = Add(caption, system, client, user);
        w.handle = handle;
        w.rect = NormalRect{10, 20, 410, 320};
        w.answers[kFrontServerGroup] = "GRP";
        w.answers[kFrontTransaction] = transaction;
        return w;
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

    std::uint32_t TickCount() override { return clock_ != nullptr ? *clock_ : tick; }
    void EnumerateAll(const char*, WindowVisit visit, void* context) override {
        std::vector<WindowHandle> order;
        {
            UncountedAllocations own;
            ++enumerations;
            for (const FakeWindow& w : windows) order.push_back(w.handle);
        }
        for (WindowHandle h : order)
            if (!visit(h, context)) return;
    }
    int ClassName(WindowHandle window, char* buf, int maxCount) override {
        {
            UncountedAllocations own;
            ++classReads[window];
        }
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
    bool NormalPlacement(WindowHandle window, NormalRect* rect, bool* maximized) override {
        FakeWindow* w = Find(window);
        if (w == nullptr) return false;
        *rect = w->rect;
        *maximized = w->zoomed;
        return true;
    }
    bool InWorkspaceCoordinates(WindowHandle window) override {
        FakeWindow* w = Find(window);
        return w != nullptr && w->workspace;
    }
    bool WindowRect(WindowHandle window, NormalRect* rect) override {
        FakeWindow* w = Find(window);
        if (w == nullptr) return false;
        *rect = w->shown.right > w->shown.left ? w->shown : w->rect;
        return true;
    }
    MonitorList Monitors() override { return monitors; }
    bool Exists(WindowHandle window) override { return Find(window) != nullptr; }
    SessionClassCache& Classes() override { return classes_; }
    void SessionSeen(WindowHandle window) override {
        UncountedAllocations own;
        seen.push_back(window);
    }
    FrontQueryPool& Queries() override { return pool_; }
    bool SendFront(WindowHandle window, int code, FrontToken token) override {
        UncountedAllocations own;
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
    // What has come in: the responsive windows' replies.
    void TakeReplies() override { DeliverWhere([&](const FakeWindow& w) { return !w.hung; }); }
    std::uint32_t ReplyWaitMs() const override { return 250; }
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
    // The replies reach the pool in the order the queries went out, as a window's would.
    template <typename Pred>
    void DeliverWhere(Pred pred) {
        std::vector<Pending> due;
        {
            UncountedAllocations own;
            std::vector<Pending> keep;
            for (const Pending& p : pending_) {
                FakeWindow* w = Find(p.window);
                (w != nullptr && !pred(*w) ? keep : due).push_back(p);
            }
            pending_.swap(keep);
        }
        for (const Pending& p : due) {
            const char* answer = nullptr;
            if (FakeWindow* w = Find(p.window)) {
                auto it = w->answers.find(p.code);
                if (it != w->answers.end()) answer = it->second.c_str();
            }
            pool_.Complete(p.token, answer);
        }
    }

    const std::uint32_t* clock_ = nullptr;
    SessionClassCache classes_;
    FrontQueryPool pool_;
    std::vector<Pending> pending_;
    WindowHandle nextHandle_ = 0x1000;
};

}  // namespace quilvo::test
