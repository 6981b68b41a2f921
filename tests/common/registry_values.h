// A value stored under HKEY_CURRENT_USER for a test, the key made when it is missing.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

namespace quilvo::test {

inline void StoreRegistryValue(const char* keyPath, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

}  // namespace quilvo::test
