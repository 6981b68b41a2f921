// The policy read from a real registry, under a key of the test's own in HKCU (no such key in
// HKLM): each type as the registry stores it, and the values put in force for the settings.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "registry_values.h"
#include "settings/policy.h"
#include "settings/settings.h"

namespace quilvo {
namespace {

constexpr const char* kTestKey = "Software\\QuilvoTests\\Policies";

void Store(const char* name, DWORD type, const void* data, DWORD size) {
    test::StoreRegistryValue(kTestKey, name, type, data, size);
}

TEST(PolicyRegistry, EachTypeIsTakenOrIgnoredAsTheReaderSays) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuilvoTests");
    const DWORD three = 3, tooMany = 40;
    const ULONGLONG wide = 1;
    const std::string production = "PRD,QAS/300", expandable = "%TEMP%", long_(5000, 'P');
    Store("MaxSessions", REG_DWORD, &three, sizeof three);
    Store("ReadyAfter", REG_BINARY, &three, sizeof three);
    Store("Reopen", REG_QWORD, &wide, sizeof wide);
    Store("StartWithWindows", REG_DWORD, &tooMany, sizeof tooMany);
    Store("Production", REG_SZ, production.c_str(), static_cast<DWORD>(production.size() + 1));
    Store("FindHotkey", REG_EXPAND_SZ, expandable.c_str(), static_cast<DWORD>(expandable.size() + 1));
    Store("BoxHotkeys", REG_SZ, long_.c_str(), static_cast<DWORD>(long_.size() + 1));

    const PolicyRead read = LoadPolicy(kTestKey);
    EXPECT_EQ(read.names, (std::vector<std::string>{"MaxSessions", "Production"}));
    EXPECT_EQ(read.debugLines, (std::vector<std::string>{
                                   "Policy StartWithWindows ignored: out of range", "Policy ReadyAfter ignored: wrong type",
                                   "Policy Reopen ignored: wrong type", "Policy FindHotkey ignored: wrong type",
                                   "Policy BoxHotkeys ignored: too long"}));
    EXPECT_EQ(ReadMaxSessions(), 3);
    EXPECT_EQ(ReadProduction().Text(), "PRD,QAS/300");

    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\QuilvoTests");
    EXPECT_TRUE(LoadPolicy(kTestKey).names.empty());
    EXPECT_FALSE(PolicyInForce().maxSessions.has_value());
}

}  // namespace
}  // namespace quilvo
