// A small file of the program's own beside the settings file, read and written whole. A write
// goes to a temporary file first, which then replaces the old one in a single step with the
// write gone through to the disk, so a crash or a power cut leaves the old file or the new one,
// never a torn one.
#pragma once

#include <cstddef>
#include <string>

namespace quilvo {

enum class FileRead { kRead, kMissing, kTooLong, kFailed };

// The text of the file; anything but kRead leaves text empty (nothing of it is read).
FileRead ReadWholeFile(const char* path, std::size_t maxBytes, std::string& text);

// Replaces the file by text (through path + ".tmp"); false when it could not be written, and
// the old file stays as it was.
bool ReplaceWholeFile(const char* path, const std::string& text);

}  // namespace quilvo
