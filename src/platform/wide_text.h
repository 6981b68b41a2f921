// Text to and from the UTF-16 of Windows' wide calls. A path or a command line may hold any
// character, while the ANSI code page holds only some (a profile folder "C:\Users\Ŝtefan" has
// no ANSI form in Western Europe): such text is kept as UTF-8, which the program's byte-wise
// rules handle as they are (A to Z folded, every other byte compared as it is), and turned
// into UTF-16 only at the call.
#pragma once

#include <cstddef>
#include <string>

namespace quilvo {

// Empty when the text is not whole UTF-16 (a lone surrogate): no UTF-8 names the same file.
std::string Utf8FromWide(const wchar_t* text, std::size_t length);
// Empty when the text is not valid UTF-8.
std::wstring WideFromUtf8(const std::string& text);
// Text the A calls gave (GetCommandLineA, a window class) as UTF-8.
std::string Utf8FromAnsi(const char* text);

}  // namespace quilvo
