// What discovery needs of the window system. The Win32 implementation calls the
// platform's own operations; the unit tests drive discovery through a fake desktop.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/handle.h"

namespace quilvo {

struct NormalRect {
    std::int32_t left, top, right, bottom;
};

// The query codes a session answers through SAP_GET_FRONT.
enum FrontCode : int {
    kFrontClient = 4,
    kFrontServerGroup = 11,
    kFrontUser = 15,
    kFrontSystem = 10,
    kFrontTransaction = 5,
    kFrontDone = 3,  // answered, fills nothing
};

enum class FrontReply {
    Completed,  // the session replied in time (with or without an answer)
    TimedOut,   // no reply within the wait; a later reply still lands in the field asked for
};

// Visit routine for EnumerateAll: return false to end the enumeration.
using WindowVisit = bool (*)(WindowHandle window, void* context);

class DiscoveryWindows {
public:
    virtual ~DiscoveryWindows() = default;

    virtual std::uint32_t TickCount() = 0;
    // Every top-level window of the desktop and all their descendants, in the platform's order.
    virtual void EnumerateAll(WindowVisit visit, void* context) = 0;
    // Class name into buf, at most maxCount - 1 characters; 0 when it cannot be read.
    virtual int ClassName(WindowHandle window, char* buf, int maxCount) = 0;
    // Caption into buf (bufSize bytes); number of characters, 0 for empty or unreadable.
    virtual int Caption(WindowHandle window, char* buf, int bufSize) = 0;
    virtual bool NormalPlacement(WindowHandle window, NormalRect* rect) = 0;
    virtual bool IsZoomed(WindowHandle window) = 0;
    // One SAP_GET_FRONT exchange. An answer is stored in dest, cut to capacity; no answer
    // leaves dest as it was. dest may be null (code 3: nothing to store).
    virtual FrontReply QueryFront(WindowHandle window, int code, char* dest, std::size_t capacity) = 0;
};

}  // namespace quilvo
