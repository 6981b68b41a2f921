// Start-up decisions that need no window: the session class name from the command line and
// the notification icon that goes with it.
#pragma once

#include <cstddef>

namespace quilvo {

// The argument text of a command line: everything after the program name (which may be
// quoted), with the blanks and control characters right after it skipped. Trailing blanks
// and quotes inside the argument stay.
const char* ArgumentText(const char* commandLine);

// The session class name: the argument text when present and not empty, cut to 127
// characters, else "SAP_FRONTEND_SESSION". out must hold 128 bytes.
void SessionClassFromArguments(const char* arguments, char* out, std::size_t capacity);

// True when two folder paths name the same folder: A to Z without regard to case, a trailing
// backslash or slash ignored. Empty paths name none.
bool SameFolder(const char* a, const char* b);

// Icon resource for the notification icon: 107, 106 or 103 by the session class name.
int IconForSessionClass(const char* className);

}  // namespace quilvo
