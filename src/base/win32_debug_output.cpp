// Debug lines go to the debugger output channel and nowhere else.
#include "base/debug_output.h"

#include <windows.h>

namespace quilvo {

void DebugOut(const char* line) { OutputDebugStringA(line); }

}  // namespace quilvo
