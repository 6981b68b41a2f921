// What discovery needs of the window system. The Win32 implementation calls the
// platform's own operations; the unit tests drive discovery through a fake desktop.
#pragma once

#include <cstdint>

#include "core/front_queries.h"
#include "core/monitors.h"
#include "base/handle.h"

namespace quilvo {

class SessionClassCache;

// Visit routine for EnumerateAll: return false to end the enumeration.
using WindowVisit = bool (*)(WindowHandle window, void* context);

// Monitors(): read once per pass, to place the sessions on the virtual screen.
class DiscoveryWindows : public MonitorSource {
public:
    virtual ~DiscoveryWindows() = default;

    virtual std::uint32_t TickCount() = 0;
    // Every top-level window of the desktop and all their descendants, in the platform's order;
    // a platform may leave out descendants that cannot be of className (the program's own).
    virtual void EnumerateAll(const char* className, WindowVisit visit, void* context) = 0;
    // Class name into buf, at most maxCount - 1 characters; 0 when it cannot be read.
    virtual int ClassName(WindowHandle window, char* buf, int maxCount) = 0;
    // Caption into buf (bufSize bytes); number of characters, 0 for empty or unreadable.
    virtual int Caption(WindowHandle window, char* buf, int bufSize) = 0;
    // The normal rectangle, and whether the window is maximised now: one read of the window's
    // placement, which tells both.
    virtual bool NormalPlacement(WindowHandle window, NormalRect* rect, bool* maximized) = 0;
    // True when the normal rectangle is in workspace coordinates (a top-level window without
    // WS_EX_TOOLWINDOW), false when it is in screen (or its parent's client) coordinates.
    virtual bool InWorkspaceCoordinates(WindowHandle window) = 0;
    // Where the window is now (a maximised one: the monitor it fills).
    virtual bool WindowRect(WindowHandle window, NormalRect* rect) = 0;
    // False once the window no longer exists.
    virtual bool Exists(WindowHandle window) = 0;
    // A pass recorded this session window: what the platform keeps about it may be brought up
    // to date (on Windows: the marks of shows and hides the program queued to it). Called
    // during the walk, which may be made on a thread of its own.
    virtual void SessionSeen(WindowHandle) {}

    // What the last walk of this desktop learnt of its windows' classes (see discovery.h).
    virtual SessionClassCache& Classes() = 0;
    // The completion records of this desktop's SAP_GET_FRONT queries.
    virtual FrontQueryPool& Queries() = 0;
    // Sends one SAP_GET_FRONT without waiting for the reply; the reply completes `token` in
    // Queries() whenever it comes. False when the query could not be sent (the window is gone).
    virtual bool SendFront(WindowHandle window, int code, FrontToken token) = 0;
    // Lets the replies come in until no query of the pass is unanswered or the pass's wait is
    // used up, whichever comes first. Nothing but replies and sent messages is handled meanwhile.
    virtual void AwaitReplies(std::uint32_t pass) = 0;
    // Takes the replies that have come in already, without waiting.
    virtual void TakeReplies() = 0;
    // How long a pass waits for its replies at most.
    virtual std::uint32_t ReplyWaitMs() const = 0;
};

}  // namespace quilvo
