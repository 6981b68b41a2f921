// Marks a wait for another program, such as asking a session whether it answers. While the
// program waits, the window system still delivers the messages other programs send it, and
// whatever they ask for (a refresh, above all) must not run inside the operation that waits:
// it could free the very list or window that operation is walking. The refresh cycle holds
// such requests back until no wait is in progress.
#pragma once

namespace quilvo {

class WaitScope {
public:
    WaitScope() noexcept { ++depth_; }
    ~WaitScope() { --depth_; }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

    static bool Active() noexcept { return depth_ > 0; }

private:
    static int depth_;
};

}  // namespace quilvo
