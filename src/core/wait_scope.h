// Marks a wait for another program, such as a discovery pass waiting for the sessions'
// replies. While the program waits, the window system still delivers the messages other
// programs send it, and whatever they ask for (a refresh, the tray menu, Exit, a box click)
// must not run inside the operation that waits: it could free the very list or window that
// operation is walking. Such requests are held back and handed back once, when the outermost
// wait has ended, through the release routine the platform sets.
#pragma once

namespace quilvo {

class WaitScope {
public:
    WaitScope() noexcept { ++depth_; }
    ~WaitScope() {
        if (--depth_ == 0 && held_) Release();
    }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

    static bool Active() noexcept { return depth_ > 0; }
    // Something was held back: the release routine runs when the outermost wait ends.
    static void HoldBack() noexcept { held_ = true; }
    // The routine that hands back what was held (on Windows: posts the held messages).
    static void SetRelease(void (*release)()) noexcept { release_ = release; }

private:
    static void Release() {
        held_ = false;
        if (release_ != nullptr) release_();
    }

    inline static int depth_ = 0;
    inline static bool held_ = false;
    inline static void (*release_)() = nullptr;
};

}  // namespace quilvo
