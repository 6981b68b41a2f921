// The system's foreground window, as the program's activations of session windows meet it.
//
// On Windows a process may set the foreground window only while it is the foreground process,
// received the last input, was allowed by the foreground process (AllowSetForegroundWindow, a
// grant that lasts until the next input), or no window is in front; and never while a menu is
// active. Otherwise SetForegroundWindow returns FALSE and nothing changes. The program is
// allowed when the user has just acted in it (a tray or panel command, the find window, a
// hotkey) or clicked its icon or a notice (the shell allows it then), but a session found
// seconds after the user asked for it may meet another program the user has gone on to.
// Retrying cannot help until the user acts: the session's taskbar button is flashed instead.
#pragma once

#include "base/handle.h"

namespace quilvo {

class Foreground {
public:
    virtual ~Foreground() = default;
    // The foreground window; kNoWindow when none is.
    virtual WindowHandle Front() const = 0;
    // Whether the window belongs to this program's own process.
    virtual bool Ours(WindowHandle window) const = 0;
    // Asks the system to make the window the foreground window; false when it did not. A busy
    // window's thread may complete a foreground it was given a moment later.
    virtual bool Take(WindowHandle window) = 0;
    // Flashes the window's taskbar button until it comes to the front.
    virtual void Flash(WindowHandle window) = 0;
};

// Asks for the foreground for `window`; false only when the system refused it: another
// program's window is in front (a failure while our own window, or none, is in front is no
// refusal, and the window may still take it).
bool AskForFront(Foreground& system, WindowHandle window);

// How one try of a session's activation ended.
enum class ActivationTry : unsigned char {
    kDone,     // the window is in front (or gone)
    kAgain,    // given, not yet taken by the window's busy thread: to be tried again
    kRefused,  // another program is in front: the window's taskbar button flashes instead
};

// One try of a session's activation: done when in front already, flashed when refused.
ActivationTry TryActivation(Foreground& system, WindowHandle window);

// An activation whose time ran out: the window's taskbar button flashes, unless it came to
// the front all the same (its own thread, or the user, brought it there).
void FlashIfNotInFront(Foreground& system, WindowHandle window);

}  // namespace quilvo
