#include "platform/win32_refresh_platform.h"

#include <windows.h>

#include <utility>

#include "base/text.h"
#include "platform/scoped_win.h"
#include "platform/window_names.h"
#include "resources/resource_ids.h"

namespace quilvo {

constexpr WPARAM kOkCodeRun = 5;

Win32RefreshPlatform::Win32RefreshPlatform(Dispatcher* dispatcher)
    : setOkCodeMessage_(SetOkCodeMessage()), dispatcher_(dispatcher) {}

std::uint32_t Win32RefreshPlatform::TickCount() { return GetTickCount(); }

bool Win32RefreshPlatform::WindowExists(WindowHandle window) {
    return window != kNoWindow && IsWindow(ToHwnd(window)) != FALSE;
}

GlobalAtom Win32RefreshPlatform::AddGlobalAtom(const char* text) { return GlobalAddAtomA(text); }

bool Win32RefreshPlatform::AtomHolds(GlobalAtom atom, const char* text) {
    char name[256] = {};  // an atom's name has at most 255 characters
    return GlobalGetAtomNameA(atom, name, sizeof name) != 0 && EqualsNoCase(name, text);
}

void Win32RefreshPlatform::SendOkCode(WindowHandle session, GlobalAtom atom) {
    // Sent without waiting: one thread does everything here, so a session that is busy must
    // not hold the program; it runs the OK code once it is free (the atom is never deleted).
    SendNotifyMessageA(ToHwnd(session), setOkCodeMessage_, kOkCodeRun, static_cast<LPARAM>(static_cast<ULONG_PTR>(atom)));
}

std::function<void()> Win32RefreshPlatform::WhileConnected(std::function<void()> work) const {
    return [connected = connected_, work = std::move(work)] {
        if (*connected) work();
    };
}

bool Win32RefreshPlatform::Post(std::function<void()> work) {
    return dispatcher_ != nullptr && *connected_ && dispatcher_->Post(WhileConnected(std::move(work)));
}

bool Win32RefreshPlatform::StartDeadline(std::uint32_t ms, std::function<void()> work) {
    return dispatcher_ != nullptr && *connected_ && dispatcher_->After(TIMER_PASS_DEADLINE, ms, WhileConnected(std::move(work)));
}

void Win32RefreshPlatform::StopDeadline() {
    if (dispatcher_ != nullptr) dispatcher_->Cancel(TIMER_PASS_DEADLINE);
}

bool Win32RefreshPlatform::WalkElsewhere(std::function<void()> walk, std::function<void()> walked) {
    if (dispatcher_ == nullptr || !*connected_) return false;
    Dispatcher* dispatcher = dispatcher_;
    // On the walker thread, once the walk has ended: the pass goes on on this thread.
    auto done = [dispatcher, walked = WhileConnected(std::move(walked))] { dispatcher->Post(walked); };
    return walker_.Start(std::move(walk), std::move(done));
}

void Win32RefreshPlatform::Disconnect() {
    *connected_ = false;
    StopDeadline();
}

}  // namespace quilvo
