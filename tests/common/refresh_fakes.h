// Fakes for driving the refresh cycle without windows (its desktop is test::FakeDesktop): the
// one fake of its platform, with a settable clock, whose posted work, deadline and walk the
// test runs as the message loop and the walker thread would; and views that keep every
// rebuild's snapshot and read it through (a snapshot freed under them shows under the sanitizer).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "allocation_hook.h"
#include "base/text.h"
#include "core/refresh.h"
#include "core/refresh_platform.h"
#include "core/snapshot.h"

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

    // Posted work waits until the test runs it, as the message loop would.
    std::deque<std::function<void()>> posted;
    int posts = 0;
    bool Post(std::function<void()> work) override {
        test::UncountedAllocations own;
        ++posts;
        posted.push_back(std::move(work));
        return true;
    }
    // Runs the oldest work posted; false when there was none.
    bool RunPosted() {
        if (posted.empty()) return false;
        std::function<void()> work = std::move(posted.front());
        posted.pop_front();
        work();
        return true;
    }
    // Runs posted work until none is left; how many ran (a loop that posts for ever stops at
    // the limit).
    int Drain(int limit = 1000) {
        int n = 0;
        while (n < limit && RunPosted()) ++n;
        return n;
    }

    // Without a timer by default: a pass waits for its replies where it stands, as the fake
    // desktop gives them. With one, the test ends the pass (FireDeadline) or its replies do.
    bool hasTimer = false;
    int deadlines = 0;  // deadlines started
    std::function<void()> deadline;
    bool StartDeadline(std::uint32_t, std::function<void()> work) override {
        if (!hasTimer) return false;
        ++deadlines;
        deadline = std::move(work);
        return true;
    }
    void StopDeadline() override { deadline = nullptr; }
    bool FireDeadline() {
        std::function<void()> work = std::move(deadline);
        deadline = nullptr;
        if (work) work();
        return static_cast<bool>(work);
    }

    // With walkElsewhere the pass's walk waits here until the test (or AwaitWalk) makes it;
    // its end is posted, as the walker thread posts it.
    bool walkElsewhere = false;
    int walksHanded = 0;
    std::function<void()> walk;
    bool WalkElsewhere(std::function<void()> w, std::function<void()> walked) override {
        if (!walkElsewhere) return false;
        ++walksHanded;
        walk = [this, w = std::move(w), walked = std::move(walked)] {
            w();
            Post(walked);
        };
        return true;
    }
    void AwaitWalk() override {
        if (!walk) return;
        const std::function<void()> w = std::move(walk);
        walk = nullptr;
        w();
    }
    bool disconnected = false;
    void Disconnect() override { disconnected = true; }

private:
    const std::uint32_t& clock_;
};

// What the views are told: every rebuild's snapshot, each read through when it comes.
class FakeViews final : public RebuildListener {
public:
    std::vector<Snapshot> rebuilds;
    std::function<void(const Snapshot&)> onRebuilt;  // runs inside, as a window procedure might
    void OnRebuilt(const Snapshot& snapshot) override;
    std::size_t Count() const { return rebuilds.size(); }
    const SessionSnapshot& Last() const { return *rebuilds.back(); }
};

// Reads every session of every box of a snapshot (a freed one fails under the sanitizer).
void ReadThrough(const SessionSnapshot& snapshot);

}  // namespace quilvo::fake
