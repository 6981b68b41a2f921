// The system's foreground as Windows rules it (core/foreground.h), for the session worker's
// activations and the find window's opening.
#pragma once

#include "core/foreground.h"

namespace quilvo {

class Win32Foreground : public Foreground {
public:
    WindowHandle Front() const override;
    bool Ours(WindowHandle window) const override;
    bool Take(WindowHandle window) override;
    void Flash(WindowHandle window) override;
};

}  // namespace quilvo
