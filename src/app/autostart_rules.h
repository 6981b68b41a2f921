// "Start with Windows" without the registry: the name of the program's value under the
// user's Run key, the command it holds, and whether a stored command starts this program.
#pragma once

#include <string>

namespace quilvo {

// "Quilvo", or "Quilvo <class>" when a session class was given on the command line: one
// value per session class, so that the instances for two classes each keep their own.
std::string RunValueName(const char* givenClass);

// The command that starts this program as it was started: its path in quotes, then the
// argument text as it was received (quotes and trailing blanks stay), when there was one.
std::string RunCommand(const char* programPath, const char* arguments);

// True when the stored command starts programPath: its first word (in quotes, or up to the
// first blank) is that path, A to Z compared without regard to case (Windows paths ignore
// it). An empty path or command is never a match. Both are UTF-8 (app/autostart.h reads them
// wide): a blank or a quote is never part of another character, and every byte but A to Z is
// compared as it is, so a letter outside ASCII must match exactly.
bool RunCommandStarts(const char* command, const char* programPath);

}  // namespace quilvo
