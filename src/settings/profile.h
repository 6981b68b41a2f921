// The private-profile (ini file) operations. On Windows these are the platform's own
// GetPrivateProfileIntA, GetPrivateProfileStringA and WritePrivateProfileStringA; the native
// tests link an in-memory fake with the same rules in their place.
#pragma once

#include <cstdint>

namespace quilvo {

// The settings file: relative, so it names the file in the current directory at the moment
// of each access.
constexpr const char* kSettingsFile = ".\\Quilvo.ini";

// GetPrivateProfileIntA: the number under the key, or defaultValue when the key is missing or
// its value is empty. Junk parses as far as it is a number ("12abc" is 12, "-" is 0).
std::uint32_t ProfileReadInt(const char* section, const char* key, int defaultValue, const char* file);

// GetPrivateProfileStringA: copies the value (or the default) into buffer, cut to size - 1
// characters and terminated; returns the number of characters copied.
std::uint32_t ProfileReadString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, std::uint32_t size, const char* file);

// WritePrivateProfileStringA: creates or replaces the key, creating file and section as
// needed. False when the file could not be written.
bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file);

}  // namespace quilvo
