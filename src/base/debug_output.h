// The debugger output channel. On Windows every line goes to OutputDebugStringA; the
// native tests link a recording fake in its place.
#pragma once

#include <cstdint>

namespace quilvo {

void DebugOut(const char* line);

// A formatted line (printf rules, at most 159 characters) through DebugOut.
void DebugLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// An object's address as debug lines print it ("%" PRIxPTR).
inline std::uintptr_t Identity(const void* object) { return reinterpret_cast<std::uintptr_t>(object); }

}  // namespace quilvo
