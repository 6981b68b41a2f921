// The docked toolbar's arithmetic and searches that need no window: the size of its italic
// font, its bracketed details line, and the search for the "AfxWnd" window below a session
// window that such a toolbar would sit in.
#pragma once

#include <cstddef>

#include "base/handle.h"
#include "core/discovery_windows.h"

namespace quilvo {

// The italic font of the docked strip: height = view height / 2, width = that height / 2,
// both truncating; never negative.
struct DockedFont {
    int height = 0;
    int width = 0;
};
DockedFont DockedTextFont(int viewHeight);

// "[%s : %s : %s]" of the three details (a missing one as empty), cut to 127 characters.
constexpr std::size_t kDockedDetailsCapacity = 128;
int FormatDockedDetails(char (&line)[kDockedDetailsCapacity], const char* detail1, const char* detail2,
                        const char* detail3);

// What the search needs of the window system.
class DescendantWindows {
public:
    virtual ~DescendantWindows() = default;
    // Every descendant of root, in the platform's order, until visit returns false.
    virtual void EnumerateDescendants(WindowHandle root, WindowVisit visit, void* context) = 0;
    // Class name into buf, at most maxCount - 1 characters; 0 when it cannot be read.
    virtual int ClassName(WindowHandle window, char* buf, int maxCount) = 0;
};

// The first descendant of root whose class name holds "AfxWnd" (case-sensitive, anywhere in
// the name), or none. A class name that cannot be read or is empty is passed over.
WindowHandle FindAfxWndChild(WindowHandle root, DescendantWindows& windows);

}  // namespace quilvo
