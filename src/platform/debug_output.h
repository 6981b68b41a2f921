// The debugger output channel. On Windows every line goes to OutputDebugStringA; the
// native tests link a recording fake in its place.
#pragma once

namespace quilvo {

void DebugOut(const char* line);

}  // namespace quilvo
