// Opens the box properties dialog for a box (owner = the panel's window). The views reach it
// through their services; without one, a panel's "Properties" does nothing.
#pragma once

#include <windows.h>

namespace quilvo {

class BoxPropertiesOpener {
public:
    virtual void Open(HWND owner, int boxIndex) = 0;

protected:
    ~BoxPropertiesOpener() = default;
};

}  // namespace quilvo
