// The kept sessions as the text of the file Quilvo.sessions. One line names the file and its
// version, then each logon has a line and each of its sessions a line of named numbers, and a
// last line counts them, so that a file cut short is known as such:
//
//   Quilvo sessions 1
//   logon system=PRD client=100 user=ANNA
//   session code=FBL1N box=0 normal=10,20,810,620 maximized=0 monitor=0,0,1920,1080
//   session code=SE16 box=-1 normal=1930,20,2730,620 maximized=1 monitor=1920,0,3840,1080
//   end logons=1 sessions=2
//
// A rectangle is left,top,right,bottom in screen coordinates; a monitor of 0,0,0,0 was not known.
// The file is read whole or not at all: one bad line and nothing of it is taken, since half a
// day's sessions offered back would be worse than none.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/kept_sessions.h"

namespace quilvo {

// The version this program writes and the only one it reads.
constexpr int kKeptSessionsVersion = 1;
// The most the file may hold: room for the fullest set kept (64 logons of 16 sessions each
// are about 130 KB) and not much more.
constexpr std::size_t kKeptSessionsMaxBytes = 192 * 1024;
// The longest line, its line end left out; the longest a session's line can be is 124.
constexpr std::size_t kKeptSessionsMaxLine = 256;

std::string KeptSessionsText(const KeptSessions& kept);

// False when the text is not a whole file of this version within the bounds above: out is then
// left empty, and why says what was wrong ("line 4: bad box") for the debug output.
bool ReadKeptSessions(std::string_view text, KeptSessions& out, std::string& why);

}  // namespace quilvo
