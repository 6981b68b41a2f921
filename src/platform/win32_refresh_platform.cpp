#include "platform/win32_refresh_platform.h"

#include <windows.h>

#include <utility>

#include "base/text.h"
#include "platform/held_messages.h"
#include "platform/window_names.h"
#include "resources/resource_ids.h"

namespace quilvo {

constexpr WPARAM kOkCodeRun = 5;

Win32RefreshPlatform::Win32RefreshPlatform()
    : setOkCodeMessage_(SetOkCodeMessage()) {}

std::uint32_t Win32RefreshPlatform::TickCount() { return GetTickCount(); }

bool Win32RefreshPlatform::WindowExists(WindowHandle window) {
    return window != kNoWindow && IsWindow(reinterpret_cast<HWND>(window)) != FALSE;
}

GlobalAtom Win32RefreshPlatform::AddGlobalAtom(const char* text) { return GlobalAddAtomA(text); }

bool Win32RefreshPlatform::AtomHolds(GlobalAtom atom, const char* text) {
    char name[256] = {};  // an atom's name has at most 255 characters
    return GlobalGetAtomNameA(atom, name, sizeof name) != 0 && EqualsNoCase(name, text);
}

void Win32RefreshPlatform::SendOkCode(WindowHandle session, GlobalAtom atom) {
    // Sent without waiting: one thread does everything here, so a session that is busy must
    // not hold the program; it runs the OK code once it is free (the atom is never deleted).
    SendNotifyMessageA(reinterpret_cast<HWND>(session), setOkCodeMessage_, kOkCodeRun,
                       static_cast<LPARAM>(static_cast<ULONG_PTR>(atom)));
}

bool Win32RefreshPlatform::StartPassDeadline(std::uint32_t ms) {
    if (notifyWindow_ == kNoWindow) return false;
    return SetTimer(reinterpret_cast<HWND>(notifyWindow_), TIMER_PASS_DEADLINE, ms, nullptr) != 0;
}

void Win32RefreshPlatform::StopPassDeadline() {
    if (notifyWindow_ != kNoWindow) KillTimer(reinterpret_cast<HWND>(notifyWindow_), TIMER_PASS_DEADLINE);
}

bool Win32RefreshPlatform::ContinuePassLater() {
    return notifyWindow_ != kNoWindow &&
           PostMessageA(reinterpret_cast<HWND>(notifyWindow_), WM_QUILVO_PASS_CONTINUE, 0, 0) != FALSE;
}

bool Win32RefreshPlatform::WalkElsewhere(std::function<void()> walk) {
    return notifyWindow_ != kNoWindow &&
           walker_.Start(std::move(walk), reinterpret_cast<HWND>(notifyWindow_), WM_QUILVO_PASS_WALKED);
}

void Win32RefreshPlatform::ScheduleRefresh() {
    if (notifyWindow_ == kNoWindow) return;
    HWND notify = reinterpret_cast<HWND>(notifyWindow_);
    // Inside a wait the request is held and posted once when the wait ends: a message posted
    // now could be taken by a loop running inside the wait (a menu's) and find it still going.
    if (!HoldWhileWaiting(notify, WM_QUILVO_REFRESH_LATER, 0, 0)) PostMessageA(notify, WM_QUILVO_REFRESH_LATER, 0, 0);
}

}  // namespace quilvo
