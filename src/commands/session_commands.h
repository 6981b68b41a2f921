// What the user does to the real session windows: show, iconize, hide or close all;
// restore or close by a shared field; raise one session or a whole box.
#pragma once

#include <string>
#include <vector>

#include "base/handle.h"
#include "core/boxes.h"
#include "core/snapshot.h"

namespace quilvo {

// Show codes: the platform's show commands plus 102 for closing a session.
enum ShowCode : int {
    kShowHide = 0,
    kShowMaximized = 3,
    kShowAsIs = 5,  // shown in its own size and place
    kShowMinimize = 6,
    kShowNoActivate = 8,
    kShowRestore = 9,
    kShowClose = 102,
};

enum GroupAction : int { kGroupRestore = 100, kGroupClose = 102 };
enum GroupField : int { kGroupBySystem = 0, kGroupByServerGroup = 1, kGroupByTitle = 2 };

// The window operations the commands use; Win32 implementation in win32_session_ops.h.
class SessionWindowOps {
public:
    virtual ~SessionWindowOps() = default;
    virtual void ShowAsync(WindowHandle window, int showCode) = 0;   // queued, never waits
    virtual void OpenIcon(WindowHandle window) = 0;                  // restores an iconic window
    virtual void BringUp(WindowHandle window) = 0;  // restores or shows it once its queued calls land
    virtual void BringToTop(WindowHandle window) = 0;                // to the top of the z-order
    virtual void SendClose(WindowHandle window) = 0;                 // SAP_SET_OKCODE 3, no wait
    // Makes the window the foreground window, with the keyboard focus, once the shows queued to
    // it before have landed; where the system refuses it (the user has gone on in another
    // program: core/foreground.h), the window's taskbar button flashes instead.
    virtual void Activate(WindowHandle window) = 0;
    // The program's own window `window` is about to take the foreground: true when `message`
    // will be posted to it once the calls asked before have landed (they would otherwise take
    // the foreground from it); false when nothing is on its way and it may go ahead now.
    virtual bool NotifyWhenSettled(WindowHandle window, unsigned message) {
        (void)window;
        (void)message;
        return false;
    }
};

void ShowAllSessions(const SessionSnapshot& snapshot, int showCode, SessionWindowOps& ops);
// The sessions whose field equals the chosen session's (letter case aside), in order; none when
// the chosen session is gone or the field names none.
std::vector<const SessionRecord*> GroupOf(const SessionSnapshot& snapshot, WindowHandle chosen, int field);
int GroupCommand(const SessionSnapshot& snapshot, WindowHandle chosen, int action, int field, SessionWindowOps& ops);
// What to ask before the sessions are closed: "Close 3 sessions? 2 of them are on the
// production system PRD."; empty when none of them is of a production system.
std::string CloseQuestionFor(const std::vector<const SessionRecord*>& closing);
void RaiseSession(WindowHandle window, bool zoomed, SessionWindowOps& ops);
// Brings a session up as the snapshot of the moment has it: a maximised one stays maximised.
// A session the snapshot does not hold is brought up restored.
void RaiseSessionAsItIs(const SessionSnapshot& now, WindowHandle window, SessionWindowOps& ops);
// The sessions of a box (0 to 5, or kAllSessions), the first of them on top.
void RaiseBox(const SessionSnapshot& snapshot, int box, SessionWindowOps& ops);
// A left click on a box's panel: every session hidden, then the box's sessions raised.
void SwitchToBox(const SessionSnapshot& snapshot, int box, SessionWindowOps& ops);
// A box hotkey, or Enter on a box's row in the find window: SwitchToBox, then the keyboard
// focus to the box's first session, the one on top (the hotkey or the find window has made the
// program the foreground process, which may hand the foreground on). Returns that session's
// window, none for an empty box.
WindowHandle SwitchToBoxWithFocus(const SessionSnapshot& snapshot, int box, SessionWindowOps& ops);

}  // namespace quilvo
