// The mark a session window carries while the program keeps it hidden. Hidden session windows
// have no taskbar button: if the program ended without showing them again, nothing on the
// screen would lead the user back to them. The mark is a window property of the session
// window itself, so the window system keeps it with that window after the program is gone,
// and whatever road the program ends by (or the next start) can find and show exactly the
// windows it hid.
//
// Shows and hides are made by the session worker, and noted just before each call; a call may
// be in hand for seconds while the session's thread is busy, so what the window looks like now
// may lag behind what the program asked of it. The marks therefore follow what the program
// asked, not what it sees: every hide it makes marks the window, every show removes the mark. The one exception keeps windows that another program
// hid out of it: an invisible window is marked only when a show of ours may still be on its
// way to it (a second property notes such a show until the next hide, or until a pass sees the
// window visible: the show has landed). A hide queued to an invisible window that carries no
// such note is noted as well: should the window show itself before the hide lands, the next
// pass that sees it visible marks it, since the hide will hide it.
#pragma once

#include <windows.h>

namespace quilvo {

// The program queues a hide of the window, or a show (any other show command).
void NoteHideByUs(HWND session);
void NoteShowByUs(HWND session);
// A show in two steps, for a call that returns once it has landed: asked before the call,
// made after it. The mark stays while the call is in hand, so a program ended meanwhile (the
// show may then never land) still shows the window at its next start.
void NoteShowAsked(HWND session);
void NoteShowMade(HWND session);
bool IsMarkedHiddenByUs(HWND session);
// A discovery pass recorded the window: a show of ours that is seen landed is no longer
// pending, and a hide of ours still on its way to a window that is visible now marks it.
// These three may be called from any thread (the walk of a pass has one of its own).
void NoteSeenAtPass(HWND session);

// Queues SW_SHOWNA to every window of the session class that carries the mark, whatever it
// looks like now (the show lands after any hide still queued), and removes the marks. Returns
// how many windows were marked. Safe to call from an unhandled-exception filter: it allocates
// nothing.
int ShowSessionsHiddenByUs(const char* sessionClass);

}  // namespace quilvo
