#include "platform/held_messages.h"

#include "core/wait_scope.h"
#include "resources/resource_ids.h"

namespace quilvo {
namespace {

struct HeldMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// A wait lasts a fraction of a second: more than this many distinct messages in one are a
// flood, and the newest ones are dropped.
constexpr int kMostHeld = 64;

HeldMessage g_held[kMostHeld];
int g_heldCount = 0;

// The release routine of WaitScope: runs when the outermost wait has ended.
void PostHeldMessages() {
    // Copied out first: posting handles nothing, but the list must be empty before anything
    // could hold a message again.
    HeldMessage held[kMostHeld];
    const int count = g_heldCount;
    for (int i = 0; i < count; ++i) held[i] = g_held[i];
    g_heldCount = 0;
    for (int i = 0; i < count; ++i) PostMessageA(held[i].window, held[i].message, held[i].wParam, held[i].lParam);
}

bool IsUserAction(UINT message) {
    if (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) return true;
    if (message >= WM_KEYFIRST && message <= WM_KEYLAST) return true;
    return message == WM_COMMAND || message == WM_HOTKEY || message == WM_SYSCOMMAND || message == WM_CONTEXTMENU || message == WM_CLOSE ||
           message == WM_QUILVO_TRAYICON;
}

}  // namespace

bool HoldWhileWaiting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!WaitScope::Active()) return false;
    WaitScope::SetRelease(&PostHeldMessages);
    WaitScope::HoldBack();
    // A request (such as a refresh) is held once however often it comes; what the user does
    // is held in full and in order (two clicks stay two clicks).
    for (int i = 0; i < g_heldCount && !IsUserAction(message); ++i) {
        const HeldMessage& h = g_held[i];
        if (h.window == window && h.message == message && h.wParam == wParam && h.lParam == lParam) return true;
    }
    if (g_heldCount < kMostHeld) g_held[g_heldCount++] = HeldMessage{window, message, wParam, lParam};
    return true;
}

bool HoldUserActionWhileWaiting(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsUserAction(message) && HoldWhileWaiting(window, message, wParam, lParam);
}

}  // namespace quilvo
