#include <cstdarg>
#include <cstdio>

#include "base/debug_output.h"

namespace quilvo {

void DebugLine(const char* format, ...) {
    char line[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    DebugOut(line);
}

}  // namespace quilvo
