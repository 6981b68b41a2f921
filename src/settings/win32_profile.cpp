// The private-profile seam on Windows: the platform's own ini code, nothing of ours.
#include "settings/profile.h"

#include <windows.h>

namespace quilvo {

std::uint32_t ProfileReadInt(const char* section, const char* key, int defaultValue, const char* file) {
    return GetPrivateProfileIntA(section, key, defaultValue, file);
}

std::uint32_t ProfileReadString(const char* section, const char* key, const char* defaultValue,
                                char* buffer, std::uint32_t size, const char* file) {
    return GetPrivateProfileStringA(section, key, defaultValue, buffer, size, file);
}

bool ProfileWriteString(const char* section, const char* key, const char* value, const char* file) {
    return WritePrivateProfileStringA(section, key, value, file) != FALSE;
}

}  // namespace quilvo
