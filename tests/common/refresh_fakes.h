// Fakes for driving the refresh cycle without windows (its desktop is test::FakeDesktop): a
// platform with a settable clock, and views that record what they are told and read every
// list they hold (so a destroyed list shows up under the sanitizer).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/overview_view.h"
#include "base/text.h"
#include "core/refresh_platform.h"

namespace quilvo::fake {

class FakeRefreshPlatform : public RefreshPlatform {
public:
    explicit FakeRefreshPlatform(const std::uint32_t& clock) : clock_(clock) {}

    WindowHandle mainWindow = kNoWindow;  // the one window that exists
    GlobalAtom nextAtom = 0xC123;
    std::vector<std::string> atomsAdded;
    std::map<GlobalAtom, std::string> atoms;  // the global atom table: a test may delete or rename
    std::vector<std::pair<WindowHandle, GlobalAtom>> okCodesSent;

    std::uint32_t TickCount() override { return clock_; }
    bool WindowExists(WindowHandle window) override { return window != kNoWindow && window == mainWindow; }
    GlobalAtom AddGlobalAtom(const char* text) override {
        atomsAdded.emplace_back(text);
        atoms[nextAtom] = text;
        return nextAtom;
    }
    bool AtomHolds(GlobalAtom atom, const char* text) override {
        auto it = atoms.find(atom);
        return it != atoms.end() && EqualsNoCase(it->second.c_str(), text);
    }
    void SendOkCode(WindowHandle session, GlobalAtom atom) override { okCodesSent.emplace_back(session, atom); }
    int scheduled = 0;  // ScheduleRefresh calls
    void ScheduleRefresh() override { ++scheduled; }
    // Without a timer by default: a pass waits for its replies where it stands, as the fake
    // desktop gives them. With one, the test ends the pass (OnReplies, OnPassDeadline).
    bool hasTimer = false;
    int deadlines = 0;  // StartPassDeadline calls that armed one
    bool StartPassDeadline(std::uint32_t) override {
        deadlines += hasTimer ? 1 : 0;
        return hasTimer;
    }
    void StopPassDeadline() override {}
    bool continueLater = false;  // a pass sends a few sessions' queries at a time
    bool ContinuePassLater() override { return continueLater; }
    // With walkElsewhere the pass's walk waits here until the test (or AwaitWalk) makes it.
    bool walkElsewhere = false;
    int walksHanded = 0;
    std::function<void()> walk;
    bool WalkElsewhere(std::function<void()> w) override {
        if (!walkElsewhere) return false;
        ++walksHanded;
        walk = std::move(w);
        return true;
    }
    void AwaitWalk() override {
        if (!walk) return;
        const std::function<void()> w = std::move(walk);
        walk = nullptr;
        w();
    }

private:
    const std::uint32_t& clock_;
};

struct ViewRecord {
    std::string kind;  // "tool" or "single"
    WindowHandle mainWindow = kNoWindow;
    int boxCount = 0, width = 0, height = 0;
    std::vector<std::string> calls;  // "LoadGeometry", "CreatePanels", "UpdatePanels"
    std::vector<const BoxList*> held;
    bool visible = true;
    bool destroyed = false;
    std::function<void()> onUpdate;  // runs inside UpdatePanels, as a window procedure might
};

// What a panel does on a repaint: walks every list its view holds. A list destroyed under the
// view fails here under the address sanitizer.
void ReadHeldLists(const ViewRecord& record);

class FakeView : public OverviewView {
public:
    FakeView(ViewRecord& record, BoxList* const* lists, int boxCount);
    ~FakeView() override;
    void LoadGeometry() override { record_.calls.push_back("LoadGeometry"); }
    void CreatePanels() override;
    void UpdatePanels(BoxList* const* lists) override;
    bool IsVisible() const override { return record_.visible; }
    void Show() override { record_.visible = true; }
    void ForgetSkippedUpdates() override {}

private:
    ViewRecord& record_;
};

class FakeViewFactory : public ViewFactory {
public:
    ViewRecord tool, single;
    int toolCreations = 0, singleCreations = 0;
    std::vector<std::pair<WindowHandle, OverviewView*>> attachments;

    std::unique_ptr<OverviewView> CreateToolWindowView(WindowHandle mainWindow, BoxList* const* lists,
                                                       int boxCount) override;
    std::unique_ptr<OverviewView> CreateSingleView(BoxList* const* lists, int boxCount, int width,
                                                   int height) override;
    void AttachToMainWindow(WindowHandle mainWindow, OverviewView* view) override {
        attachments.emplace_back(mainWindow, view);
    }
};

}  // namespace quilvo::fake
