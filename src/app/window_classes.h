// The program's window classes (their names: platform/window_names.h).
#pragma once

#include <windows.h>

#include "platform/window_names.h"

namespace quilvo {

// Registers the program's window classes from one template: only the name and the
// procedure change. Start-up calls it, and so may tests.
void RegisterWindowClasses(HINSTANCE instance);

}  // namespace quilvo
