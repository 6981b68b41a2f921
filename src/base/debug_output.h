// The debugger output channel. On Windows every line goes to OutputDebugStringA, and the last
// ones are kept for the diagnostics file; the native tests link a recording fake in its place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quilvo {

void DebugOut(const char* line);

// The last 200 lines written, oldest first, without their line ends (Windows only: the
// native tests' recorder keeps its own).
std::vector<std::string> RecentDebugLines();

// A formatted line (printf rules, at most 159 characters) through DebugOut.
void DebugLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// An object's address as debug lines print it ("%" PRIxPTR).
inline std::uintptr_t Identity(const void* object) { return reinterpret_cast<std::uintptr_t>(object); }

}  // namespace quilvo
