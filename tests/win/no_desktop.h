// A desktop without windows, for driving the refresh cycle without discovery finding anything;
// it counts how often it is walked.
#pragma once

#include "core/discovery.h"
#include "platform/window_system.h"

namespace quilvo {

class NoDesktop : public DiscoveryWindows {
public:
    int walks = 0;
    std::uint32_t TickCount() override { return 1000; }
    void EnumerateAll(WindowVisit, void*) override { ++walks; }
    int ClassName(WindowHandle, char*, int) override { return 0; }
    int Caption(WindowHandle, char*, int) override { return 0; }
    bool NormalPlacement(WindowHandle, NormalRect*) override { return false; }
    bool IsZoomed(WindowHandle) override { return false; }
    bool Exists(WindowHandle) override { return false; }
    SessionClassCache& Classes() override { return classes_; }
    FrontQueryPool& Queries() override { return pool_; }
    bool SendFront(WindowHandle, int, FrontToken) override { return false; }
    void AwaitReplies(std::uint32_t) override {}

private:
    SessionClassCache classes_;
    FrontQueryPool pool_;
};

}  // namespace quilvo
